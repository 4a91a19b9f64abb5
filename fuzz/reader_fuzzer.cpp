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

#include "fuzz/check.h"
#include "host/pixel_yc.h"
#include "picreader/jpeg_reader.h"

namespace {

// Larger frames are opened and described but not read: they only cost time.
constexpr int64_t kMaxFrameBytes = 8 << 20;

// The input in a file of its own for OpenJpeg, which takes a path: a unique name in TMPDIR
// (else /tmp), which the caller removes as soon as the reader has opened or refused the file
// (an open file outlives its name). A run that cannot write its inputs stops.
std::string WriteInputFile(const uint8_t* data, size_t size) {
  const char* dir = std::getenv("TMPDIR");
  std::string path = dir != nullptr && *dir != '\0' ? dir : "/tmp";
  path += "/fuzz_reader_XXXXXX";
  const int fd = mkstemp(&path[0]);
  Check(fd >= 0, "no temporary file for the input");
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (!written) unlink(path.c_str());
  Check(written, "the input could not be written");
  return path;
}

}  // namespace

// A failed module keeps its decoders by design (no library call after the failure): no leak
// checking here.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace picreader;
  libraryUsable = 1;  // every input starts with a fresh module
  const std::string path = WriteInputFile(data, size);
  JpegReaderHandle* h = OpenJpeg(path.c_str());
  unlink(path.c_str());
  if (h == nullptr) return 0;
  const BitmapInfoHeader& format = h->format;
  Check(format.biSize == 40 && format.biBitCount == 48 &&
            format.biCompression == host::kFourccYC48 && format.biWidth > 0 && format.biHeight > 0,
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
