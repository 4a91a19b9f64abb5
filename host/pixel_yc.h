// The YC48 format as the editor stores it: the pixel, the layouts of its rows and its FourCC.
// Kept free of Windows headers so that the portable code can use it.
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

// The FourCC of YC48 frames: what the output plug-in asks the editor for, and the compression
// the input plug-in reports.
constexpr uint32_t kFourccYC48 = 0x38344359;  // 'Y','C','4','8'

// How a source lays out the rows of a YC48 frame.
enum class YcRowLayout {
  kPacked,  // each row right after the one above: the filter's frame cache
  kPadded,  // each row padded to a multiple of 4 bytes: output frames and input buffers
};

// Bytes from the start of one YC48 row of `width` pixels to the start of the next.
constexpr int64_t YcRowStride(int64_t width, YcRowLayout layout) {
  const int64_t packed = width * static_cast<int64_t>(sizeof(PixelYC));
  return layout == YcRowLayout::kPacked ? packed : (packed + 3) & ~int64_t{3};
}

// Shared by the plug-ins and the substitute host, so pinned here rather than trusted.
static_assert(YcRowStride(3, YcRowLayout::kPacked) == 18);
static_assert(YcRowStride(1, YcRowLayout::kPadded) == 8);
static_assert(YcRowStride(2, YcRowLayout::kPadded) == 12);
static_assert(YcRowStride(3, YcRowLayout::kPadded) == 20);

}  // namespace host
