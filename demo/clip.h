// The demonstration's material: a synthetic YC48 clip, the comparison of a decoded frame with
// its source, and a picture of the two side by side.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/pixel_yc.h"

namespace demo {

// One YC48 frame with rows `stride` bytes apart (the output plug-in's padded rows, or packed).
struct Yc48Frame {
  int width = 0, height = 0, stride = 0;
  std::vector<uint8_t> bytes;

  Yc48Frame(int w, int h, int rowStride);
  host::PixelYC* row(int y) { return reinterpret_cast<host::PixelYC*>(bytes.data() + y * stride); }
  const host::PixelYC* row(int y) const {
    return reinterpret_cast<const host::PixelYC*>(bytes.data() + y * stride);
  }
};

// Frame `index` of the clip, in three bands: colour bars; a gradient that moves with the frame
// index and runs a little past the nominal ranges (y below 0 and above 4096, cb and cr beyond
// ±2048); fine detail (one-pixel checks, a zone plate, two-pixel chroma stripes).
void DrawClipFrame(int index, Yc48Frame* frame);

// Peak signal-to-noise ratio of each component against the source, with the nominal span 4096
// of each component as the peak.
struct Psnr {
  double y, cb, cr;
};
Psnr Compare(const Yc48Frame& source, const Yc48Frame& decoded);

// What a side-by-side picture shows of the frames.
struct PictureRegion {
  int x, y, width, height;  // the region shown at full size
  int zoomX, zoomY;         // the centre of the part shown enlarged below it
  int zoom;                 // how many times that part is enlarged
};

// Writes a 24-bit BMP: the region of `source` and of `decoded` side by side at full size, and
// below each the part around (zoomX, zoomY) enlarged `zoom` times to the same size, all
// converted to RGB with the BT.601 matrix. False when the file cannot be written.
bool WriteSideBySide(const std::string& path, const Yc48Frame& source, const Yc48Frame& decoded,
                     const PictureRegion& region);

}  // namespace demo
