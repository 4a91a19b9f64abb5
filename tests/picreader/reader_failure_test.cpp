// Fatal library errors. The first one clears the module's flag for good, so every case here
// runs in a process of its own; afterwards every open, description and read fails, and a handle
// opened before still closes.
#include <gtest/gtest.h>

#include "tests/picreader/reader_backend.h"
#include "tests/picreader/reader_files.h"

namespace picreadertest {
namespace {

void WriteValid(const std::string& path) { WritePatchJpeg(path, PatchSamples(16, 8, 3)); }

// `earlier` was opened before the failure.
void ExpectUnusable(void* earlier) {
  const TempFile valid("valid");
  WriteValid(valid.path);
  EXPECT_EQ(Open(valid.path), nullptr);
  std::vector<uint8_t> buffer = Garbage(Stride(16) * 8, 9);
  const std::vector<uint8_t> before = buffer;
  EXPECT_EQ(Read(earlier, 0, buffer.data()), 0);
  EXPECT_EQ(buffer, before);
  std::vector<uint8_t> record = Garbage(kInfoBytes, 10);
  const std::vector<uint8_t> recordBefore = record;
  const int described = Info(earlier, record.data());
  if (described != -1) {
    EXPECT_EQ(described, 0);
    EXPECT_EQ(record, recordBefore);
  }
  EXPECT_EQ(Close(earlier), 1);
}

// The bytes of a valid file from the start up to (not including) its first `marker`.
std::vector<uint8_t> UpToMarker(int marker) {
  const TempFile file("whole");
  const std::vector<uint8_t> b = WritePatchJpeg(file.path, PatchSamples(16, 8, 3));
  for (size_t i = 2; i + 1 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == marker) return std::vector<uint8_t>(b.begin(), b.begin() + i);
  ADD_FAILURE() << "no marker " << marker;
  return b;
}

struct OpenFailure {
  const char* name;
  void (*write)(const std::string& path);
};

class OpenFailures : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(OpenFailures, EverythingFailsAfterwards) {
  const TempFile valid("valid"), bad("bad");
  WriteValid(valid.path);
  void* earlier = Open(valid.path);
  ASSERT_NE(earlier, nullptr);
  GetParam().write(bad.path);
  EXPECT_EQ(Open(bad.path), nullptr);
  ExpectUnusable(earlier);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenFailures,
    ::testing::Values(
        OpenFailure{"NotJpeg",
                    [](const std::string& p) {
                      const char text[] = "Plain text, not an image.\n";
                      WriteBytes(p, std::vector<uint8_t>(text, text + sizeof text - 1));
                    }},
        OpenFailure{"Empty", [](const std::string& p) { WriteBytes(p, {}); }},
        OpenFailure{"TruncatedHeader",
                    [](const std::string& p) {
                      std::vector<uint8_t> b = UpToMarker(0xDA);
                      b.resize(b.size() / 2);
                      WriteBytes(p, b);
                    }},
        OpenFailure{"TablesWithoutImage",
                    [](const std::string& p) {
                      std::vector<uint8_t> b = UpToMarker(0xC0);
                      b.push_back(0xFF);
                      b.push_back(0xD9);
                      WriteBytes(p, b);
                    }},
        OpenFailure{"TwelveBitSamples",
                    [](const std::string& p) {
                      WriteBytes(p, testsupport::ReadFileBytes(TestImage("testorig12.jpg")));
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

// A second scan header after the image data of a one-scan file: the library fails inside the
// finish, after every row was decoded, and the frame stands.
TEST(FinishFailure, FrameStandsAndEverythingFailsAfterwards) {
  const TempFile file("twoscans");
  const Decoded samples = PatchSamples(40, 17, 3);
  std::vector<uint8_t> b = WritePatchJpeg(file.path, samples);
  size_t sos = 2;
  while (!(b[sos] == 0xFF && b[sos + 1] == 0xDA)) ++sos;
  const size_t length = 2 + (b[sos + 2] << 8 | b[sos + 3]);
  b.insert(b.end() - 2, b.begin() + sos, b.begin() + sos + length);
  WriteBytes(file.path, b);

  void* h = Open(file.path);
  ASSERT_NE(h, nullptr);
  std::vector<uint8_t> buffer = Garbage(Stride(40) * 17, 11);
  const std::vector<uint8_t> want = ExpectedFrame(samples, buffer);
  EXPECT_EQ(Read(h, 0, buffer.data()), Stride(40) * 17);
  EXPECT_EQ(buffer, want);
  ExpectUnusable(h);
}

}  // namespace
}  // namespace picreadertest
