// Decoded 8-bit JPEG samples to YC48: a gray row or a row of Y,Cb,Cr triples becomes a row of
// PixelYC. Integer fixed point only, in 32-bit signed arithmetic; >> rounds toward minus
// infinity:
//   y      = (v * 1052688 + 32768) >> 16         1052688 = 0x101010, 65536 * 4096 / 255 rounded down
//   cb, cr = (v * 1056832 - 135241728) >> 16     1056832 = 0x102040, 65536 * 2048 / 127 rounded down,
//                                                135241728 = 128 * 1056832 - 32768
// so luma 0..255 spans 0..4096 and a colour difference 0..255 spans -2064..2048 with 128 at 0.
#pragma once

#include <cstdint>

#include "host/pixel_yc.h"

namespace picreader {

constexpr int32_t kLumaScale = 0x101010;
constexpr int32_t kLumaRound = 0x8000;
constexpr int32_t kChromaScale = 0x102040;
constexpr int32_t kChromaBias = -0x80FA000;  // the +32768 rounding and the -128 of the sample
constexpr int kSampleShift = 16;

inline int16_t LumaFromSample(uint8_t v) {
  return static_cast<int16_t>((v * kLumaScale + kLumaRound) >> kSampleShift);
}
inline int16_t ChromaFromSample(uint8_t v) {
  return static_cast<int16_t>((v * kChromaScale + kChromaBias) >> kSampleShift);
}

// Converts `width` gray samples into `width` pixels with cb = cr = 0. Nothing is written past
// the last pixel; nothing at all when width <= 0.
void GrayRowToYc48(const uint8_t* samples, int width, host::PixelYC* pixels);

// Converts `width` Y,Cb,Cr sample triples into `width` pixels, likewise.
void YCbCrRowToYc48(const uint8_t* samples, int width, host::PixelYC* pixels);

// Orders the stores of the row functions above, which may go around the caches, before any
// later store: due once the last row of a frame is written, before another thread may look.
void FenceRowStores();

// The code paths behind the two functions above, visible to the tests that prove the vector
// loops equal to the one-pixel-at-a-time reference.
namespace detail {

void GrayRowToYc48Scalar(const uint8_t* samples, int width, host::PixelYC* pixels);
void YCbCrRowToYc48Scalar(const uint8_t* samples, int width, host::PixelYC* pixels);

#if defined(__SSE2__)
void GrayRowToYc48Sse2(const uint8_t* samples, int width, host::PixelYC* pixels);
void YCbCrRowToYc48Sse2(const uint8_t* samples, int width, host::PixelYC* pixels);

#if defined(__i386__) || defined(__x86_64__)
#define PICREADER_HAVE_AVX_PATH 1
// The SSE2 loops in the AVX encoding, chosen when the module is loaded if the processor and the
// operating system support AVX.
void GrayRowToYc48Avx(const uint8_t* samples, int width, host::PixelYC* pixels);
void YCbCrRowToYc48Avx(const uint8_t* samples, int width, host::PixelYC* pixels);
bool CpuHasAvx();
#endif
#endif

}  // namespace detail

}  // namespace picreader
