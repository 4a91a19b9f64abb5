#include "testhost/output_host.h"

#include <cstring>

#include "testhost/plugin_module.h"

namespace testhost {

namespace {
OutputHost* current = nullptr;  // the callbacks carry no context: one export at a time
}

OutputHost::OutputHost(int width, int height, int frames, std::string savePath)
    : savePath_(std::move(savePath)) {
  std::memset(&job_, 0, sizeof job_);
  job_.width = width;
  job_.height = height;
  job_.frameCount = frames;
  job_.savePath = savePath_.c_str();
  job_.IsAbort = IsAbort;
  job_.Progress = Progress;
  job_.FrameDone = FrameDone;
  job_.FetchFrame = FetchFrame;
  const int64_t stride = host::YcRowStride(width, host::YcRowLayout::kPadded);
  uint32_t seed = 0x2545F491u;
  for (int f = 0; f < (frames > 0 ? frames : 0); ++f) {
    OutputFrame frame;
    frame.bytes.resize(static_cast<size_t>(stride) * (height > 0 ? height : 0) + 4);
    for (auto& b : frame.bytes) b = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    for (int y = 0; y < height; ++y) {
      host::PixelYC* p = frame.row(y, width);
      for (int x = 0; x < width; ++x) {
        p[x].y = static_cast<int16_t>((x * 4096) / (width > 1 ? width - 1 : 1));
        p[x].cb = static_cast<int16_t>(((y + 7 * f) * 4096) / (height + 7 * frames) - 2048);
        p[x].cr = static_cast<int16_t>(((x + y) * 97 + 300 * f) % 4096 - 2048);
      }
    }
    frames_.push_back(std::move(frame));
  }
}

OutputHost::~OutputHost() {
  if (current == this) current = nullptr;
}

int OutputHost::Run(const host::OutputTable* table) {
  current = this;
  calls_.clear();
  questions_ = 0;
  lastFetched_ = -1;
  const int result = static_cast<int>(CallPlugin(table->output, Arg(&job_)));
  current = nullptr;
  return result;
}

BOOL __cdecl OutputHost::IsAbort() {
  current->calls_.push_back("abort");
  return current->questions_++ == current->abortAt ? TRUE : FALSE;
}

void __cdecl OutputHost::Progress(int index, int count) {
  current->calls_.push_back("progress " + std::to_string(index) + "/" + std::to_string(count));
}

void __cdecl OutputHost::FrameDone() {
  current->calls_.push_back("done");
  if (current->onFrameDone) current->onFrameDone(current->lastFetched_);
}

void* __cdecl OutputHost::FetchFrame(int index, DWORD fourcc) {
  char tag[5] = {static_cast<char>(fourcc & 0xFF), static_cast<char>((fourcc >> 8) & 0xFF),
                 static_cast<char>((fourcc >> 16) & 0xFF), static_cast<char>(fourcc >> 24), 0};
  current->calls_.push_back("fetch " + std::to_string(index) + " " + tag);
  current->lastFetched_ = index;
  if (current->frameSource) return index == current->nullFetchAt ? nullptr : current->frameSource(index);
  if (index == current->nullFetchAt || index < 0 ||
      index >= static_cast<int>(current->frames_.size())) {
    return nullptr;
  }
  return current->frames_[index].bytes.data();
}

}  // namespace testhost
