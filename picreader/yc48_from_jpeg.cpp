// 8-bit samples to YC48: the scalar reference loops and their SSE2 versions.
//
// The vector loops widen each sample v into a 16-bit lane u = (v << 8) | a, with a constant
// byte a slipped under it by the unpack, and then need one unsigned high-half multiply
// (pmulhuw) per lane:
//   gray:    y = (u * 4112) >> 16                     with a = 8
//   colour:  y = ((u * 16448) >> 16) >> 2             with a = 8
//            c = (((u * 16513) >> 16) - 8255) >> 2    with a = 2
// Each of these equals its formula in yc48_from_jpeg.h for every one of the 256 sample values
// (and only there; the tests check all of them). The colour loop never de-interleaves: every
// sample becomes the 16-bit lane of the same position, with the constants of its channel.
// Both loops convert the first few pixels one at a time, so that the vector stores fall on
// 16-byte boundaries of the host's buffer.
#include "picreader/yc48_from_jpeg.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace picreader {

using host::PixelYC;

namespace {

// Every path is built from the functions marked so, inlined into it and so compiled for its
// instruction set.
#define ALWAYS_INLINE inline __attribute__((always_inline))

ALWAYS_INLINE void GrayPixels(const uint8_t* samples, int width, PixelYC* pixels) {
  for (int i = 0; i < width; ++i) pixels[i] = {LumaFromSample(samples[i]), 0, 0};
}

ALWAYS_INLINE void ColourPixels(const uint8_t* samples, int width, PixelYC* pixels) {
  for (int i = 0; i < width; ++i) {
    const uint8_t* s = samples + 3 * i;
    pixels[i] = {LumaFromSample(s[0]), ChromaFromSample(s[1]), ChromaFromSample(s[2])};
  }
}

}  // namespace

void detail::GrayRowToYc48Scalar(const uint8_t* samples, int width, PixelYC* pixels) {
  GrayPixels(samples, width, pixels);
}

void detail::YCbCrRowToYc48Scalar(const uint8_t* samples, int width, PixelYC* pixels) {
  ColourPixels(samples, width, pixels);
}

#if defined(__SSE2__)

namespace {

constexpr int kBlock = 16;  // pixels per vector step

constexpr uint8_t kGrayLow = 8;
constexpr uint16_t kGrayScale = 4112;

// Per channel of the colour loop (0 = Y, 1 = Cb, 2 = Cr): low byte, multiplier, offset.
constexpr uint8_t kColourLow[3] = {8, 2, 2};
constexpr uint16_t kColourScale[3] = {16448, 16513, 16513};
constexpr int16_t kColourOffset[3] = {0, -8255, -8255};
constexpr int kColourShift = 2;

// The constants of one register of eight lanes whose first lane belongs to channel kFirst.
struct LaneConstants {
  __m128i low;  // the low byte of each lane, in both halves (for unpacklo and unpackhi)
  __m128i scale;
  __m128i offset;
};

template <int kFirst>
constexpr int ChannelOf(int lane) {
  return (kFirst + lane) % 3;
}

template <int kFirst>
ALWAYS_INLINE LaneConstants ColourConstants() {
  auto low = [](int j) { return static_cast<char>(kColourLow[ChannelOf<kFirst>(j)]); };
  auto scale = [](int j) { return static_cast<int16_t>(kColourScale[ChannelOf<kFirst>(j)]); };
  auto offset = [](int j) { return kColourOffset[ChannelOf<kFirst>(j)]; };
  return {_mm_setr_epi8(low(0), low(1), low(2), low(3), low(4), low(5), low(6), low(7),
                        low(0), low(1), low(2), low(3), low(4), low(5), low(6), low(7)),
          _mm_setr_epi16(scale(0), scale(1), scale(2), scale(3), scale(4), scale(5), scale(6),
                         scale(7)),
          _mm_setr_epi16(offset(0), offset(1), offset(2), offset(3), offset(4), offset(5),
                         offset(6), offset(7))};
}

ALWAYS_INLINE __m128i ColourLanes(__m128i widened, const LaneConstants& k) {
  const __m128i product = _mm_mulhi_epu16(widened, k.scale);
  return _mm_srai_epi16(_mm_add_epi16(product, k.offset), kColourShift);
}

// Stores eight lanes from the 16-bit lane `lane` of the pixels at p on, which lie on a 16-byte
// boundary. The stores go around the caches: a frame is far larger than they are, and the
// decoder working beside the conversion keeps its own data there. FenceRowStores orders them.
ALWAYS_INLINE void Store(PixelYC* p, int lane, __m128i v) {
  _mm_stream_si128(reinterpret_cast<__m128i*>(reinterpret_cast<unsigned char*>(p) + 2 * lane), v);
}

// The number of pixels (0..7) after which a row of 6-byte pixels at p reaches a 16-byte
// boundary: the k with 6k = -p (mod 16), that is k = 3 * (-p / 2) mod 8. p is even.
ALWAYS_INLINE int PixelsBeforeBoundary(const PixelYC* p) {
  const unsigned half = static_cast<unsigned>(reinterpret_cast<uintptr_t>(p) & 15) >> 1;
  return static_cast<int>((3 * (8 - half)) & 7);
}

// Eight lumas spread over the 24 lanes of eight pixels, with zeros in cb and cr.
ALWAYS_INLINE void StoreGrayPixels(PixelYC* p, __m128i y) {
  const __m128i keep0 = _mm_setr_epi16(-1, 0, 0, -1, 0, 0, -1, 0);  // y0, y1, y2
  const __m128i keep1 = _mm_setr_epi16(0, -1, 0, 0, -1, 0, 0, -1);  // y3, y4, y5
  const __m128i keep2 = _mm_setr_epi16(0, 0, -1, 0, 0, -1, 0, 0);   // y6, y7
  Store(p, 0, _mm_and_si128(_mm_shuffle_epi32(y, _MM_SHUFFLE(1, 1, 0, 0)), keep0));
  Store(p, 8, _mm_and_si128(_mm_shuffle_epi32(y, _MM_SHUFFLE(2, 2, 1, 1)), keep1));
  Store(p, 16, _mm_and_si128(_mm_shuffle_epi32(y, _MM_SHUFFLE(3, 3, 3, 3)), keep2));
}

ALWAYS_INLINE void GrayLoop(const uint8_t* samples, int width, PixelYC* pixels) {
  const __m128i low = _mm_set1_epi8(static_cast<char>(kGrayLow));
  const __m128i scale = _mm_set1_epi16(static_cast<int16_t>(kGrayScale));
  int i = width < kBlock ? 0 : PixelsBeforeBoundary(pixels);
  GrayPixels(samples, i, pixels);
  for (; i + kBlock <= width; i += kBlock) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + i));
    StoreGrayPixels(pixels + i, _mm_mulhi_epu16(_mm_unpacklo_epi8(low, v), scale));
    StoreGrayPixels(pixels + i + 8, _mm_mulhi_epu16(_mm_unpackhi_epi8(low, v), scale));
  }
  GrayPixels(samples + i, width - i, pixels + i);
}

