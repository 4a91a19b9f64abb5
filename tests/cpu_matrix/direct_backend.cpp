// The CPU matrix natively: the encoding core and the reader core called as the plug-ins call
// them, with the strides of the editor's frames.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "picreader/jpeg_reader.h"
#include "tests/cpu_matrix/matrix_backend.h"

namespace cpumatrix {

const char kBackendName[] = "encoding and reader cores, native";
const char kPathSeparator = '/';

std::string MakeFolder(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST ? std::string()
                                                           : "cannot create the folder " + path;
}

namespace {

// Writes one image with an encoder made for the frame's size.
std::string Encode(core::JpegEncoder* encoder, const demo::Yc48Frame& frame, const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return "cannot create " + path;
  const bool written = core::EncodeFrame(encoder, file, frame.bytes.data(), frame.stride);
  std::fclose(file);
  return written ? std::string() : "the library failed writing " + path;
}

std::string Create(core::JpegEncoder* encoder, const core::EncoderSettings& settings,
                   const demo::Yc48Frame& frame) {
  return core::CreateEncoder(encoder, settings, frame.width, frame.height) ==
                 core::CreateResult::kReady
             ? std::string()
             : "no encoder";
}

}  // namespace

std::string Export(const core::EncoderSettings& settings, std::vector<demo::Yc48Frame>& frames,
                   const std::string& folder, const std::string& stem) {
  // The numbered output's copy of the core has neither the colour matrix nor the custom script.
  core::EncoderSettings plain = settings;
  plain.colormatrix = 0;
  plain.progression_mine = 0;
  core::JpegEncoder encoder;
  std::string failure = Create(&encoder, plain, frames.front());
  if (!failure.empty()) return failure;
  // One encoder for the whole export, as the output plug-in has.
  for (size_t i = 0; i < frames.size() && failure.empty(); ++i) {
    failure = Encode(&encoder, frames[i], FramePath(folder, stem, static_cast<int>(i)));
  }
  core::DestroyEncoder(&encoder);
  return failure;
}

std::string SaveStill(const core::EncoderSettings& settings, const demo::Yc48Frame& frame,
                      const std::string& path) {
  core::JpegEncoder encoder;  // one per save, as the filter has
  std::string failure = Create(&encoder, settings, frame);
  if (!failure.empty()) return failure;
  failure = Encode(&encoder, frame, path);
  core::DestroyEncoder(&encoder);
  return failure;
}

std::string ReadBack(const std::string& path, demo::Yc48Frame* frame) {
  picreader::JpegReaderHandle* handle = picreader::OpenJpeg(path.c_str());
  if (handle == nullptr) return "the reader could not open " + path;
  std::string failure;
  if (handle->format.biWidth != frame->width || handle->format.biHeight != frame->height) {
    failure = "unexpected size of " + path;
  } else if (picreader::FrameStride(frame->width) != frame->stride ||
             picreader::ReadJpegFrame(handle, 0, frame->bytes.data()) !=
                 static_cast<int>(frame->bytes.size())) {
    failure = "the reader could not read " + path;
  }
  picreader::CloseJpeg(handle);
  return failure;
}

}  // namespace cpumatrix
