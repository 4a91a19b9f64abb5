// The plain colour loop of the YC48 conversion with SSSE3's pmulhrsw: no unpacking to 32 bits,
// so far fewer shuffles than the SSE2 loop (see convert_paths.h for why it is exact). Only this
// function is compiled for SSSE3; the caller makes sure the processor has it.
#include "core/convert_paths.h"

#if defined(JPEGCORE_HAVE_AVX2_PATH)

#include <tmmintrin.h>

namespace core::detail {

using host::PixelYC;

namespace {

#define SSSE3_FN __attribute__((target("ssse3")))

// Per-lane constants for the register holding stream lanes first..first+7.
struct LaneConsts {
  __m128i lo, hi, k, offset;
};

SSSE3_FN LaneConsts MakeConsts(int first) {
  int16_t lo[8], hi[8], k[8], off[8];
  for (int j = 0; j < 8; ++j) {
    const PlainLaneRule& r = (first + j) % 3 == 0 ? kPlainLuma : kPlainChroma;
    lo[j] = r.lo;
    hi[j] = r.hi;
    k[j] = r.k;
    off[j] = r.offset;
  }
  auto load = [](const int16_t* v) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(v)); };
  return {load(lo), load(hi), load(k), load(off)};
}

SSSE3_FN inline __m128i Lanes(__m128i v, const LaneConsts& c) {
  v = _mm_min_epi16(_mm_max_epi16(v, c.lo), c.hi);
  return _mm_add_epi16(_mm_mulhrs_epi16(_mm_slli_epi16(v, 3), c.k), c.offset);
}

SSSE3_FN int ColourPlainSsse3(const PixelYC* src, int width, uint8_t* dst) {
  const LaneConsts c0 = MakeConsts(0), c1 = MakeConsts(8), c2 = MakeConsts(16);
  int i = 0;
  for (; i + 8 <= width; i += 8) {
    const __m128i* q = reinterpret_cast<const __m128i*>(src + i);
    const __m128i r0 = Lanes(_mm_loadu_si128(q), c0);
    const __m128i r1 = Lanes(_mm_loadu_si128(q + 1), c1);
    const __m128i r2 = Lanes(_mm_loadu_si128(q + 2), c2);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i), _mm_packus_epi16(r0, r1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 3 * i + 16), _mm_packus_epi16(r2, r2));
  }
  return i;
}

}  // namespace

void ConvertYcRowSsse3(const PixelYC* source, int width, bool gray, int colormatrix,
                       uint8_t* destination) {
  if (width <= 0) return;
  if (gray || colormatrix == 1) {
    ConvertYcRowSse2(source, width, gray, colormatrix, destination);
    return;
  }
  const int done = ColourPlainSsse3(source, width, destination);
  ConvertYcRowSse2(source + done, width - done, false, colormatrix, destination + 3 * done);
}

bool CpuHasSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}

}  // namespace core::detail

#endif  // JPEGCORE_HAVE_AVX2_PATH
