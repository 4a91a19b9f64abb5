// One YC48 pixel as the editor stores it. Kept free of Windows headers so that the portable
// code can use it.
#pragma once

#include <cstdint>

namespace host {

// Luma y nominally 0..4096, colour differences cb and cr nominally -2048..2048.
struct PixelYC {
  int16_t y;
  int16_t cb;
  int16_t cr;
};

static_assert(sizeof(PixelYC) == 6, "a YC48 pixel is three packed 16-bit values");

}  // namespace host
