#include "seqwriter/output_frames.h"

#include <cstdio>

#include "core/encoder.h"
#include "host/pixel_yc.h"
#include "seqwriter/frame_names.h"
#include "seqwriter/output_config.h"

namespace seqwriter {

namespace {

core::EncoderSettings SettingsFrom(const OutputConfig& c) {
  // This library has no colour matrix and no custom scan script.
  return {c.quality, c.optimize, c.progression, c.downsampling, c.quantize, 0, 0};
}

// The whole export once the encoder exists; the caller destroys the encoder afterwards.
BOOL WriteFrames(host::OutputJob* job, core::JpegEncoder* encoder, FrameNames* names) {
  if (!SplitSavePath(job->savePath, names)) return FALSE;
  const PatternText pattern = NamePatternText(outputConfig);
  if (!IsSafeNamePattern(pattern.text)) return FALSE;
  if (job->frameCount <= 0) return TRUE;
  if (!core::libraryUsable) return FALSE;

  // The rows the editor hands out for output are padded to a multiple of 4 bytes.
  const ptrdiff_t stride =
      static_cast<ptrdiff_t>(host::YcRowStride(job->width, host::YcRowLayout::kPadded));
  for (int i = 0; i < job->frameCount; ++i) {
    if (job->IsAbort()) return TRUE;
    job->Progress(i, job->frameCount);
    const void* frame = job->FetchFrame(i, host::kFourccYC48);
    if (frame == nullptr) return FALSE;
    // The pattern is read again for every frame.
    const PatternText current = NamePatternText(outputConfig);
    if (!IsSafeNamePattern(current.text) || !ComposeFramePath(names, current.text, i)) {
      return FALSE;
    }
    FILE* file = std::fopen(names->path, "wb");
    if (file == nullptr) return FALSE;
    const bool written = core::EncodeFrame(encoder, file, frame, stride);
    std::fclose(file);
    if (!written) return FALSE;
    job->FrameDone();
  }
  return TRUE;
}

}  // namespace

BOOL __cdecl OutputFrames(host::OutputJob* job) {
  core::JpegEncoder encoder;  // plain records: nothing here has a destructor
  FrameNames names;
  if (core::CreateEncoder(&encoder, SettingsFrom(outputConfig), job->width, job->height) !=
      core::CreateResult::kReady) {
    return FALSE;
  }
  const BOOL result = WriteFrames(job, &encoder, &names);
  core::DestroyEncoder(&encoder);
  return result;
}

}  // namespace seqwriter
