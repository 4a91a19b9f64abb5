// Files written by the encoder, read back independently: sampling, tables, scan scripts,
// Huffman optimisation, row strides and the samples themselves.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "core/convert.h"
#include "core/encoder.h"
#include "tests/support/encode.h"
#include "tests/support/frames.h"
#include "tests/support/jpeg_inspect.h"
#include "tests/support/known_answers.h"

namespace {

using core::EncoderSettings;
using core::kDefaultEncoderSettings;
using testsupport::Decoded;
using testsupport::EncodeToBytes;
using testsupport::Frame;
using testsupport::JpegStructure;
using testsupport::MakeFrame;
using testsupport::Scan;

JpegStructure Inspect(const std::vector<uint8_t>& bytes) {
  JpegStructure s;
  EXPECT_TRUE(testsupport::InspectJpeg(bytes, &s));
  EXPECT_TRUE(s.endsWithEoi);
  return s;
}

Decoded Decode(const std::vector<uint8_t>& bytes) {
  Decoded d;
  EXPECT_TRUE(testsupport::DecodeJpeg(bytes, &d));
  return d;
}

// --- sampling presets --------------------------------------------------------------------------

struct SamplingCase {
  int downsampling, components, h, v;
};

class SamplingPresets : public ::testing::TestWithParam<SamplingCase> {};

TEST_P(SamplingPresets, FrameHeaderShowsThePresetFactors) {
  const SamplingCase c = GetParam();
  EncoderSettings s = kDefaultEncoderSettings;
  s.downsampling = c.downsampling;
  const JpegStructure js = Inspect(EncodeToBytes(s, MakeFrame(40, 24, 240, 1)));
  ASSERT_EQ(static_cast<int>(js.components.size()), c.components);
  EXPECT_EQ(js.components[0].h, c.h);
  EXPECT_EQ(js.components[0].v, c.v);
  for (size_t i = 1; i < js.components.size(); ++i) {
    EXPECT_EQ(js.components[i].h, 1);
    EXPECT_EQ(js.components[i].v, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllPresetsAndFallbacks, SamplingPresets,
    ::testing::Values(SamplingCase{0, 3, 1, 1}, SamplingCase{1, 3, 2, 1}, SamplingCase{2, 3, 2, 2},
                      SamplingCase{3, 1, 2, 2}, SamplingCase{4, 3, 1, 2}, SamplingCase{5, 3, 4, 2},
                      SamplingCase{6, 3, 2, 4}, SamplingCase{7, 3, 2, 2}, SamplingCase{-1, 3, 2, 2},
                      SamplingCase{1000, 3, 2, 2}));

TEST(GrayFiles, OneComponentOneTable) {
  EncoderSettings s = kDefaultEncoderSettings;
  s.downsampling = 3;
  const auto bytes = EncodeToBytes(s, MakeFrame(33, 17, 33 * 6, 2));
  const JpegStructure js = Inspect(bytes);
  ASSERT_EQ(js.components.size(), 1u);
  EXPECT_EQ(js.components[0].quantTable, 0);
  EXPECT_EQ(js.quantTables.size(), 1u);
  EXPECT_EQ(js.quantTables.count(0), 1u);
  const Decoded d = Decode(bytes);
  EXPECT_EQ(d.components, 1);
  EXPECT_EQ(d.width, 33);
  EXPECT_EQ(d.height, 17);
}

// --- quantization tables -----------------------------------------------------------------------

// The quality scaling of the JPEG library's reference implementation: 5000/q below 50,
// 200 - 2q from 50; entries rounded, limited to 1..255 (baseline).
int Scaled(int base, int quality) {
  if (quality <= 0) quality = 1;
  if (quality > 100) quality = 100;
  const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
  int v = (base * scale + 50) / 100;
  return v < 1 ? 1 : (v > 255 ? 255 : v);
}

const std::array<int, 64> kSetLuma[3] = {
    {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
     14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
     18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
     49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99},
    {7,  5,  5,  7,  10, 12, 13, 17, 5,  5,  5,  7,  8,  10, 13, 17, 5,  5,  5,  7,  10, 15,
     20, 20, 7,  7,  7,  12, 15, 20, 20, 28, 10, 8,  10, 15, 20, 22, 28, 33, 12, 10, 15, 20,
     22, 28, 33, 33, 13, 13, 20, 20, 28, 33, 33, 33, 17, 17, 20, 28, 33, 33, 33, 33},
    {},  // set 2 luma: derived from the zigzag rule below
};

std::array<int, 64> ChromaOf(int set) {
  std::array<int, 64> t{};
  const int k2[8][8] = {{17, 18, 24, 47, 99, 99, 99, 99}, {18, 21, 26, 66, 99, 99, 99, 99},
                        {24, 26, 56, 99, 99, 99, 99, 99}, {47, 66, 99, 99, 99, 99, 99, 99}};
  const int s1[4][4] = {{7, 8, 13, 25}, {8, 12, 17, 23}, {13, 17, 23, 33}, {25, 23, 33, 33}};
  const int s2[4][4] = {{16, 16, 20, 33}, {16, 20, 33, 48}, {20, 33, 48, 66}, {33, 48, 66, 66}};
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) {
      if (set == 0) {
        t[r * 8 + c] = r < 4 ? k2[r][c] : 99;
      } else if (set == 1) {
        t[r * 8 + c] = (r < 4 && c < 4) ? s1[r][c] : 33;
      } else {
        t[r * 8 + c] = (r < 4 && c < 4) ? s2[r][c] : 66;
      }
    }
  return t;
}

// Set 2 luma: DC 16, the AC coefficient at zigzag position k is 13 + k.
std::array<int, 64> Set2Luma() {
  std::array<int, 64> t{};
  t[0] = 16;
  for (int k = 1; k < 64; ++k) t[testsupport::kZigzagToNatural[k]] = 13 + k;
  return t;
}

std::array<int, 64> LumaOf(int set) { return set == 2 ? Set2Luma() : kSetLuma[set]; }

class QuantTables : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(QuantTables, WrittenTablesAreTheSetScaledByQuality) {
  const auto [set, quality] = GetParam();
  EncoderSettings s = kDefaultEncoderSettings;
  s.quantize = set;
  s.quality = quality;
  const JpegStructure js = Inspect(EncodeToBytes(s, MakeFrame(16, 16, 96, 3)));
  ASSERT_EQ(js.quantTables.size(), 2u);
  const auto luma = LumaOf(set), chroma = ChromaOf(set);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(js.quantTables.at(0)[i], Scaled(luma[i], quality)) << "luma entry " << i;
    EXPECT_EQ(js.quantTables.at(1)[i], Scaled(chroma[i], quality)) << "chroma entry " << i;
  }
  EXPECT_EQ(js.components[0].quantTable, 0);
  EXPECT_EQ(js.components[1].quantTable, 1);
  EXPECT_EQ(js.components[2].quantTable, 1);
}

INSTANTIATE_TEST_SUITE_P(SetsAndQualities, QuantTables,
                         ::testing::Combine(::testing::Values(0, 1, 2),
                                            ::testing::Values(0, 1, 50, 75, 100)));

TEST(QuantTablesAnchors, Set1AtTelltaleQualities) {
  EncoderSettings s = kDefaultEncoderSettings;
  s.quantize = 1;
  s.quality = 50;  // scale 100: the base tables unchanged
  auto t50 = Inspect(EncodeToBytes(s, MakeFrame(8, 8, 48, 4))).quantTables;
  EXPECT_EQ(t50.at(0)[0], 7);
  EXPECT_EQ(t50.at(0)[63], 33);
  s.quality = 100;  // every entry 1
  auto t100 = Inspect(EncodeToBytes(s, MakeFrame(8, 8, 48, 4))).quantTables;
  for (int i = 0; i < 64; ++i) EXPECT_EQ(t100.at(0)[i] + t100.at(1)[i], 2);
  s.quality = 75;  // halved, halves rounded up: 7 -> 4, 5 -> 3, 33 -> 17
  auto t75 = Inspect(EncodeToBytes(s, MakeFrame(8, 8, 48, 4))).quantTables;
  EXPECT_EQ(t75.at(0)[0], 4);
  EXPECT_EQ(t75.at(0)[1], 3);
  EXPECT_EQ(t75.at(0)[63], 17);
}

TEST(QuantTablesAnchors, UnknownSetsUseTheLibraryTablesLikeSet0) {
  for (int quality : {0, 1, 50, 75, 100}) {
    EncoderSettings s = kDefaultEncoderSettings;
    s.quality = quality;
    const auto frame = MakeFrame(16, 16, 96, 5);
    s.quantize = 0;
    const auto set0 = Inspect(EncodeToBytes(s, frame)).quantTables;
    for (int q : {3, -1, 99}) {
      s.quantize = q;
      EXPECT_EQ(Inspect(EncodeToBytes(s, frame)).quantTables, set0) << "quantize " << q;
    }
  }
}

TEST(QuantTablesAnchors, QualityZeroEqualsQualityOne) {
  EncoderSettings s = kDefaultEncoderSettings;
  const auto frame = MakeFrame(16, 16, 96, 6);
  for (int set : {0, 1, 2, 3}) {
    s.quantize = set;
    s.quality = 0;
    const auto q0 = EncodeToBytes(s, frame);
    s.quality = 1;
    EXPECT_EQ(EncodeToBytes(s, frame), q0) << "set " << set;
  }
}

// --- progression and Huffman tables -------------------------------------------------------------

// The library's standard script (jpeg_simple_progression) for YCbCr and gray.
const std::vector<Scan> kStandardYcc = {
    {{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 5, 0, 2},     {{2}, 1, 63, 0, 1}, {{1}, 1, 63, 0, 1},
    {{0}, 6, 63, 0, 2},      {{0}, 1, 63, 2, 1},    {{0, 1, 2}, 0, 0, 1, 0},
    {{2}, 1, 63, 1, 0},      {{1}, 1, 63, 1, 0},    {{0}, 1, 63, 1, 0}};
const std::vector<Scan> kStandardGray = {{{0}, 0, 0, 0, 1},  {{0}, 1, 5, 0, 2},
                                         {{0}, 6, 63, 0, 2}, {{0}, 1, 63, 2, 1},
                                         {{0}, 0, 0, 1, 0},  {{0}, 1, 63, 1, 0}};
const std::vector<Scan>& kCustomYcc = testsupport::CustomScriptYcc();
const std::vector<Scan>& kCustomGray = testsupport::CustomScriptGray();

struct ScriptCase {
  const char* name;
  int progression, mine, downsampling;
  int sof;
  const std::vector<Scan>* scans;  // null: one scan with every component
};

void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }
void PrintTo(const SamplingCase& c, std::ostream* os) { *os << "downsampling " << c.downsampling; }

class ScanScripts : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScanScripts, FileHasTheScriptsScansInOrder) {
  const ScriptCase c = GetParam();
  EncoderSettings s = kDefaultEncoderSettings;
  s.progression = c.progression;
  s.progression_mine = c.mine;
  s.downsampling = c.downsampling;
  const auto bytes = EncodeToBytes(s, MakeFrame(48, 40, 48 * 6, 7));
  const JpegStructure js = Inspect(bytes);
  EXPECT_EQ(js.sofMarker, c.sof);
  if (c.scans != nullptr) {
    EXPECT_EQ(js.scans, *c.scans);
  } else {
    ASSERT_EQ(js.scans.size(), 1u);
    EXPECT_EQ(js.scans[0].components.size(), js.components.size());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScanScripts,
    ::testing::Values(ScriptCase{"standard_ycc", 1, 0, 2, 0xC2, &kStandardYcc},
                      ScriptCase{"standard_gray", 1, 0, 3, 0xC2, &kStandardGray},
                      ScriptCase{"custom_ycc", 1, 1, 2, 0xC2, &kCustomYcc},
                      ScriptCase{"custom_gray", 1, 1, 3, 0xC2, &kCustomGray},
                      ScriptCase{"custom_444", 1, 1, 0, 0xC2, &kCustomYcc},
                      // without progression the custom switch does nothing: one sequential scan
                      ScriptCase{"sequential", 0, 1, 2, 0xC0, nullptr},
                      ScriptCase{"sequential_gray", 0, 0, 3, 0xC0, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScanScripts, CustomScriptDecodesToTheSamePixelsAsTheStandardOne) {
  for (int downsampling : {0, 2, 3, 5}) {
    EncoderSettings s = kDefaultEncoderSettings;
    s.downsampling = downsampling;
    Frame frame = MakeFrame(61, 45, 61 * 6, 8);
    testsupport::FillRamps(&frame, 300, 8);
    const auto standard = EncodeToBytes(s, frame);
    s.progression_mine = 1;
    const auto custom = EncodeToBytes(s, frame);
    EXPECT_NE(standard, custom);
    EXPECT_EQ(Decode(standard).samples, Decode(custom).samples) << "preset " << downsampling;
  }
}

// The DC luminance code lengths of the JPEG standard's example tables (Annex K.3).
const std::array<uint8_t, 17> kStdDcLumaBits = {0, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};

TEST(HuffmanTables, OptimizedOnlyWhenAsked) {
  Frame frame = MakeFrame(64, 48, 64 * 6, 9);
  testsupport::FillRamps(&frame, 500, 9);
  EncoderSettings s = kDefaultEncoderSettings;
  s.progression = 0;
  s.optimize = 1;
  const auto optimized = EncodeToBytes(s, frame);
  s.optimize = 0;
  const auto standard = EncodeToBytes(s, frame);
  EXPECT_EQ(Inspect(optimized).sofMarker, 0xC0);  // sequential (baseline)
  EXPECT_NE(Decode(optimized).dcLumaBits, kStdDcLumaBits);
  EXPECT_EQ(Decode(standard).dcLumaBits, kStdDcLumaBits);
  EXPECT_LT(optimized.size(), standard.size());
  EXPECT_EQ(Decode(optimized).samples, Decode(standard).samples);
}

// --- samples and row strides --------------------------------------------------------------------

// Flat 8 x 8 patches at quality 100, 4:4:4, set 1 (every step 1) decode to exactly the
// converted samples: the file holds what the conversion made, row by row, top row first.
TEST(EncodedSamples, FlatPatchesDecodeToTheConvertedSamples) {
  for (int cm : {0, 1}) {
    for (int downsampling : {0, 3}) {
      EncoderSettings s = kDefaultEncoderSettings;
      s.quality = 100;
      s.quantize = 1;
      s.downsampling = downsampling;
      s.colormatrix = cm;
      Frame frame = MakeFrame(48, 32, 48 * 6, 10);
      testsupport::FillPatches(&frame);
      const Decoded d = Decode(EncodeToBytes(s, frame));
      const bool gray = downsampling == 3;
      const int n = gray ? 1 : 3;
      ASSERT_EQ(d.components, n);
      std::vector<uint8_t> want(48 * n);
      for (int y = 0; y < 32; ++y) {
        core::ConvertYcRowScalar(frame.row(y), 48, gray, cm, want.data());
        for (int i = 0; i < 48 * n; ++i) {
          ASSERT_EQ(d.samples[y * 48 * n + i], want[i])
              << "cm=" << cm << " gray=" << gray << " row " << y << " sample " << i;
        }
      }
    }
  }
}

// Odd widths with 4-byte aligned rows: the two padding bytes hold garbage that must not reach
// the picture; the result equals the packed frame with the same pixels.
TEST(RowStrides, PaddingNeverReachesThePicture) {
  for (int width : {1, 3, 5, 17, 33}) {
    for (int downsampling : {0, 2, 3}) {
      EncoderSettings s = kDefaultEncoderSettings;
      s.downsampling = downsampling;
      Frame packed = MakeFrame(width, 11, testsupport::PackedStride(width), 11);
      Frame aligned = MakeFrame(width, 11, testsupport::AlignedStride(width), 12);
      ASSERT_EQ(aligned.stride % 4, 0);
      if (width % 2 == 1) {
        ASSERT_EQ(aligned.stride, width * 6 + 2);
      }
      for (int y = 0; y < 11; ++y)
        std::copy(packed.row(y), packed.row(y) + width, aligned.row(y));
      EXPECT_EQ(EncodeToBytes(s, packed), EncodeToBytes(s, aligned))
          << "width " << width << " preset " << downsampling;
    }
  }
}

// One encoder serves several images (the numbered output uses one per export).
TEST(EncoderReuse, SameCompressorWritesEqualFiles) {
  auto encoder = std::make_unique<core::JpegEncoder>();
  Frame frame = MakeFrame(30, 20, testsupport::AlignedStride(30), 13);
  ASSERT_EQ(core::CreateEncoder(encoder.get(), kDefaultEncoderSettings, 30, 20),
            core::CreateResult::kReady);
  std::vector<std::vector<uint8_t>> files;
  for (int i = 0; i < 3; ++i) {
    const std::string path = testsupport::TempPath("reuse");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(core::EncodeFrame(encoder.get(), f, frame.first(), frame.stride));
    std::fclose(f);
    files.push_back(testsupport::ReadFileBytes(path));
    std::remove(path.c_str());
  }
  core::DestroyEncoder(encoder.get());
  EXPECT_EQ(files[0], files[1]);
  EXPECT_EQ(files[1], files[2]);
  EXPECT_EQ(Decode(files[2]).width, 30);
  EXPECT_EQ(core::libraryUsable, 1);
}

TEST(EncoderRowBuffer, WidthOneImages) {
  for (int downsampling : {0, 3}) {
    EncoderSettings s = kDefaultEncoderSettings;
    s.downsampling = downsampling;
    const Decoded d = Decode(EncodeToBytes(s, MakeFrame(1, 9, 8, 14)));
    EXPECT_EQ(d.width, 1);
    EXPECT_EQ(d.height, 9);
  }
}

}  // namespace
