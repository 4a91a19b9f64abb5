// YC48 test frames: asymmetric content (distinct y, cb and cr ramps) so that swapped channels,
// flipped rows or a wrong stride show, and row padding filled with garbage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/pixel_yc.h"

namespace testsupport {

struct Frame {
  int width = 0, height = 0;
  ptrdiff_t stride = 0;
  std::vector<uint8_t> bytes;

  const void* first() const { return bytes.data(); }
  host::PixelYC* row(int y) { return reinterpret_cast<host::PixelYC*>(bytes.data() + y * stride); }
  const host::PixelYC* row(int y) const {
    return reinterpret_cast<const host::PixelYC*>(bytes.data() + y * stride);
  }
};

inline ptrdiff_t PackedStride(int width) {
  return static_cast<ptrdiff_t>(host::YcRowStride(width, host::YcRowLayout::kPacked));
}
inline ptrdiff_t AlignedStride(int width) {
  return static_cast<ptrdiff_t>(host::YcRowStride(width, host::YcRowLayout::kPadded));
}

// A frame whose padding bytes (stride beyond width * 6) hold pseudo-random garbage.
Frame MakeFrame(int width, int height, ptrdiff_t stride, uint32_t seed);

// Smooth ramps: y rises to the right, cb downwards, cr along the diagonal; `noise` adds
// pseudo-random jitter of that amplitude.
void FillRamps(Frame* f, int noise, uint32_t seed);

// Flat 8 x 8 patches whose values step across the nominal ranges, so that a quality-100
// 4:4:4 file decodes to exactly the converted samples.
void FillPatches(Frame* f);

// A file name unique to this process in the working directory.
std::string TempPath(const std::string& stem);

// Minimal deterministic generator.
struct Lcg {
  uint32_t s;
  uint32_t Next() { return s = s * 1664525u + 1013904223u; }
  int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }
};

}  // namespace testsupport
