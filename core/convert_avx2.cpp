// The colour loops of the YC48 conversion with AVX2: sixteen pixels (48 lanes, three 256-bit
// registers) per step, the same interleaved scheme as the SSE2 loops. pmaddwd, the shifts and
// the packs all work within 128-bit halves, so the coefficient patterns follow each half's
// stream lanes, and only the final byte pack needs its quarters put back in order. Only these
// functions are compiled for AVX2; the caller makes sure the processor has it.
#include "core/convert_paths.h"

#if defined(JPEGCORE_HAVE_AVX2_PATH)

#include <immintrin.h>

namespace core::detail {

using host::PixelYC;

namespace {

#define AVX2_FN __attribute__((target("avx2")))

constexpr int kBlock = 16;  // pixels per step

// pmaddwd coefficients for the register that holds stream lanes first..first+15: the low
// unpack covers lanes first+0..3 and first+8..11, the high unpack first+4..7 and first+12..15.
AVX2_FN __m256i PairCoefs(const ChannelCoefs& c, int first, bool high) {
  int16_t v[16];
  for (int half = 0; half < 2; ++half) {
    const int base = first + 8 * half + (high ? 4 : 0);
    for (int j = 0; j < 4; ++j) {
      const int ch = (base + j) % 3;
      v[8 * half + 2 * j] = c.k[ch];
      v[8 * half + 2 * j + 1] = c.p[ch];
    }
  }
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v));
}

AVX2_FN __m256i ChromaOffsets(int first) {
  int16_t v[16];
  for (int j = 0; j < 16; ++j) v[j] = ((first + j) % 3 == 0) ? 0 : 128;
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v));
}

AVX2_FN inline void Load48(const PixelYC* p, __m256i v[3]) {
  const __m256i* q = reinterpret_cast<const __m256i*>(p);
  v[0] = _mm256_loadu_si256(q);
  v[1] = _mm256_loadu_si256(q + 1);
  v[2] = _mm256_loadu_si256(q + 2);
}

// Packs three registers of 16-bit results to 48 bytes in stream order.
AVX2_FN inline void Store48(uint8_t* dst, __m256i r0, __m256i r1, __m256i r2) {
  const __m256i a = _mm256_permute4x64_epi64(_mm256_packus_epi16(r0, r1), _MM_SHUFFLE(3, 1, 2, 0));
  const __m256i b = _mm256_permute4x64_epi64(_mm256_packus_epi16(r2, r2), _MM_SHUFFLE(3, 1, 2, 0));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), a);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 32), _mm256_castsi256_si128(b));
}

// Lane i of the result is lane i + n/2 of the stream (cur, next): a shift across registers.
template <int kBytes>
AVX2_FN inline __m256i Ahead(__m256i cur, __m256i next) {
  return _mm256_alignr_epi8(_mm256_permute2x128_si256(cur, next, 0x21), cur, kBytes);
}

// Lane i of the result is lane i - 1 of the stream (prev, cur).
AVX2_FN inline __m256i Behind(__m256i prev, __m256i cur) {
  return _mm256_alignr_epi8(cur, _mm256_permute2x128_si256(prev, cur, 0x21), 14);
}

AVX2_FN inline __m256i Load16(const int16_t* v) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v));
}

// The plain rescale without pmaddwd: clamp, scale with pmulhrsw, offset (see convert_paths.h).
struct LaneConsts {
  __m256i lo, hi, k, offset;
};

AVX2_FN LaneConsts MakeConsts(int first) {
  int16_t lo[16], hi[16], k[16], off[16];
  for (int j = 0; j < 16; ++j) {
    const PlainLaneRule& r = (first + j) % 3 == 0 ? kPlainLuma : kPlainChroma;
    lo[j] = r.lo;
    hi[j] = r.hi;
    k[j] = r.k;
    off[j] = r.offset;
  }
  return {Load16(lo), Load16(hi), Load16(k), Load16(off)};
}

AVX2_FN inline __m256i PlainLanes(__m256i v, const LaneConsts& c) {
  v = _mm256_min_epi16(_mm256_max_epi16(v, c.lo), c.hi);
  return _mm256_add_epi16(_mm256_mulhrs_epi16(_mm256_slli_epi16(v, 3), c.k), c.offset);
}

AVX2_FN void ColourPlainAvx2(const PixelYC* src, int width, uint8_t* dst, int* done) {
  const LaneConsts c[3] = {MakeConsts(0), MakeConsts(16), MakeConsts(32)};
  int i = 0;
  for (; i + kBlock <= width; i += kBlock) {
    __m256i v[3];
    Load48(src + i, v);
    Store48(dst + 3 * i, PlainLanes(v[0], c[0]), PlainLanes(v[1], c[1]), PlainLanes(v[2], c[2]));
  }
  *done = i;
}

AVX2_FN void ColourMatrixAvx2(const PixelYC* src, int width, uint8_t* dst, int* done) {
  const __m256i round = _mm256_set1_epi32(32768);
  const __m256i zero = _mm256_setzero_si256();
  __m256i ablo[3], abhi[3], cdlo[3], cdhi[3], off[3];
  for (int r = 0; r < 3; ++r) {
    ablo[r] = PairCoefs(kMatrixAB, 16 * r, false);
    abhi[r] = PairCoefs(kMatrixAB, 16 * r, true);
    cdlo[r] = PairCoefs(kMatrixCD, 16 * r, false);
    cdhi[r] = PairCoefs(kMatrixCD, 16 * r, true);
    off[r] = ChromaOffsets(16 * r);
  }
  int i = 0;
  for (; i + kBlock <= width; i += kBlock) {
    __m256i a[3];
    Load48(src + i, a);
    // Sixteen whole pixels: no pixel needs a lane outside the block, so zeros stand beyond it.
    const __m256i next[3] = {a[1], a[2], zero};
    const __m256i prev[3] = {zero, a[0], a[1]};
    __m256i r[3];
    for (int k = 0; k < 3; ++k) {
      const __m256i b = Ahead<2>(a[k], next[k]);
      const __m256i c = Ahead<4>(a[k], next[k]);
      const __m256i d = Behind(prev[k], a[k]);
      __m256i lo = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(a[k], b), ablo[k]),
                                    _mm256_madd_epi16(_mm256_unpacklo_epi16(c, d), cdlo[k]));
      __m256i hi = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(a[k], b), abhi[k]),
                                    _mm256_madd_epi16(_mm256_unpackhi_epi16(c, d), cdhi[k]));
      lo = _mm256_srai_epi32(_mm256_add_epi32(lo, round), 16);
      hi = _mm256_srai_epi32(_mm256_add_epi32(hi, round), 16);
      r[k] = _mm256_add_epi16(_mm256_packs_epi32(lo, hi), off[k]);
    }
    Store48(dst + 3 * i, r[0], r[1], r[2]);
  }
  *done = i;
}

}  // namespace

void ConvertYcRowAvx2(const PixelYC* source, int width, bool gray, int colormatrix,
                      uint8_t* destination) {
  if (width <= 0) return;
  if (gray) {
    ConvertYcRowSse2(source, width, gray, colormatrix, destination);
    return;
  }
  int done = 0;
  if (colormatrix == 1) {
    ColourMatrixAvx2(source, width, destination, &done);
  } else {
    ColourPlainAvx2(source, width, destination, &done);
  }
  ConvertYcRowSse2(source + done, width - done, gray, colormatrix, destination + 3 * done);
}

bool CpuHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

}  // namespace core::detail

#endif  // JPEGCORE_HAVE_AVX2_PATH
