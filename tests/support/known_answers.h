// Known answers shared by the tests of the core and of the plug-ins that use it.
#pragma once

#include <cstdint>
#include <vector>

#include "host/pixel_yc.h"
#include "tests/support/jpeg_inspect.h"

namespace testsupport {

// Whole YC48 pixels and their 8-bit Y, Cb, Cr with the BT.709 to BT.601 matrix (mode 1) and
// with the plain rescale (mode 0).
struct WholePixel {
  host::PixelYC in;
  uint8_t mode1[3], mode0[3];
};
inline const std::vector<WholePixel>& WholePixels() {
  static const std::vector<WholePixel> pixels = {
      {{0, 0, 0}, {0, 128, 128}, {0, 128, 128}},
      {{4096, 0, 0}, {255, 128, 128}, {255, 128, 128}},
      {{2048, 2047, 0}, {141, 254, 119}, {128, 255, 128}},
      {{2048, 0, 2047}, {152, 114, 253}, {128, 128, 255}},
      {{2048, -2048, -2048}, {89, 16, 12}, {128, 1, 1}},
      {{2048, 2048, 2048}, {166, 240, 244}, {128, 255, 255}},
      {{1000, -500, 300}, {63, 95, 149}, {62, 97, 147}},
  };
  return pixels;
}

// The custom progressive script: every DC in its own scan at full precision, each component
// finished before the next; for YCbCr, Cr before Cb.
inline const std::vector<Scan>& CustomScriptYcc() {
  static const std::vector<Scan> scans = {
      {{0}, 0, 0, 0, 0},  {{0}, 1, 5, 0, 2},  {{0}, 6, 63, 0, 2}, {{0}, 1, 63, 2, 1},
      {{0}, 1, 63, 1, 0}, {{2}, 0, 0, 0, 0},  {{2}, 1, 63, 0, 1}, {{2}, 1, 63, 1, 0},
      {{1}, 0, 0, 0, 0},  {{1}, 1, 63, 0, 1}, {{1}, 1, 63, 1, 0}};
  return scans;
}
inline const std::vector<Scan>& CustomScriptGray() {
  static const std::vector<Scan> scans = {
      {{0}, 0, 0, 0, 0}, {{0}, 1, 5, 0, 2}, {{0}, 6, 63, 0, 2}, {{0}, 1, 63, 2, 1}, {{0}, 1, 63, 1, 0}};
  return scans;
}

}  // namespace testsupport
