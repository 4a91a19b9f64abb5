// The YC48 to 8-bit conversion: the known answers of both modes, the row shapes, and the vector
// code matching the scalar reference byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "core/convert.h"
#include "core/convert_formulas.h"
#include "core/convert_paths.h"
#include "tests/support/frames.h"
#include "tests/support/known_answers.h"

namespace {

using core::ConvertYcRow;
using core::ConvertYcRowScalar;
using host::PixelYC;

using ConvertFn = void (*)(const PixelYC*, int, bool, int, uint8_t*);

struct Impl {
  const char* name;
  ConvertFn fn;
};

// Every path this build and processor can run, the scalar reference first.
std::vector<Impl> Paths() {
  std::vector<Impl> v = {{"scalar", ConvertYcRowScalar}, {"dispatch", ConvertYcRow}};
#if defined(__SSE2__)
  v.push_back({"sse2", core::detail::ConvertYcRowSse2});
#endif
#if defined(JPEGCORE_HAVE_RUNTIME_PATHS)
  if (core::detail::CpuHasSsse3()) v.push_back({"ssse3", core::detail::ConvertYcRowSsse3});
  if (core::detail::CpuHasAvx2()) v.push_back({"avx2", core::detail::ConvertYcRowAvx2});
#endif
  return v;
}

// The vector paths only.
std::vector<Impl> VectorPaths() {
  std::vector<Impl> v = Paths();
  v.erase(v.begin(), v.begin() + 2);
  return v;
}

std::vector<uint8_t> Convert(ConvertFn fn, const std::vector<PixelYC>& px, bool gray, int cm) {
  std::vector<uint8_t> out(px.size() * (gray ? 1 : 3) + 4, 0xEE);
  fn(px.data(), static_cast<int>(px.size()), gray, cm, out.data());
  return out;
}

class ConvertKnownAnswers : public ::testing::TestWithParam<Impl> {};

// Luma rescale 255/4096: 0 up to y = 8, 255 from y = 4088, clamped beyond the nominal range.
TEST_P(ConvertKnownAnswers, PlainLumaInGrayAndColour) {
  const std::pair<int, int> table[] = {{-300, 0}, {0, 0},     {8, 0},      {9, 1},
                                       {2048, 128}, {4087, 254}, {4088, 255}, {4096, 255},
                                       {4200, 255}, {32767, 255}};
  for (int cm : {0, 2, -1}) {
    for (auto [y, want] : table) {
      // 9 copies so that vector blocks and the scalar tail both see the value
      std::vector<PixelYC> px(9, PixelYC{static_cast<int16_t>(y), 1234, -1234});
      auto gray = Convert(GetParam().fn, px, true, cm);
      auto colour = Convert(GetParam().fn, px, false, cm);
      for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(gray[i], want) << "y=" << y << " cm=" << cm;
        EXPECT_EQ(colour[3 * i], want) << "y=" << y << " cm=" << cm;
      }
    }
  }
}

// Chroma rescale 127/2048 around 128: the same formula for cb and cr.
TEST_P(ConvertKnownAnswers, PlainChromaBothChannels) {
  const std::pair<int, int> table[] = {
      {-2100, 0}, {-2057, 0},   {-2056, 1},   {-2048, 1},   {-1, 128},   {0, 128},  {8, 128},
      {9, 129},   {2039, 254},  {2040, 255},  {2047, 255},  {2048, 255}, {2100, 255}};
  for (auto [c, want] : table) {
    const auto v = static_cast<int16_t>(c);
    std::vector<PixelYC> cbRow(9, PixelYC{2048, v, 0});
    std::vector<PixelYC> crRow(9, PixelYC{2048, 0, v});
    auto a = Convert(GetParam().fn, cbRow, false, 0);
    auto b = Convert(GetParam().fn, crRow, false, 0);
    for (int i = 0; i < 9; ++i) {
      EXPECT_EQ(a[3 * i + 1], want) << "cb=" << c;
      EXPECT_EQ(a[3 * i + 2], 128) << "cr=0 beside cb=" << c;
      EXPECT_EQ(b[3 * i + 2], want) << "cr=" << c;
      EXPECT_EQ(b[3 * i + 1], 128) << "cb=0 beside cr=" << c;
    }
  }
}

// Whole pixels through both modes, BT.709 to BT.601 against plain rescale.
TEST_P(ConvertKnownAnswers, MatrixModeWholePixels) {
  for (const testsupport::WholePixel& c : testsupport::WholePixels()) {
    std::vector<PixelYC> px(11, c.in);
    auto m1 = Convert(GetParam().fn, px, false, 1);
    auto m0 = Convert(GetParam().fn, px, false, 0);
    for (int i = 0; i < 11; ++i) {
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(m1[3 * i + k], c.mode1[k]) << c.in.y << "," << c.in.cb << "," << c.in.cr;
        EXPECT_EQ(m0[3 * i + k], c.mode0[k]) << c.in.y << "," << c.in.cb << "," << c.in.cr;
      }
    }
  }
}

// In gray mode the matrix still lets the colour differences into the gray level.
TEST_P(ConvertKnownAnswers, GrayWithMatrixUsesChroma) {
  std::vector<PixelYC> px(10, PixelYC{2048, 2047, 0});
  EXPECT_EQ(Convert(GetParam().fn, px, true, 1)[9], 141);
  EXPECT_EQ(Convert(GetParam().fn, px, true, 0)[9], 128);
  EXPECT_EQ(Convert(GetParam().fn, px, true, 2)[9], 128);
  EXPECT_EQ(Convert(GetParam().fn, px, true, -1)[9], 128);
}

