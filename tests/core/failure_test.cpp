// A fatal library error clears libraryUsable for the rest of the module's life. Each test here
// runs in a process of its own (the state cannot be undone).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#endif

#include "core/encoder.h"
#include "tests/support/ctest_only.h"
#include "tests/support/frames.h"
#include "tests/support/jpeg_inspect.h"

namespace {

using core::CreateResult;
using core::JpegEncoder;

// A big noisy frame: many kilobytes of output, so that a write fails in mid-image.
testsupport::Frame BigFrame() {
  testsupport::Frame f = testsupport::MakeFrame(256, 256, testsupport::PackedStride(256), 31);
  testsupport::FillRamps(&f, 1500, 31);
  return f;
}

core::EncoderSettings Settings() {
  core::EncoderSettings s = core::kDefaultEncoderSettings;
  s.quality = 100;
  s.progression = 0;  // sequential: the rows reach the file as they are written
  s.optimize = 0;
  return s;
}

// After the failure: CreateEncoder fails at once without touching the record (no libjpeg call,
// not even jpeg_std_error), and the old encoder writes nothing more.
void ExpectModuleStaysUnusable(JpegEncoder* failed, const testsupport::Frame& frame) {
  EXPECT_EQ(core::libraryUsable, 0);
  auto later = std::make_unique<JpegEncoder>();
  std::memset(later.get(), 0xA5, sizeof(JpegEncoder));
  EXPECT_EQ(core::CreateEncoder(later.get(), Settings(), 16, 16), CreateResult::kLibraryFailure);
  const auto* raw = reinterpret_cast<const unsigned char*>(later.get());
  for (size_t i = 0; i < sizeof(JpegEncoder); ++i) ASSERT_EQ(raw[i], 0xA5) << "byte " << i;

  const std::string path = testsupport::TempPath("after");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(core::EncodeFrame(failed, f, frame.first(), frame.stride));
  std::fclose(f);
  EXPECT_TRUE(testsupport::ReadFileBytes(path).empty());
  std::remove(path.c_str());
}

TEST(LibraryFailure, WriteFailingInMidImage) {
  const testsupport::Frame frame = BigFrame();
  auto encoder = std::make_unique<JpegEncoder>();
  ASSERT_EQ(core::CreateEncoder(encoder.get(), Settings(), frame.width, frame.height),
            CreateResult::kReady);
  // Every write to this device fails with "no space left".
  FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  std::setvbuf(full, nullptr, _IONBF, 0);
  EXPECT_FALSE(core::EncodeFrame(encoder.get(), full, frame.first(), frame.stride));
  std::fclose(full);
  EXPECT_EQ(core::libraryUsable, 0);
  core::DestroyEncoder(encoder.get());  // frees the row buffer only
  EXPECT_EQ(encoder->row, nullptr);
  ExpectModuleStaysUnusable(encoder.get(), frame);
}

// With a limit on the size of files this process may write, the write fails after the first
// bytes of the image; what was written stays in the file.
TEST(LibraryFailure, PartialFileStaysOnDisk) {
#if defined(_WIN32)
  // Under Wine the limit is set by the test runner (WINE_RUN_FSIZE_BLOCKS of wine-run.sh).
  FILE_SIZE_LIMIT_FROM_CTEST_OR_SKIP(maxBytes);
#else
  const long maxBytes = 8192;
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit rl{};
  getrlimit(RLIMIT_FSIZE, &rl);
  rlimit small = rl;
  small.rlim_cur = maxBytes;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
#endif
  const testsupport::Frame frame = BigFrame();
  auto encoder = std::make_unique<JpegEncoder>();
  ASSERT_EQ(core::CreateEncoder(encoder.get(), Settings(), frame.width, frame.height),
            CreateResult::kReady);
  const std::string path = testsupport::TempPath("partial");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(core::EncodeFrame(encoder.get(), f, frame.first(), frame.stride));
  std::fclose(f);
  core::DestroyEncoder(encoder.get());
#if !defined(_WIN32)
  setrlimit(RLIMIT_FSIZE, &rl);
#endif
  const std::vector<uint8_t> bytes = testsupport::ReadFileBytes(path);
  std::remove(path.c_str());
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_LE(static_cast<long>(bytes.size()), maxBytes);
  EXPECT_EQ(bytes[0], 0xFF);  // the start of a JPEG stream, cut short
  EXPECT_EQ(bytes[1], 0xD8);
  EXPECT_FALSE(bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9);
  ExpectModuleStaysUnusable(encoder.get(), frame);
}

// A parameter the library rejects (an empty image) is a fatal error like any other.
TEST(LibraryFailure, EmptyImageRejectedByTheLibrary) {
  auto encoder = std::make_unique<JpegEncoder>();
  ASSERT_EQ(core::CreateEncoder(encoder.get(), Settings(), 0, 0), CreateResult::kReady);
  const std::string path = testsupport::TempPath("empty");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const testsupport::Frame frame = BigFrame();
  EXPECT_FALSE(core::EncodeFrame(encoder.get(), f, frame.first(), frame.stride));
  std::fclose(f);
  std::remove(path.c_str());
  core::DestroyEncoder(encoder.get());
  ExpectModuleStaysUnusable(encoder.get(), frame);
}

}  // namespace
