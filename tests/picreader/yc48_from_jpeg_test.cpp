// The sample conversion: the known YC48 values of the formulas, and every code path equal to
// them for all 256 sample values in each channel and at each position of a vector block.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "picreader/yc48_from_jpeg.h"

namespace host {
bool operator==(const PixelYC& a, const PixelYC& b) {
  return a.y == b.y && a.cb == b.cb && a.cr == b.cr;
}
std::ostream& operator<<(std::ostream& os, const PixelYC& p) {
  return os << "{" << p.y << ", " << p.cb << ", " << p.cr << "}";
}
}  // namespace host

namespace {

using host::PixelYC;
using RowFn = void (*)(const uint8_t*, int, PixelYC*);

struct Path {
  const char* name;
  RowFn gray, colour;
};

std::vector<Path> Paths() {
  namespace d = picreader::detail;
  std::vector<Path> v = {{"scalar", d::GrayRowToYc48Scalar, d::YCbCrRowToYc48Scalar},
                         {"chosen", picreader::GrayRowToYc48, picreader::YCbCrRowToYc48}};
#if defined(__SSE2__)
  v.push_back({"sse2", d::GrayRowToYc48Sse2, d::YCbCrRowToYc48Sse2});
#endif
#if defined(PICREADER_HAVE_AVX_PATH)
  if (d::CpuHasAvx()) v.push_back({"avx", d::GrayRowToYc48Avx, d::YCbCrRowToYc48Avx});
#endif
  return v;
}

// Runs a row function on `width` pixels written `shift` pixels into a row with room to spare
// on both sides (shifts 0..7 put the first pixel at every even address modulo 16); the spare
// pixels must come back as they went in.
std::vector<PixelYC> Convert(RowFn fn, const uint8_t* samples, int width, int shift = 0) {
  const PixelYC spare{0x5A5A, 0x5A5A, 0x5A5A};
  const size_t n = width > 0 ? static_cast<size_t>(width) : 0;
  std::vector<PixelYC> out(shift + n + 8, spare);
  fn(samples, width, out.data() + shift);
  for (size_t i = 0; i < out.size(); ++i) {
    if (i < static_cast<size_t>(shift) || i >= shift + n) {
      EXPECT_EQ(out[i], spare) << "written outside the row";
    }
  }
  return std::vector<PixelYC>(out.begin() + shift, out.begin() + shift + n);
}

class Conversion : public ::testing::TestWithParam<Path> {};

// The full range: luma 0..255 onto 0..4096, colour differences onto -2064..2048 with 128 at 0.
TEST_P(Conversion, KnownValues) {
  struct Known {
    uint8_t v;
    int16_t y, c;
  };
  const Known known[] = {{0, 0, -2064},   {1, 16, -2048},   {16, 257, -1806},
                         {127, 2040, -16}, {128, 2056, 0},   {235, 3775, 1725},
                         {240, 3855, 1806}, {255, 4096, 2048}};
  for (const Known& k : known) {
    const std::vector<uint8_t> samples(3 * 21, k.v);  // a vector block and a tail
    for (const PixelYC& p : Convert(GetParam().gray, samples.data(), 21))
      ASSERT_EQ(p, (PixelYC{k.y, 0, 0})) << "gray sample " << int{k.v};
    for (const PixelYC& p : Convert(GetParam().colour, samples.data(), 21))
      ASSERT_EQ(p, (PixelYC{k.y, k.c, k.c})) << "sample " << int{k.v};
  }
}

// Rows that start at each of 16 positions, so that every sample value of every channel passes
// through every lane of the vector blocks, written at every alignment; then every row length up
// to 40 (heads and tails).
TEST_P(Conversion, EverySampleValueInEveryPosition) {
  std::vector<uint8_t> gray(256 + 40), colour(3 * (256 + 40));
  for (size_t i = 0; i < gray.size(); ++i) {
    gray[i] = static_cast<uint8_t>(i);
    colour[3 * i] = static_cast<uint8_t>(i);
    colour[3 * i + 1] = static_cast<uint8_t>(i + 85);
    colour[3 * i + 2] = static_cast<uint8_t>(255 - i);
  }
  auto check = [&](int start, int width, int shift) {
    const std::vector<PixelYC> g = Convert(GetParam().gray, gray.data() + start, width, shift);
    const std::vector<PixelYC> c =
        Convert(GetParam().colour, colour.data() + 3 * start, width, shift);
    for (int i = 0; i < width; ++i) {
      const uint8_t* s = colour.data() + 3 * (start + i);
      ASSERT_EQ(g[i], (PixelYC{picreader::LumaFromSample(gray[start + i]), 0, 0}))
          << "start " << start << " shift " << shift << " pixel " << i;
      ASSERT_EQ(c[i], (PixelYC{picreader::LumaFromSample(s[0]), picreader::ChromaFromSample(s[1]),
                               picreader::ChromaFromSample(s[2])}))
          << "start " << start << " shift " << shift << " pixel " << i;
    }
  };
  for (int start = 0; start < 16; ++start)
    for (int shift = 0; shift < 8; ++shift) check(start, 256, shift);
  for (int width = -1; width <= 40; ++width)
    for (int shift = 0; shift < 8; ++shift) check(3, width, shift);
}

INSTANTIATE_TEST_SUITE_P(Paths, Conversion, ::testing::ValuesIn(Paths()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
