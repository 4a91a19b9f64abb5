// The per-sample fixed-point formulas of the YC48 conversion, shared by the scalar loops and
// the tails of the vector loops. All arithmetic is on signed 32-bit integers; >> rounds toward
// minus infinity, so adding half the divisor first rounds to nearest with halves going up.
#pragma once

#include <cstdint>

namespace core::formulas {

inline uint8_t Clamp255(int32_t v) {
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Rescale only: luma 0..4096 onto 0..255, colour differences -2048..2048 onto 1..255.
inline uint8_t LumaPlain(int32_t y) { return Clamp255((255 * y + 2048) >> 12); }
inline uint8_t ChromaPlain(int32_t c) { return Clamp255(((127 * c + 1024) >> 11) + 128); }

// BT.709 YCbCr read from YC48 to BT.601 YCbCr, 16-bit fixed point (4080/65536 = 255/4096).
inline uint8_t Luma709To601(int32_t y, int32_t cb, int32_t cr) {
  return Clamp255((4080 * y + 418 * cb + 800 * cr + 32768) >> 16);
}
inline uint8_t Cb709To601(int32_t cb, int32_t cr) {
  return Clamp255(((4023 * cb - 450 * cr + 32768) >> 16) + 128);
}
inline uint8_t Cr709To601(int32_t cb, int32_t cr) {
  return Clamp255(((3996 * cr - 297 * cb + 32768) >> 16) + 128);
}

}  // namespace core::formulas
