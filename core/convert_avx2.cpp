// The colour loops of the YC48 conversion with AVX2, sixteen pixels per step: the plain rescale
// over 48 consecutive lanes (its operations work within 128-bit halves, so the per-lane
// constants follow each half's stream lanes and only the final byte pack needs its quarters put
// back in order), and the matrix loop of the SSSE3 path on two 8-pixel blocks at once. Only
// these functions are compiled for AVX2; the caller makes sure the processor has it.
#include "core/convert_paths.h"

#if defined(JPEGCORE_HAVE_RUNTIME_PATHS)

#include <immintrin.h>

namespace core::detail {

using host::PixelYC;

namespace {

#define AVX2_FN __attribute__((target("avx2")))

constexpr int kBlock = 16;  // pixels per step

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

AVX2_FN inline __m256i Load16(const int16_t* v) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v));
}

// The plain rescale without pmaddwd: clamp, scale with pmulhrsw, offset (see convert_paths.h).
struct LaneConsts {
  __m256i lo, hi, k, offset;
};

AVX2_FN LaneConsts MakeConsts(int first) {
  const PlainLaneTables t = MakePlainLaneTables(first, 16);
  return {Load16(t.lo), Load16(t.hi), Load16(t.k), Load16(t.offset)};
}

AVX2_FN inline __m256i PlainLanes(__m256i v, const LaneConsts& c) {
  v = _mm256_min_epi16(_mm256_max_epi16(v, c.lo), c.hi);
  return _mm256_add_epi16(_mm256_mulhrs_epi16(_mm256_slli_epi16(v, 3), c.k), c.offset);
}

AVX2_FN void ColourPlainAvx2(const PixelYC* src, int width, uint8_t* dst, ptrdiff_t ahead,
                             int* done) {
  const LaneConsts c[3] = {MakeConsts(0), MakeConsts(16), MakeConsts(32)};
  int i = 0;
  for (; i + kBlock <= width; i += kBlock) {
    FetchAhead(src + i, ahead);
    FetchAhead(src + i + 8, ahead);
    __m256i v[3];
    Load48(src + i, v);
    Store48(dst + 3 * i, PlainLanes(v[0], c[0]), PlainLanes(v[1], c[1]), PlainLanes(v[2], c[2]));
  }
  *done = i;
}

// Two 8-pixel blocks side by side, one in each 128-bit half (the byte shuffles and alignments
// work within halves): the matrix loop of the SSSE3 path at twice the width.
AVX2_FN inline __m256i LoadPair(const PixelYC* first, int reg) {
  const __m128i* a = reinterpret_cast<const __m128i*>(first) + reg;
  const __m128i* b = reinterpret_cast<const __m128i*>(first + 8) + reg;
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(a)), _mm_loadu_si128(b), 1);
}

AVX2_FN inline __m256i Broadcast(const void* p) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(p)));
}

struct GroupConsts {
  __m256i e, kab, ke;
};

AVX2_FN inline __m256i Group(__m256i window, __m256i ab, const GroupConsts& g, __m256i partner) {
  const __m256i pairs = _mm256_shuffle_epi8(window, ab);
  const __m256i extra = _mm256_or_si256(_mm256_shuffle_epi8(window, g.e), partner);
  return _mm256_srai_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(pairs, g.kab), _mm256_madd_epi16(extra, g.ke)), 16);
}

AVX2_FN void ColourMatrixAvx2(const PixelYC* src, int width, uint8_t* dst, ptrdiff_t ahead,
                              int* done) {
  const MatrixGroup m[3] = {MakeMatrixGroup(0), MakeMatrixGroup(1), MakeMatrixGroup(2)};
  // The (A, B) pair shuffle does not depend on the channel: one register serves every group.
  const __m256i ab = Broadcast(m[0].ab);
  const GroupConsts g[3] = {{Broadcast(m[0].e), Broadcast(m[0].kab), Broadcast(m[0].ke)},
                            {Broadcast(m[1].e), Broadcast(m[1].kab), Broadcast(m[1].ke)},
                            {Broadcast(m[2].e), Broadcast(m[2].kab), Broadcast(m[2].ke)}};
  const __m256i partner = _mm256_set1_epi32(static_cast<int32_t>(kMatrixPartner) << 16);
  int i = 0;
  for (; i + kBlock <= width; i += kBlock) {
    FetchAhead(src + i, ahead);
    FetchAhead(src + i + 8, ahead);
    const __m256i v0 = LoadPair(src + i, 0), v1 = LoadPair(src + i, 1), v2 = LoadPair(src + i, 2);
    const __m256i s0 = Group(_mm256_slli_si256(v0, 2), ab, g[0], partner);
    const __m256i s1 = Group(_mm256_alignr_epi8(v1, v0, 6), ab, g[1], partner);
    const __m256i s2 = Group(_mm256_alignr_epi8(v1, v0, 14), ab, g[2], partner);
    const __m256i s3 = Group(_mm256_alignr_epi8(v2, v1, 6), ab, g[0], partner);
    const __m256i s4 = Group(_mm256_alignr_epi8(v2, v1, 14), ab, g[1], partner);
    const __m256i s5 = Group(_mm256_srli_si256(v2, 6), ab, g[2], partner);
    const __m256i r2 = _mm256_packs_epi32(s4, s5);
    const __m256i head = _mm256_packus_epi16(_mm256_packs_epi32(s0, s1), _mm256_packs_epi32(s2, s3));
    const __m256i tail = _mm256_packus_epi16(r2, r2);
    uint8_t* out = dst + 3 * i;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(head));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_castsi256_si128(tail));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 24), _mm256_extracti128_si256(head, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 40), _mm256_extracti128_si256(tail, 1));
  }
  *done = i;
}

}  // namespace

void ConvertYcRowAvx2Fetching(const PixelYC* source, int width, bool gray, int colormatrix,
                              uint8_t* destination, ptrdiff_t ahead) {
  if (width <= 0) return;
  if (gray) {
    ConvertYcRowSse2Fetching(source, width, gray, colormatrix, destination, ahead);
    return;
  }
  int done = 0;
  if (colormatrix == kColorMatrixBt709ToBt601) {
    ColourMatrixAvx2(source, width, destination, ahead, &done);
  } else {
    ColourPlainAvx2(source, width, destination, ahead, &done);
  }
  ConvertYcRowSsse3Fetching(source + done, width - done, gray, colormatrix, destination + 3 * done,
                            ahead);
}

bool CpuHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

}  // namespace core::detail

#endif  // JPEGCORE_HAVE_RUNTIME_PATHS
