#include "demo/clip.h"

#include <cmath>

#include "demo/bmp_file.h"

namespace demo {

namespace {

int16_t Sample(double v) {
  const long r = std::lround(v);
  return static_cast<int16_t>(r < -32768 ? -32768 : (r > 32767 ? 32767 : r));
}

// A colour given as R, G, B in 0..1, in YC48 (BT.601: y = 4096 Y', cb and cr the scaled
// colour differences with a span of 4096).
host::PixelYC FromRgb(double r, double g, double b) {
  const double y = 0.299 * r + 0.587 * g + 0.114 * b;
  return {Sample(4096 * y), Sample(4096 * 0.564 * (b - y)), Sample(4096 * 0.713 * (r - y))};
}

// White, yellow, cyan, green, magenta, red, blue, black.
const host::PixelYC kBars[8] = {FromRgb(1, 1, 1), FromRgb(1, 1, 0), FromRgb(0, 1, 1),
                                FromRgb(0, 1, 0), FromRgb(1, 0, 1), FromRgb(1, 0, 0),
                                FromRgb(0, 0, 1), FromRgb(0, 0, 0)};

// How far the gradient runs past the nominal ranges, in YC48 units.
constexpr int kOvershoot = 160;

void DrawBars(Yc48Frame* f, int top, int bottom) {
  for (int y = top; y < bottom; ++y) {
    host::PixelYC* p = f->row(y);
    for (int x = 0; x < f->width; ++x) p[x] = kBars[x * 8 / f->width];
  }
}

// A ramp that runs up over `period` pixels and down again, shifted by `shift` pixels: it moves
// without a seam.
int Triangle(int x, int shift, int period, int low, int span) {
  const int t = ((x + shift) % (2 * period) + 2 * period) % (2 * period);
  return low + (t < period ? t : 2 * period - t) * span / period;
}

void DrawGradient(Yc48Frame* f, int top, int bottom, int index) {
  const int span = 4096 + 2 * kOvershoot;
  for (int y = top; y < bottom; ++y) {
    host::PixelYC* p = f->row(y);
    const int cb = -2048 - kOvershoot + (y - top) * span / (bottom - top - 1);
    // Luma moves left, cr right, cb stays: each component changes differently per frame.
    for (int x = 0; x < f->width; ++x) {
      p[x] = {static_cast<int16_t>(Triangle(x, 12 * index, f->width, -kOvershoot, span)),
              static_cast<int16_t>(cb),
              static_cast<int16_t>(Triangle(x, -8 * index + f->width / 2, f->width, -2048 - kOvershoot, span))};
    }
  }
}

void DrawDetail(Yc48Frame* f, int top, int bottom) {
  const int third = f->width / 3;
  const double cx = third * 1.5, cy = (top + bottom) / 2.0;
  for (int y = top; y < bottom; ++y) {
    host::PixelYC* p = f->row(y);
    for (int x = 0; x < f->width; ++x) {
      if (x < third) {
        // One-pixel checks, finer towards the right of the block.
        const int cell = x < third / 2 ? 1 : 2;
        const bool on = ((x / cell) + (y / cell)) % 2 == 0;
        p[x] = {static_cast<int16_t>(on ? 3600 : 500), 0, 0};
      } else if (x < 2 * third) {
        const double r2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        p[x] = {Sample(2048 + 1800 * std::cos(r2 * 0.0045)), 0, 0};
      } else {
        // Two-pixel stripes of colour on a mid grey: what chroma subsampling smears.
        const bool odd = (x / 2) % 2 == 1;
        const int band = (y - top) * 3 / (bottom - top);
        const int16_t c = static_cast<int16_t>(odd ? 1500 : -1500);
        p[x] = {2048, band == 1 ? c : int16_t{0}, band == 0 ? c : (band == 2 ? c : int16_t{0})};
      }
    }
  }
}

uint8_t Byte(double v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : std::lround(v))); }

// BT.601 back to 8-bit RGB for the picture; values outside the nominal ranges clip.
void ToRgb(const host::PixelYC& p, uint8_t* bgr) {
  const double y = p.y / 4096.0, cb = p.cb / 4096.0, cr = p.cr / 4096.0;
  bgr[2] = Byte(255 * (y + 1.402 * cr));
  bgr[1] = Byte(255 * (y - 0.344136 * cb - 0.714136 * cr));
  bgr[0] = Byte(255 * (y + 1.772 * cb));
}

}  // namespace

Yc48Frame::Yc48Frame(int w, int h, int rowStride)
    : width(w), height(h), stride(rowStride), bytes(static_cast<size_t>(rowStride) * h) {}

void DrawClipFrame(int index, Yc48Frame* frame) {
  const int h = frame->height;
  DrawBars(frame, 0, h / 3);
  DrawGradient(frame, h / 3, 2 * h / 3, index);
  DrawDetail(frame, 2 * h / 3, h);
}

Psnr Compare(const Yc48Frame& source, const Yc48Frame& decoded) {
  double sum[3] = {0, 0, 0};
  for (int y = 0; y < source.height; ++y) {
    const host::PixelYC* a = source.row(y);
    const host::PixelYC* b = decoded.row(y);
    for (int x = 0; x < source.width; ++x) {
      const double d[3] = {double(a[x].y - b[x].y), double(a[x].cb - b[x].cb), double(a[x].cr - b[x].cr)};
      for (int c = 0; c < 3; ++c) sum[c] += d[c] * d[c];
    }
  }
  const double n = double(source.width) * source.height;
  double db[3];
  for (int c = 0; c < 3; ++c) {
    const double mse = sum[c] / n;
    db[c] = mse == 0 ? 99.0 : 10 * std::log10(4096.0 * 4096.0 / mse);
  }
  return {db[0], db[1], db[2]};
}

bool WriteSideBySide(const std::string& path, const Yc48Frame& source, const Yc48Frame& decoded,
                     const PictureRegion& region) {
  constexpr int kGap = 8;
  const int x0 = region.x, y0 = region.y, w = region.width, h = region.height, zoom = region.zoom;
  const int zw = w / zoom, zh = h / zoom;
  const int zx = region.zoomX - zw / 2, zy = region.zoomY - zh / 2;
  const int width = 2 * w + kGap, height = 2 * h + kGap;
  const int stride = BmpStride(width);
  std::vector<uint8_t> image(static_cast<size_t>(stride) * height, 0xFF);
  // Top-down coordinates; the file stores the rows bottom-up.
  auto pixel = [&](int px, int py) { return image.data() + (height - 1 - py) * stride + px * 3; };
  const Yc48Frame* frames[2] = {&source, &decoded};
  for (int side = 0; side < 2; ++side) {
    const int left = side * (w + kGap);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ToRgb(frames[side]->row(y0 + y)[x0 + x], pixel(left + x, y));
    for (int y = 0; y < zh * zoom; ++y)
      for (int x = 0; x < zw * zoom; ++x)
        ToRgb(frames[side]->row(zy + y / zoom)[zx + x / zoom], pixel(left + x, h + kGap + y));
  }
  return WriteBmp(path, width, height, image);
}

}  // namespace demo
