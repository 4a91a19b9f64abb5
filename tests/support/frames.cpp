#include "tests/support/frames.h"

#include <atomic>

#if defined(_WIN32)
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace testsupport {

Frame MakeFrame(int width, int height, ptrdiff_t stride, uint32_t seed) {
  Frame f;
  f.width = width;
  f.height = height;
  f.stride = stride;
  f.bytes.resize(static_cast<size_t>(stride) * (height > 0 ? height : 0) + 1);
  Lcg rng{seed};
  for (auto& b : f.bytes) b = static_cast<uint8_t>(rng.Next() >> 24);  // garbage everywhere
  FillRamps(&f, 0, seed);
  return f;
}

void FillRamps(Frame* f, int noise, uint32_t seed) {
  Lcg rng{seed ^ 0x9E3779B9u};
  for (int y = 0; y < f->height; ++y) {
    host::PixelYC* p = f->row(y);
    for (int x = 0; x < f->width; ++x) {
      const int j = noise ? rng.Range(-noise, noise) : 0;
      p[x].y = static_cast<int16_t>(x * 4096 / (f->width > 1 ? f->width - 1 : 1) + j);
      p[x].cb = static_cast<int16_t>(-2048 + y * 4096 / (f->height > 1 ? f->height - 1 : 1) + j);
      p[x].cr = static_cast<int16_t>(((x + y) * 37) % 4097 - 2048 - j);
    }
  }
}

void FillPatches(Frame* f) {
  for (int y = 0; y < f->height; ++y) {
    host::PixelYC* p = f->row(y);
    for (int x = 0; x < f->width; ++x) {
      const int bx = x / 8, by = y / 8;
      p[x].y = static_cast<int16_t>((bx * 613 + by * 331) % 4097);
      p[x].cb = static_cast<int16_t>((bx * 271 + by * 997) % 4097 - 2048);
      p[x].cr = static_cast<int16_t>((bx * 829 + by * 149) % 4097 - 2048);
    }
  }
}

std::string TempPath(const std::string& stem) {
  static std::atomic<int> counter{0};
  return "tmp_" + stem + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ".jpg";
}

}  // namespace testsupport
