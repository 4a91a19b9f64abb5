// The editor's side of an export: an OutputJob whose callbacks record what the plug-in asks
// for and hand out YC48 frames with 4-byte aligned rows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/host_contract.h"

namespace testhost {

// One frame as the editor keeps it for output: rows padded to a multiple of 4 bytes, the
// padding bytes filled with garbage.
struct OutputFrame {
  std::vector<uint8_t> bytes;
  host::PixelYC* row(int y, int width) {
    return reinterpret_cast<host::PixelYC*>(
        bytes.data() + y * host::YcRowStride(width, host::YcRowLayout::kPadded));
  }
};

class OutputHost {
 public:
  // A job of `frames` frames of width x height (ramps that differ per frame) saved as `path`.
  OutputHost(int width, int height, int frames, std::string savePath);
  ~OutputHost();

  host::OutputJob& job() { return job_; }
  std::vector<OutputFrame>& frames() { return frames_; }
  // The calls received, in order: "abort", "progress i/n", "fetch i YC48", "done".
  const std::vector<std::string>& calls() const { return calls_; }

  int abortAt = -1;      // the abort query answers nonzero before this frame index
  int nullFetchAt = -1;  // fetch frame returns no block for this index
  // Runs inside the frame-done notification (to look at the disk at that moment).
  std::function<void(int frameIndex)> onFrameDone;
  // When set, the fetch hands out what this returns instead of the frames above (a long clip
  // made one frame at a time; construct the host with 0 frames and set job().frameCount).
  std::function<void*(int frameIndex)> frameSource;

  // Calls the table's output callback with a misaligned stack; returns its result.
  int Run(const host::OutputTable* table);

 private:
  static BOOL __cdecl IsAbort();
  static void __cdecl Progress(int index, int count);
  static void __cdecl FrameDone();
  static void* __cdecl FetchFrame(int index, DWORD fourcc);

  host::OutputJob job_;
  std::string savePath_;
  std::vector<OutputFrame> frames_;
  std::vector<std::string> calls_;
  int questions_ = 0;   // abort queries so far
  int lastFetched_ = -1;
};

}  // namespace testhost
