// The reader as the host drives it, on arbitrary bytes: open, describe, read twice, close. Both
// reads of a handle must give the same result and the same bytes; a library failure may refuse
// the file or fail a read, but never crash or read out of bounds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "picreader/jpeg_reader.h"

namespace {

// Larger frames are opened and described but not read: they only cost time.
constexpr int64_t kMaxFrameBytes = 8 << 20;

const std::string& InputPath() {
  static const std::string path = [] {
    char name[] = "/tmp/fuzz_reader_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    return std::string(name);
  }();
  return path;
}

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_reader: %s\n", what);
    std::abort();
  }
}

}  // namespace

// A failed module keeps its decoders by design (no library call after the failure): no leak
// checking here.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace picreader;
  libraryUsable = 1;  // every input starts with a fresh module
  FILE* f = std::fopen(InputPath().c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  JpegReaderHandle* h = OpenJpeg(InputPath().c_str());
  if (h == nullptr) return 0;
  const BitmapInfoHeader& format = h->format;
  Check(format.biSize == 40 && format.biBitCount == 48 && format.biCompression == kFourccYc48 &&
            format.biWidth > 0 && format.biHeight > 0,
        "the stream description is wrong");
  const int64_t bytes = FrameStride(format.biWidth) * format.biHeight;
  if (bytes <= kMaxFrameBytes) {
    std::vector<uint8_t> first(bytes + 8, 0xA5), second(bytes + 8, 0xA5);
    const int r1 = ReadJpegFrame(h, 0, first.data());
    Check(r1 == 0 || r1 == bytes, "the first read's result is not the frame's size");
    // A failure inside the finish leaves the first frame standing and the module unusable: the
    // second read then rightly gives 0. Otherwise it must repeat the first exactly.
    if (libraryUsable) {
      Check(r1 == bytes, "the first read failed with the library usable");
      const int r2 = ReadJpegFrame(h, 7, second.data());
      Check(r2 == r1, "the second read's result differs from the first's");
      Check(first == second, "the second read's frame differs from the first's");
    }
  }
  CloseJpeg(h);
  return 0;
}
