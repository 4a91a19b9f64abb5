#include "demo/bmp_file.h"

#include <cstdio>

namespace demo {

namespace {

// The file header (14 bytes) and the information header (40 bytes) before the pixels.
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize;

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  Put16(v, at, x & 0xFFFF);
  Put16(v, at + 2, x >> 16);
}

}  // namespace

int BmpStride(int width) { return (width * 3 + 3) & ~3; }

bool WriteBmp(const std::string& path, int width, int height, const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> header(kPixelOffset, 0);
  header[0] = 'B';
  header[1] = 'M';
  Put32(header, 2, static_cast<uint32_t>(kPixelOffset + rows.size()));  // file size
  Put32(header, 10, kPixelOffset);
  Put32(header, 14, kInfoHeaderSize);
  Put32(header, 18, static_cast<uint32_t>(width));
  Put32(header, 22, static_cast<uint32_t>(height));  // positive: bottom row first
  Put16(header, 26, 1);                              // planes
  Put16(header, 28, 24);                             // bits a pixel
  Put32(header, 34, static_cast<uint32_t>(rows.size()));
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size() &&
                  std::fwrite(rows.data(), 1, rows.size(), f) == rows.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace demo
