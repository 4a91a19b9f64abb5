// The reader as the host uses it, through the backend this program links: exact YC48 from files
// of known samples on every read, refusals that leave the module usable, and files that no one
// here wrote, against the library's own decode.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>

#include "tests/picreader/reader_backend.h"
#include "tests/picreader/reader_files.h"

namespace picreadertest {
namespace {

// Opens, reads and closes a file of YCbCr patches, which only a usable module does.
void ExpectUsable() {
  const TempFile file("usable");
  const Decoded samples = PatchSamples(19, 9, 3);
  WritePatchJpeg(file.path, samples);
  void* h = Open(file.path);
  ASSERT_NE(h, nullptr) << "the module refuses a valid file";
  std::vector<uint8_t> buffer = Garbage(Stride(19) * 9 + 16, 5);
  const std::vector<uint8_t> want = ExpectedFrame(samples, buffer);
  EXPECT_EQ(Read(h, 0, buffer.data()), Stride(19) * 9);
  EXPECT_EQ(buffer, want);
  EXPECT_EQ(Close(h), 1);
}

struct PatchCase {
  const char* name;
  int components, width, height;
  int frameBytes;  // height rows of width * 6 bytes rounded up to a multiple of 4
};

class PatchFrames : public ::testing::TestWithParam<PatchCase> {};

// Every read gives the same pixels and the same result, whatever the frame number; the bytes
// after each row's last pixel (and after the frame) keep what the host put there.
TEST_P(PatchFrames, ExactOnEveryRead) {
  const PatchCase c = GetParam();
  const TempFile file("patches");
  const Decoded samples = PatchSamples(c.width, c.height, c.components);
  WritePatchJpeg(file.path, samples);
  void* h = Open(file.path);
  ASSERT_NE(h, nullptr);
  uint32_t seed = 1;
  for (int frame : {0, 0, 1, -1, INT_MAX}) {
    std::vector<uint8_t> buffer = Garbage(c.frameBytes + 16, ++seed);
    const std::vector<uint8_t> want = ExpectedFrame(samples, buffer);
    EXPECT_EQ(Read(h, frame, buffer.data()), c.frameBytes) << "frame " << frame;
    EXPECT_EQ(buffer, want) << "frame " << frame;
  }
  EXPECT_EQ(Close(h), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PatchFrames,
    ::testing::Values(PatchCase{"Colour41x19", 3, 41, 19, 248 * 19},
                      PatchCase{"Gray41x19", 1, 41, 19, 248 * 19},
                      PatchCase{"Colour64x8", 3, 64, 8, 384 * 8},
                      PatchCase{"ColourWidth1", 3, 1, 9, 8 * 9},
                      PatchCase{"GrayWidth1", 1, 1, 9, 8 * 9},
                      PatchCase{"ColourWidth3Height5", 3, 3, 5, 100},
                      PatchCase{"GrayWidth3Height5", 1, 3, 5, 100}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<uint8_t> SmallGray() {
  const TempFile file("small");
  return WritePatchJpeg(file.path, PatchSamples(8, 8, 1));
}

struct RefusalCase {
  const char* name;
  void (*write)(const std::string& path);  // the refused file, if any
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, NullAndTheModuleStaysUsable) {
  const TempFile file("refused");
  GetParam().write(file.path);
  void* h = Open(file.path);
  EXPECT_EQ(h, nullptr);
  if (h != nullptr) Close(h);
  ExpectUsable();
}

INSTANTIATE_TEST_SUITE_P(
    Files, Refusals,
    ::testing::Values(
        RefusalCase{"Rgb",
                    [](const std::string& p) {
                      WriteJpeg(p, PatchSamples(16, 16, 3), JCS_RGB, JCS_RGB);
                    }},
        RefusalCase{"Cmyk",
                    [](const std::string& p) {
                      WriteJpeg(p, PatchSamples(16, 16, 4), JCS_CMYK, JCS_CMYK);
                    }},
        RefusalCase{"Ycck",
                    [](const std::string& p) {
                      WriteJpeg(p, PatchSamples(16, 16, 4), JCS_CMYK, JCS_YCCK);
                    }},
        RefusalCase{"RgbFromCjpeg",
                    [](const std::string& p) {
                      WriteBytes(p, testsupport::ReadFileBytes(MadeFile("rgb.jpg")));
                    }},
        RefusalCase{"MissingFile", [](const std::string&) {}},
        // 65500 x 5465 pixels: 2,147,745,000 bytes, more than an int counts.
        RefusalCase{"FrameBeyondIntBytes",
                    [](const std::string& p) {
                      WriteBytes(p, WithFrameSize(SmallGray(), 65500, 5465));
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

// 65500 x 5464 pixels: 2,147,352,000 bytes, just within an int.
TEST(FrameSize, LargestCountableFrameOpens) {
  const TempFile file("largest");
  WriteBytes(file.path, WithFrameSize(SmallGray(), 65500, 5464));
  void* h = Open(file.path);
  EXPECT_NE(h, nullptr);
  EXPECT_EQ(Close(h), 1);
}

TEST(Close, NullHandle) { EXPECT_EQ(Close(nullptr), 1); }

class RealWorld : public ::testing::TestWithParam<std::string> {};

// The YC48 formulas applied to what libjpeg itself decodes in the file's own colour space.
TEST_P(RealWorld, SameAsTheLibrarysOwnDecode) {
  Decoded direct;
  ASSERT_TRUE(testsupport::DecodeJpeg(testsupport::ReadFileBytes(GetParam()), &direct))
      << GetParam();
  ASSERT_TRUE(direct.components == 1 || direct.components == 3);
  void* h = Open(GetParam());
  ASSERT_NE(h, nullptr);
  const int bytes = Stride(direct.width) * direct.height;
  std::vector<uint8_t> buffer = Garbage(bytes + 16, 77);
  const std::vector<uint8_t> want = ExpectedFrame(direct, buffer);
  EXPECT_EQ(Read(h, 0, buffer.data()), bytes);
  EXPECT_EQ(buffer, want);
  EXPECT_EQ(Close(h), 1);
}

INSTANTIATE_TEST_SUITE_P(Files, RealWorld, ::testing::ValuesIn(RealWorldFiles()),
                         [](const auto& info) {
                           const std::string& p = info.param;
                           const size_t slash = p.find_last_of("/\\");
                           std::string name = p.substr(slash + 1, p.rfind('.') - slash - 1);
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

// A scan whose AC Huffman table is defined only after it, before the end of the file: libjpeg
// decodes the scan with its standard table (and warns). A decoder that kept the tables of an
// earlier pass would decode every later read with the late table instead.
TEST(Rereads, TableDefinedAfterItsScanDecodesAlike) {
  const std::string path = std::string(PICREADER_KEPT_FILES) + "/reread-table-after-scan.jpg";
  Decoded direct;
  ASSERT_TRUE(testsupport::DecodeJpeg(testsupport::ReadFileBytes(path), &direct));
  void* h = Open(path);
  ASSERT_NE(h, nullptr);
  const int bytes = Stride(direct.width) * direct.height;
  for (int read = 1; read <= 3; ++read) {
    std::vector<uint8_t> buffer = Garbage(bytes, 3);
    const std::vector<uint8_t> want = ExpectedFrame(direct, buffer);
    EXPECT_EQ(Read(h, 0, buffer.data()), bytes) << "read " << read;
    EXPECT_EQ(buffer, want) << "read " << read;
  }
  EXPECT_EQ(Close(h), 1);
}

}  // namespace
}  // namespace picreadertest
