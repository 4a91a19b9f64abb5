// The code paths behind ConvertYcRow, visible to the tests that prove them equal to the
// scalar reference. The ...Fetching forms take one more argument, `ahead`: every 8 pixels, the
// loops ask the processor for the cache line `ahead` bytes past the pixels they read (the next
// row of the frame, for ConvertYcRowFetchingNext). The others have ConvertYcRow's signature and
// contract, and fetch nothing beyond their own row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/encoder_values.h"
#include "host/pixel_yc.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace core::detail {

// Pair coefficients of the interleaved colour loops, by channel (0 = Y, 1 = Cb, 2 = Cr): each
// 16-bit lane is multiplied by k[channel] and its partner value by p[channel] in one pmaddwd.
struct ChannelCoefs {
  int16_t k[3];
  int16_t p[3];
};

// Plain rescale: every lane is paired with the constant 64, which brings the rounding term and
// the +128 of the chroma formulas into the same multiply-add: Y = (255 y + 64 * 32) >> 12,
// Cb, Cr = (254 c + 64 * 8224) >> 12 = ((127 c + 1024) >> 11) + 128.
constexpr int16_t kPlainPartner = 64;
constexpr ChannelCoefs kPlainCoefs = {{255, 254, 254}, {32, 8224, 8224}};

// BT.709 to BT.601 over the interleaved stream: output lane i of a pixel is
// a*in[i] + b*in[i+1] (pairs "ab") + c*in[i+2] + d*in[i-1] (pairs "cd"), then
// (sum + 32768) >> 16, plus 128 for Cb and Cr:
//   Y:  4080 y  + 418 cb + 800 cr
//   Cb: 4023 cb - 450 cr
//   Cr: 3996 cr - 297 cb
constexpr ChannelCoefs kMatrixAB = {{4080, 4023, 3996}, {418, -450, 0}};
constexpr ChannelCoefs kMatrixCD = {{800, 0, 0}, {0, 0, -297}};

// The plain rescale without pmaddwd, for processors with pmulhrsw (SSSE3 and later): each lane
// is first clamped to the inputs whose results are not yet saturated (luma 0..4095, colour
// differences -2057..2040; the formulas are monotonic, so this leaves every result as it is),
// then Y = (8 y * 255 + 16384) >> 15 = (255 y + 2048) >> 12 and
// C = (8 c * 254 + 16384) >> 15 = (127 c + 1024) >> 11, plus 128 for Cb and Cr.
struct PlainLaneRule {
  int16_t lo, hi, k, offset;
};
constexpr PlainLaneRule kPlainLuma = {0, 4095, 255, 0};
constexpr PlainLaneRule kPlainChroma = {-2057, 2040, 254, 128};

// The rules of `count` consecutive stream lanes from lane `first` on, one array per field, ready
// to be loaded into a vector register (stream lane 0 is the first pixel's y).
struct PlainLaneTables {
  int16_t lo[16], hi[16], k[16], offset[16];
};
inline PlainLaneTables MakePlainLaneTables(int first, int count) {
  PlainLaneTables t = {};
  for (int j = 0; j < count && j < 16; ++j) {
    const PlainLaneRule& r = (first + j) % 3 == 0 ? kPlainLuma : kPlainChroma;
    t.lo[j] = r.lo;
    t.hi[j] = r.hi;
    t.k[j] = r.k;
    t.offset[j] = r.offset;
  }
  return t;
}

// The same matrix with byte shuffles (SSSE3 pshufb), four output lanes at a time: a 16-byte
// window holds stream lanes first-1 .. first+6, so for output lane j of the group D is window
// lane j, A lane j+1, B lane j+2 and C lane j+3. One shuffle builds the (A, B) pairs, another
// the (E, partner) pairs, where E is C for a Y lane, D for a Cr lane and 0 for a Cb lane, and
// the partner is the constant kMatrixPartner whose coefficient brings in the rounding term
// (and the +128 of Cb and Cr): 32768 = 512 * 64, 32768 + 128 * 65536 = 512 * 16448.
constexpr int16_t kMatrixPartner = 512;
struct MatrixGroup {
  int8_t ab[16];   // shuffle: (A, B) pairs
  int8_t e[16];    // shuffle: (E, 0) pairs; the zeros take the partner
  int16_t kab[8];  // pmaddwd coefficients of the (A, B) pairs
  int16_t ke[8];   // pmaddwd coefficients of the (E, partner) pairs
};
// The group whose first output lane has the given channel (0 = Y, 1 = Cb, 2 = Cr).
MatrixGroup MakeMatrixGroup(int firstChannel);

#if defined(__SSE2__)
// A hint: it never faults and changes no result.
inline void FetchAhead(const host::PixelYC* p, ptrdiff_t ahead) {
  _mm_prefetch(reinterpret_cast<const char*>(p) + ahead, _MM_HINT_T0);
}

void ConvertYcRowSse2Fetching(const host::PixelYC* source, int width, bool gray, int colormatrix,
                              uint8_t* destination, ptrdiff_t ahead);
inline void ConvertYcRowSse2(const host::PixelYC* source, int width, bool gray, int colormatrix,
                             uint8_t* destination) {
  ConvertYcRowSse2Fetching(source, width, gray, colormatrix, destination, 0);
}
#endif

#if defined(__i386__) || defined(__x86_64__)
// SSSE3 and AVX2 loops, chosen when the module is loaded if the processor has them.
#define JPEGCORE_HAVE_RUNTIME_PATHS 1
// The colour loops with AVX2 (the gray loops as SSE2). Only for processors with AVX2.
void ConvertYcRowAvx2Fetching(const host::PixelYC* source, int width, bool gray, int colormatrix,
                              uint8_t* destination, ptrdiff_t ahead);
inline void ConvertYcRowAvx2(const host::PixelYC* source, int width, bool gray, int colormatrix,
                             uint8_t* destination) {
  ConvertYcRowAvx2Fetching(source, width, gray, colormatrix, destination, 0);
}
// Whether the processor and the operating system support AVX2.
bool CpuHasAvx2();
// The colour loops with SSSE3 (the gray loops as SSE2). Only for processors with SSSE3.
void ConvertYcRowSsse3Fetching(const host::PixelYC* source, int width, bool gray,
                               int colormatrix, uint8_t* destination, ptrdiff_t ahead);
inline void ConvertYcRowSsse3(const host::PixelYC* source, int width, bool gray, int colormatrix,
                              uint8_t* destination) {
  ConvertYcRowSsse3Fetching(source, width, gray, colormatrix, destination, 0);
}
bool CpuHasSsse3();
#endif

}  // namespace core::detail
