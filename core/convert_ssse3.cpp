// The colour loops of the YC48 conversion with SSSE3: the plain rescale with pmulhrsw (no
// unpacking to 32 bits) and the matrix with pshufb-built pairs (no shifted copies of the
// stream); see convert_paths.h for why both are exact. Only these functions are compiled for
// SSSE3; the caller makes sure the processor has it.
#include "core/convert_paths.h"

#if defined(JPEGCORE_HAVE_RUNTIME_PATHS)

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
  const PlainLaneTables t = MakePlainLaneTables(first, 8);
  auto load = [](const int16_t* v) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(v)); };
  return {load(t.lo), load(t.hi), load(t.k), load(t.offset)};
}

SSSE3_FN inline __m128i Lanes(__m128i v, const LaneConsts& c) {
  v = _mm_min_epi16(_mm_max_epi16(v, c.lo), c.hi);
  return _mm_add_epi16(_mm_mulhrs_epi16(_mm_slli_epi16(v, 3), c.k), c.offset);
}

SSSE3_FN int ColourPlainSsse3(const PixelYC* src, int width, uint8_t* dst, ptrdiff_t ahead) {
  const LaneConsts c0 = MakeConsts(0), c1 = MakeConsts(8), c2 = MakeConsts(16);
  int i = 0;
  for (; i + 8 <= width; i += 8) {
    FetchAhead(src + i, ahead);
    const __m128i* q = reinterpret_cast<const __m128i*>(src + i);
    const __m128i r0 = Lanes(_mm_loadu_si128(q), c0);
    const __m128i r1 = Lanes(_mm_loadu_si128(q + 1), c1);
    const __m128i r2 = Lanes(_mm_loadu_si128(q + 2), c2);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i), _mm_packus_epi16(r0, r1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 3 * i + 16), _mm_packus_epi16(r2, r2));
  }
  return i;
}

SSSE3_FN inline __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }

struct GroupConsts {
  __m128i e, kab, ke;
};

// One group of four output lanes from its window: 32-bit results.
SSSE3_FN inline __m128i Group(__m128i window, __m128i ab, const GroupConsts& g, __m128i partner) {
  const __m128i pairs = _mm_shuffle_epi8(window, ab);
  const __m128i extra = _mm_or_si128(_mm_shuffle_epi8(window, g.e), partner);
  return _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(pairs, g.kab), _mm_madd_epi16(extra, g.ke)), 16);
}

SSSE3_FN int ColourMatrixSsse3(const PixelYC* src, int width, uint8_t* dst, ptrdiff_t ahead) {
  const MatrixGroup m[3] = {MakeMatrixGroup(0), MakeMatrixGroup(1), MakeMatrixGroup(2)};
  // The (A, B) pair shuffle does not depend on the channel: one register serves every group.
  const __m128i ab = Load(m[0].ab);
  const GroupConsts g[3] = {{Load(m[0].e), Load(m[0].kab), Load(m[0].ke)},
                            {Load(m[1].e), Load(m[1].kab), Load(m[1].ke)},
                            {Load(m[2].e), Load(m[2].kab), Load(m[2].ke)}};
  const __m128i partner = _mm_setr_epi16(0, kMatrixPartner, 0, kMatrixPartner, 0, kMatrixPartner, 0,
                                         kMatrixPartner);
  int i = 0;
  for (; i + 8 <= width; i += 8) {
    FetchAhead(src + i, ahead);
    const __m128i* q = reinterpret_cast<const __m128i*>(src + i);
    const __m128i v0 = _mm_loadu_si128(q), v1 = _mm_loadu_si128(q + 1), v2 = _mm_loadu_si128(q + 2);
    // Group n covers output lanes 4n..4n+3; its first lane has channel n % 3.
    const __m128i s0 = Group(_mm_slli_si128(v0, 2), ab, g[0], partner);
    const __m128i s1 = Group(_mm_alignr_epi8(v1, v0, 6), ab, g[1], partner);
    const __m128i s2 = Group(_mm_alignr_epi8(v1, v0, 14), ab, g[2], partner);
    const __m128i s3 = Group(_mm_alignr_epi8(v2, v1, 6), ab, g[0], partner);
    const __m128i s4 = Group(_mm_alignr_epi8(v2, v1, 14), ab, g[1], partner);
    const __m128i s5 = Group(_mm_srli_si128(v2, 6), ab, g[2], partner);
    const __m128i r2 = _mm_packs_epi32(s4, s5);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i),
                     _mm_packus_epi16(_mm_packs_epi32(s0, s1), _mm_packs_epi32(s2, s3)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 3 * i + 16), _mm_packus_epi16(r2, r2));
  }
  return i;
}

}  // namespace

void ConvertYcRowSsse3Fetching(const PixelYC* source, int width, bool gray, int colormatrix,
                               uint8_t* destination, ptrdiff_t ahead) {
  if (width <= 0) return;
  if (gray) {
    ConvertYcRowSse2Fetching(source, width, gray, colormatrix, destination, ahead);
    return;
  }
  const int done = colormatrix == kColorMatrixBt709ToBt601
                       ? ColourMatrixSsse3(source, width, destination, ahead)
                       : ColourPlainSsse3(source, width, destination, ahead);
  ConvertYcRowSse2Fetching(source + done, width - done, false, colormatrix, destination + 3 * done,
                           ahead);
}

bool CpuHasSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}

}  // namespace core::detail

#endif  // JPEGCORE_HAVE_RUNTIME_PATHS