// Sixteen pixels are 48 samples: three loads, six registers of output lanes. Eight lanes move
// the channel phase on by 2, so the registers start with channels 0, 2, 1, 0, 2, 1.
ALWAYS_INLINE void ColourLoop(const uint8_t* samples, int width, PixelYC* pixels) {
  const LaneConstants k0 = ColourConstants<0>(), k2 = ColourConstants<2>(),
                      k1 = ColourConstants<1>();
  int i = width < kBlock ? 0 : PixelsBeforeBoundary(pixels);
  ColourPixels(samples, i, pixels);
  for (; i + kBlock <= width; i += kBlock) {
    const __m128i* s = reinterpret_cast<const __m128i*>(samples + 3 * i);
    const __m128i a = _mm_loadu_si128(s);
    const __m128i b = _mm_loadu_si128(s + 1);
    const __m128i c = _mm_loadu_si128(s + 2);
    PixelYC* p = pixels + i;
    Store(p, 0, ColourLanes(_mm_unpacklo_epi8(k0.low, a), k0));
    Store(p, 8, ColourLanes(_mm_unpackhi_epi8(k2.low, a), k2));
    Store(p, 16, ColourLanes(_mm_unpacklo_epi8(k1.low, b), k1));
    Store(p, 24, ColourLanes(_mm_unpackhi_epi8(k0.low, b), k0));
    Store(p, 32, ColourLanes(_mm_unpacklo_epi8(k2.low, c), k2));
    Store(p, 40, ColourLanes(_mm_unpackhi_epi8(k1.low, c), k1));
  }
  ColourPixels(samples + 3 * i, width - i, pixels + i);
}

}  // namespace

void detail::GrayRowToYc48Sse2(const uint8_t* samples, int width, PixelYC* pixels) {
  GrayLoop(samples, width, pixels);
}

void detail::YCbCrRowToYc48Sse2(const uint8_t* samples, int width, PixelYC* pixels) {
  ColourLoop(samples, width, pixels);
}

#if defined(PICREADER_HAVE_AVX_PATH)
// The same loops in the AVX encoding of the same instructions. Next to the library's own AVX2
// code the legacy encoding has been measured to cost far more than the loop's work (under Wine,
// about a millisecond per 1080p frame); the AVX encoding does not.
#define AVX_FN __attribute__((target("avx")))

AVX_FN void detail::GrayRowToYc48Avx(const uint8_t* samples, int width, PixelYC* pixels) {
  GrayLoop(samples, width, pixels);
}

AVX_FN void detail::YCbCrRowToYc48Avx(const uint8_t* samples, int width, PixelYC* pixels) {
  ColourLoop(samples, width, pixels);
}

bool detail::CpuHasAvx() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx");
}
#endif

#endif  // __SSE2__

void FenceRowStores() {
#if defined(__SSE2__)
  _mm_sfence();
#endif
}

namespace {

struct RowPaths {
  void (*gray)(const uint8_t*, int, PixelYC*);
  void (*colour)(const uint8_t*, int, PixelYC*);
};

// The paths chosen once, when the module is loaded.
RowPaths ChoosePaths() {
#if defined(PICREADER_HAVE_AVX_PATH)
  if (detail::CpuHasAvx()) return {detail::GrayRowToYc48Avx, detail::YCbCrRowToYc48Avx};
#endif
#if defined(__SSE2__)
  return {detail::GrayRowToYc48Sse2, detail::YCbCrRowToYc48Sse2};
#else
  return {detail::GrayRowToYc48Scalar, detail::YCbCrRowToYc48Scalar};
#endif
}

const RowPaths chosenPaths = ChoosePaths();

}  // namespace

void GrayRowToYc48(const uint8_t* samples, int width, PixelYC* pixels) {
  chosenPaths.gray(samples, width, pixels);
}

void YCbCrRowToYc48(const uint8_t* samples, int width, PixelYC* pixels) {
  chosenPaths.colour(samples, width, pixels);
}

}  // namespace picreader