// Out-of-range matrix codes convert exactly as 0, for every channel.
TEST_P(ConvertKnownAnswers, UnknownMatrixCodesActAsPlain) {
  testsupport::Lcg rng{7};
  std::vector<PixelYC> px(37);
  for (auto& p : px)
    p = {static_cast<int16_t>(rng.Next()), static_cast<int16_t>(rng.Next()),
         static_cast<int16_t>(rng.Next())};
  for (bool gray : {true, false}) {
    const auto plain = Convert(GetParam().fn, px, gray, 0);
    EXPECT_EQ(Convert(GetParam().fn, px, gray, 2), plain);
    EXPECT_EQ(Convert(GetParam().fn, px, gray, -1), plain);
    EXPECT_EQ(Convert(GetParam().fn, px, gray, 1000), plain);
  }
}

// Width 1 writes one sample (or one triple); widths 0 and below write nothing.
TEST_P(ConvertKnownAnswers, RowLengths) {
  const PixelYC px[2] = {{4096, 2048, -2048}, {0, 0, 0}};
  for (int cm : {0, 1}) {
    uint8_t out[8];
    std::fill(std::begin(out), std::end(out), 0xEE);
    GetParam().fn(px, 1, true, cm, out);
    EXPECT_NE(out[0], 0xEE);
    EXPECT_EQ(out[1], 0xEE);
    std::fill(std::begin(out), std::end(out), 0xEE);
    GetParam().fn(px, 1, false, cm, out);
    EXPECT_NE(out[2], 0xEE);
    EXPECT_EQ(out[3], 0xEE);
    for (int w : {0, -1, -100}) {
      std::fill(std::begin(out), std::end(out), 0xEE);
      GetParam().fn(px, w, false, cm, out);
      GetParam().fn(px, w, true, cm, out);
      EXPECT_EQ(out[0], 0xEE);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, ConvertKnownAnswers, ::testing::ValuesIn(Paths()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The vector code against the reference formulas.

class ConvertVectorMatchesScalar : public ::testing::TestWithParam<Impl> {};

// Each of the single-input formulas over all 65,536 inputs, with random values in the other
// channels, at several alignments of the row start and with several tail lengths.
TEST_P(ConvertVectorMatchesScalar, EverySingleInputValue) {
  namespace f = core::formulas;
  testsupport::Lcg rng{12345};
  for (int channel = 0; channel < 3; ++channel) {
    std::vector<PixelYC> px(65536 + 7);
    for (size_t i = 0; i < px.size(); ++i) {
      int16_t v = static_cast<int16_t>(static_cast<uint16_t>(i));
      PixelYC p{static_cast<int16_t>(rng.Next()), static_cast<int16_t>(rng.Next()),
                static_cast<int16_t>(rng.Next())};
      (channel == 0 ? p.y : channel == 1 ? p.cb : p.cr) = v;
      px[i] = p;
    }
    for (int offset : {0, 1, 3, 9}) {
      const int width = 65536 + 7 - offset;
      std::vector<uint8_t> gray(width), colour(3 * width);
      GetParam().fn(px.data() + offset, width, true, 0, gray.data());
      GetParam().fn(px.data() + offset, width, false, 0, colour.data());
      for (int i = 0; i < width; ++i) {
        const PixelYC& p = px[offset + i];
        if (channel == 0) {
          ASSERT_EQ(gray[i], f::LumaPlain(p.y)) << "y=" << p.y;
          ASSERT_EQ(colour[3 * i], f::LumaPlain(p.y)) << "y=" << p.y;
        } else {
          ASSERT_EQ(colour[3 * i + channel], f::ChromaPlain(channel == 1 ? p.cb : p.cr));
        }
      }
    }
  }
}

// The three-input matrix formulas: every combination of the edge values, then a large random
// sample, in gray and colour, compared with the scalar loop.
TEST_P(ConvertVectorMatchesScalar, MatrixFormulasEdgesAndRandom) {
  const int16_t edges[] = {-32768, -32767, -4096, -2049, -2048, -2047, -1,   0,    1,
                           8,      9,      2047,  2048,  2049,  4087,  4088, 4096, 32767};
  std::vector<PixelYC> px;
  for (int16_t y : edges)
    for (int16_t cb : edges)
      for (int16_t cr : edges) px.push_back({y, cb, cr});
  testsupport::Lcg rng{99};
  for (int i = 0; i < 1 << 20; ++i) {
    const bool wide = (i & 1) != 0;  // half over the whole 16-bit range, half near nominal
    px.push_back({static_cast<int16_t>(wide ? rng.Next() : rng.Range(-200, 4300)),
                  static_cast<int16_t>(wide ? rng.Next() : rng.Range(-2200, 2200)),
                  static_cast<int16_t>(wide ? rng.Next() : rng.Range(-2200, 2200))});
  }
  for (bool gray : {true, false}) {
    for (int cm : {0, 1}) {
      for (int tail = 0; tail < 16; tail += 3) {
        const int width = static_cast<int>(px.size()) - tail;
        std::vector<uint8_t> vec(width * 3 + 1, 0xEE), ref(width * 3 + 1, 0xEE);
        GetParam().fn(px.data() + tail, width, gray, cm, vec.data());
        ConvertYcRowScalar(px.data() + tail, width, gray, cm, ref.data());
        ASSERT_EQ(vec, ref) << "gray=" << gray << " cm=" << cm << " tail=" << tail;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(VectorPaths, ConvertVectorMatchesScalar,
                         ::testing::ValuesIn(VectorPaths()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertDispatch, VectorPathIsInUse) {
#if defined(__SSE2__)
  EXPECT_TRUE(core::ConvertYcRowIsVectorised());
#endif
}

}  // namespace
