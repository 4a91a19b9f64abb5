// The one picture format of the demonstration and the interface pictures: 24-bit BMP files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// Bytes from one row of a 24-bit BMP `width` pixels wide to the next: 3 a pixel, padded to a
// multiple of 4.
int BmpStride(int width);

// Writes `rows` as a 24-bit BMP of width x height: the rows as the file stores them, the bottom
// row first, each BmpStride(width) bytes of blue, green, red. False when the file cannot be
// written.
bool WriteBmp(const std::string& path, int width, int height, const std::vector<uint8_t>& rows);

}  // namespace demo
