// A write that fails for real in the third frame of an export. Runs in a process of its own,
// started with a limit on the size of the files it may write (see CMakeLists.txt): the small
// first frames fit, the large third one is cut off at the limit.
#include <cstdlib>

#include "tests/seqwriter/seqwriter_fixture.h"
#include "tests/support/ctest_only.h"
#include "tests/support/jpeg_inspect.h"
#include "tests/win/win_files.h"

namespace seqwritertest {
namespace {

using Strings = std::vector<std::string>;

TEST_F(SeqwriterTest, LibraryFailureInTheLastFrameEndsEveryLaterExport) {
  FILE_SIZE_LIMIT_FROM_CTEST_OR_SKIP(limit);
  const size_t maxBytes = static_cast<size_t>(limit);

  wintest::ScratchDir dir("sw_failure");
  Config c;
  c.quality = 100;
  c.progression = 0;
  c.downsampling = 0;
  Configure(c);
  testhost::OutputHost host(256, 256, 3, dir / "clip.jpg");
  // Frames 0 and 1 flat (a few kilobytes), frame 2 noise (far beyond the limit).
  uint32_t seed = 1;
  for (int f = 0; f < 3; ++f) {
    for (int y = 0; y < 256; ++y) {
      host::PixelYC* p = host.frames()[f].row(y, 256);
      for (int x = 0; x < 256; ++x) {
        seed = seed * 1664525u + 1013904223u;
        p[x] = f < 2 ? host::PixelYC{2048, 0, 0}
                     : host::PixelYC{static_cast<int16_t>(seed >> 20), static_cast<int16_t>((seed >> 8) & 4095),
                                     static_cast<int16_t>(seed & 4095)};
      }
    }
  }
  EXPECT_EQ(Export(host), 0);
  Strings want;
  for (int i = 0; i < 3; ++i) {
    want.push_back("abort");
    want.push_back("progress " + std::to_string(i) + "/3");
    want.push_back("fetch " + std::to_string(i) + " YC48");
    if (i < 2) want.push_back("done");  // no frame-done for the failed frame
  }
  EXPECT_EQ(host.calls(), want);
  EXPECT_EQ(dir.List(), (Strings{"clip_0000.jpg", "clip_0001.jpg", "clip_0002.jpg"}));
  for (const char* done : {"clip_0000.jpg", "clip_0001.jpg"}) {
    testsupport::Decoded d;
    EXPECT_TRUE(testsupport::DecodeJpeg(testsupport::ReadFileBytes(dir / done), &d)) << done;
  }
  const std::vector<uint8_t> partial = testsupport::ReadFileBytes(dir / "clip_0002.jpg");
  ASSERT_GE(partial.size(), 2u);
  EXPECT_LE(partial.size(), maxBytes);
  EXPECT_EQ(partial[0], 0xFF);
  EXPECT_EQ(partial[1], 0xD8);
  EXPECT_FALSE(partial[partial.size() - 2] == 0xFF && partial.back() == 0xD9);

  // From now on every export fails at once: no callback, no file.
  wintest::ScratchDir next("sw_after_failure");
  testhost::OutputHost again(8, 8, 2, next / "clip.jpg");
  EXPECT_EQ(Export(again), 0);
  EXPECT_TRUE(again.calls().empty());
  EXPECT_TRUE(next.List().empty());
}

}  // namespace
}  // namespace seqwritertest
