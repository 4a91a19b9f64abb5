// YC48 to 8-bit conversion: the scalar reference loops, their SSE2 versions, and the choice of
// the fastest path for this processor.
//
// The vector loops take eight pixels (24 interleaved 16-bit values, three registers) at a time.
// The colour loops never de-interleave: every 16-bit lane becomes the output byte of the same
// position, with coefficients chosen by the lane's channel (lane index modulo 3), so the bytes
// come out already in Y,Cb,Cr order. The gray loops gather the eight lumas first. Every
// formula is evaluated exactly as in its scalar version, on 32-bit sums from pmaddwd; the final
// clamp is the saturating pack to unsigned bytes.
#include "core/convert.h"

#include "core/convert_formulas.h"
#include "core/convert_paths.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace core {

using host::PixelYC;
namespace f = formulas;

namespace {

void GrayPlainScalar(const PixelYC* src, int width, uint8_t* dst) {
  for (int i = 0; i < width; ++i) dst[i] = f::LumaPlain(src[i].y);
}

void ColourPlainScalar(const PixelYC* src, int width, uint8_t* dst) {
  for (int i = 0; i < width; ++i) {
    dst[3 * i + 0] = f::LumaPlain(src[i].y);
    dst[3 * i + 1] = f::ChromaPlain(src[i].cb);
    dst[3 * i + 2] = f::ChromaPlain(src[i].cr);
  }
}

void GrayMatrixScalar(const PixelYC* src, int width, uint8_t* dst) {
  for (int i = 0; i < width; ++i) dst[i] = f::Luma709To601(src[i].y, src[i].cb, src[i].cr);
}

void ColourMatrixScalar(const PixelYC* src, int width, uint8_t* dst) {
  for (int i = 0; i < width; ++i) {
    dst[3 * i + 0] = f::Luma709To601(src[i].y, src[i].cb, src[i].cr);
    dst[3 * i + 1] = f::Cb709To601(src[i].cb, src[i].cr);
    dst[3 * i + 2] = f::Cr709To601(src[i].cb, src[i].cr);
  }
}

#if defined(__SSE2__)

using detail::ChannelCoefs;
constexpr int kBlock = 8;  // pixels per vector step

// pmaddwd coefficients for the four lanes from stream lane `first` on.
__m128i PairCoefs(const ChannelCoefs& c, int first) {
  int16_t v[8];
  for (int j = 0; j < 4; ++j) {
    const int ch = (first + j) % 3;
    v[2 * j] = c.k[ch];
    v[2 * j + 1] = c.p[ch];
  }
  return _mm_setr_epi16(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
}

// The +128 of the chroma formulas, per lane of a register starting at stream lane `first`.
__m128i ChromaOffsets(int first) {
  int16_t v[8];
  for (int j = 0; j < 8; ++j) v[j] = ((first + j) % 3 == 0) ? 0 : 128;
  return _mm_setr_epi16(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
}

inline void Load24(const PixelYC* p, __m128i& v0, __m128i& v1, __m128i& v2) {
  const __m128i* q = reinterpret_cast<const __m128i*>(p);
  v0 = _mm_loadu_si128(q);
  v1 = _mm_loadu_si128(q + 1);
  v2 = _mm_loadu_si128(q + 2);
}

inline void Store24(uint8_t* dst, __m128i r0, __m128i r1, __m128i r2) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(r0, r1));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 16), _mm_packus_epi16(r2, r2));
}

// The stream of 24 lanes moved down by one lane (lane i takes lane i+1; zero enters at the top).
inline void Next(__m128i v0, __m128i v1, __m128i v2, __m128i& n0, __m128i& n1, __m128i& n2) {
  n0 = _mm_or_si128(_mm_srli_si128(v0, 2), _mm_slli_si128(v1, 14));
  n1 = _mm_or_si128(_mm_srli_si128(v1, 2), _mm_slli_si128(v2, 14));
  n2 = _mm_srli_si128(v2, 2);
}

// The lanes 0, 3, 6, ..., 21 of a 24-lane stream: the first channel of eight pixels.
inline __m128i GatherFirstChannel(__m128i v0, __m128i v1, __m128i v2) {
  const __m128i m012 = _mm_setr_epi16(-1, -1, -1, 0, 0, 0, 0, 0);
  const __m128i m345 = _mm_setr_epi16(0, 0, 0, -1, -1, -1, 0, 0);
  const __m128i m6 = _mm_setr_epi16(0, 0, 0, 0, 0, 0, -1, 0);
  const __m128i m7 = _mm_setr_epi16(0, 0, 0, 0, 0, 0, 0, -1);
  // v0: lanes 0, 3, 6 -> 0, 1, 2
  __m128i a = _mm_shufflelo_epi16(v0, _MM_SHUFFLE(3, 2, 3, 0));
  a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 2, 1, 2));
  a = _mm_shuffle_epi32(a, _MM_SHUFFLE(3, 2, 2, 0));
  // v1: lanes 1, 4, 7 -> 3, 4, 5
  __m128i b = _mm_shufflelo_epi16(v1, _MM_SHUFFLE(1, 2, 1, 0));
  b = _mm_shufflehi_epi16(b, _MM_SHUFFLE(3, 2, 3, 0));
  // v2: lane 2 -> 6 (by a whole-register shift), lane 5 -> 7
  const __m128i c = _mm_slli_si128(v2, 8);
  const __m128i d = _mm_shufflehi_epi16(v2, _MM_SHUFFLE(1, 2, 1, 0));
  return _mm_or_si128(_mm_or_si128(_mm_and_si128(a, m012), _mm_and_si128(b, m345)),
                      _mm_or_si128(_mm_and_si128(c, m6), _mm_and_si128(d, m7)));
}

// (lane * k + partner * p) >> shift over eight 16-bit lanes, as 32-bit sums, packed back to
// 16 bits (the results are small enough for the signed saturating pack to be exact).
template <int kShift>
inline __m128i ScaleRound(__m128i v, __m128i lo_coefs, __m128i hi_coefs, __m128i partner) {
  const __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(v, partner), lo_coefs);
  const __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(v, partner), hi_coefs);
  return _mm_packs_epi32(_mm_srai_epi32(lo, kShift), _mm_srai_epi32(hi, kShift));
}

void ColourPlainSse2(const PixelYC* src, int width, uint8_t* dst, ptrdiff_t ahead) {
  const __m128i partner = _mm_set1_epi16(detail::kPlainPartner);
  __m128i klo[3], khi[3];
  for (int r = 0; r < 3; ++r) {
    klo[r] = PairCoefs(detail::kPlainCoefs, 8 * r);
    khi[r] = PairCoefs(detail::kPlainCoefs, 8 * r + 4);
  }
  int i = 0;
  for (; i + kBlock <= width; i += kBlock) {
    detail::FetchAhead(src + i, ahead);
    __m128i v0, v1, v2;
    Load24(src + i, v0, v1, v2);
    Store24(dst + 3 * i, ScaleRound<12>(v0, klo[0], khi[0], partner),
            ScaleRound<12>(v1, klo[1], khi[1], partner),
            ScaleRound<12>(v2, klo[2], khi[2], partner));
  }
  ColourPlainScalar(src + i, width - i, dst + 3 * i);
}

// Y = (255 y + 2048) >> 12 on the gathered lumas.
void GrayPlainSse2(const PixelYC* src, int width, uint8_t* dst, ptrdiff_t ahead) {
  const __m128i partner = _mm_set1_epi16(1);
  const __m128i k = _mm_setr_epi16(255, 2048, 255, 2048, 255, 2048, 255, 2048);
  int i = 0;
  for (; i + kBlock <= width; i += kBlock) {
    detail::FetchAhead(src + i, ahead);
    __m128i v0, v1, v2;
    Load24(src + i, v0, v1, v2);
    const __m128i y = ScaleRound<12>(GatherFirstChannel(v0, v1, v2), k, k, partner);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(y, y));
  }
  GrayPlainScalar(src + i, width - i, dst + i);
}

// Eight pixels fill 24 lanes exactly, so the neighbours a pixel needs (detail::kMatrixAB, CD)
// never lie outside the three registers.
void ColourMatrixSse2(const PixelYC* src, int width, uint8_t* dst, ptrdiff_t ahead) {
  const __m128i round = _mm_set1_epi32(32768);
  __m128i ablo[3], abhi[3], cdlo[3], cdhi[3], off[3];
  for (int r = 0; r < 3; ++r) {
    ablo[r] = PairCoefs(detail::kMatrixAB, 8 * r);
    abhi[r] = PairCoefs(detail::kMatrixAB, 8 * r + 4);
    cdlo[r] = PairCoefs(detail::kMatrixCD, 8 * r);
    cdhi[r] = PairCoefs(detail::kMatrixCD, 8 * r + 4);
    off[r] = ChromaOffsets(8 * r);
  }
  int i = 0;
  for (; i + kBlock <= width; i += kBlock) {
    detail::FetchAhead(src + i, ahead);
    __m128i a[3], b[3], c[3], d[3];
    Load24(src + i, a[0], a[1], a[2]);
    Next(a[0], a[1], a[2], b[0], b[1], b[2]);
    Next(b[0], b[1], b[2], c[0], c[1], c[2]);
    d[0] = _mm_slli_si128(a[0], 2);
    d[1] = _mm_or_si128(_mm_slli_si128(a[1], 2), _mm_srli_si128(a[0], 14));
    d[2] = _mm_or_si128(_mm_slli_si128(a[2], 2), _mm_srli_si128(a[1], 14));
    __m128i r[3];
    for (int k = 0; k < 3; ++k) {
      __m128i lo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a[k], b[k]), ablo[k]),
                                 _mm_madd_epi16(_mm_unpacklo_epi16(c[k], d[k]), cdlo[k]));
      __m128i hi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a[k], b[k]), abhi[k]),
                                 _mm_madd_epi16(_mm_unpackhi_epi16(c[k], d[k]), cdhi[k]));
      lo = _mm_srai_epi32(_mm_add_epi32(lo, round), 16);
      hi = _mm_srai_epi32(_mm_add_epi32(hi, round), 16);
      r[k] = _mm_add_epi16(_mm_packs_epi32(lo, hi), off[k]);
    }
    Store24(dst + 3 * i, r[0], r[1], r[2]);
  }
  ColourMatrixScalar(src + i, width - i, dst + 3 * i);
}

// Y = (4080 y + 418 cb + 800 cr + 32768) >> 16, from the gathered y, cb and cr of eight pixels.
void GrayMatrixSse2(const PixelYC* src, int width, uint8_t* dst, ptrdiff_t ahead) {
  const __m128i kycb = _mm_setr_epi16(4080, 418, 4080, 418, 4080, 418, 4080, 418);
  const __m128i kcr = _mm_setr_epi16(800, 0, 800, 0, 800, 0, 800, 0);
  const __m128i round = _mm_set1_epi32(32768);
  const __m128i zero = _mm_setzero_si128();
  int i = 0;
  for (; i + kBlock <= width; i += kBlock) {
    detail::FetchAhead(src + i, ahead);
    __m128i v0, v1, v2, n0, n1, n2, m0, m1, m2;
    Load24(src + i, v0, v1, v2);
    Next(v0, v1, v2, n0, n1, n2);
    Next(n0, n1, n2, m0, m1, m2);
    const __m128i y = GatherFirstChannel(v0, v1, v2);
    const __m128i cb = GatherFirstChannel(n0, n1, n2);
    const __m128i cr = GatherFirstChannel(m0, m1, m2);
    __m128i lo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(y, cb), kycb),
                               _mm_madd_epi16(_mm_unpacklo_epi16(cr, zero), kcr));
    __m128i hi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(y, cb), kycb),
                               _mm_madd_epi16(_mm_unpackhi_epi16(cr, zero), kcr));
    lo = _mm_srai_epi32(_mm_add_epi32(lo, round), 16);
    hi = _mm_srai_epi32(_mm_add_epi32(hi, round), 16);
    const __m128i r = _mm_packs_epi32(lo, hi);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(r, r));
  }
  GrayMatrixScalar(src + i, width - i, dst + i);
}

#endif  // __SSE2__

using RowConverter = void (*)(const PixelYC*, int, bool, int, uint8_t*, ptrdiff_t);

#if !defined(__SSE2__)
void ScalarIgnoringAhead(const PixelYC* source, int width, bool gray, int colormatrix,
                         uint8_t* destination, ptrdiff_t /*ahead*/) {
  ConvertYcRowScalar(source, width, gray, colormatrix, destination);
}
#endif

// The path chosen once, when the module is loaded.
RowConverter ChooseConverter() {
#if defined(JPEGCORE_HAVE_RUNTIME_PATHS)
  if (detail::CpuHasAvx2()) return detail::ConvertYcRowAvx2Fetching;
  if (detail::CpuHasSsse3()) return detail::ConvertYcRowSsse3Fetching;
#endif
#if defined(__SSE2__)
  return detail::ConvertYcRowSse2Fetching;
#else
  return ScalarIgnoringAhead;
#endif
}

const RowConverter chosenConverter = ChooseConverter();

}  // namespace

detail::MatrixGroup detail::MakeMatrixGroup(int firstChannel) {
  constexpr int8_t kZero = -128;  // a shuffle index that yields a zero byte
  constexpr int16_t kE[3] = {800, 0, -297};
  constexpr int16_t kRound[3] = {64, 16448, 16448};
  MatrixGroup g = {};
  for (int j = 0; j < 4; ++j) {
    const int ch = (firstChannel + j) % 3;
    const int a = j + 1, b = j + 2, e = ch == 0 ? j + 3 : j;  // window lanes
    const int8_t pair[4] = {static_cast<int8_t>(2 * a), static_cast<int8_t>(2 * a + 1),
                            static_cast<int8_t>(2 * b), static_cast<int8_t>(2 * b + 1)};
    for (int k = 0; k < 4; ++k) g.ab[4 * j + k] = pair[k];
    g.e[4 * j + 0] = ch == 1 ? kZero : static_cast<int8_t>(2 * e);
    g.e[4 * j + 1] = ch == 1 ? kZero : static_cast<int8_t>(2 * e + 1);
    g.e[4 * j + 2] = kZero;
    g.e[4 * j + 3] = kZero;
    g.kab[2 * j] = kMatrixAB.k[ch];
    g.kab[2 * j + 1] = kMatrixAB.p[ch];
    g.ke[2 * j] = kE[ch];
    g.ke[2 * j + 1] = kRound[ch];
  }
  return g;
}

void ConvertYcRowScalar(const PixelYC* source, int width, bool gray, int colormatrix,
                        uint8_t* destination) {
  if (width <= 0) return;
  if (colormatrix == kColorMatrixBt709ToBt601) {
    gray ? GrayMatrixScalar(source, width, destination)
         : ColourMatrixScalar(source, width, destination);
  } else {
    gray ? GrayPlainScalar(source, width, destination)
         : ColourPlainScalar(source, width, destination);
  }
}

#if defined(__SSE2__)
void detail::ConvertYcRowSse2Fetching(const PixelYC* source, int width, bool gray,
                                      int colormatrix, uint8_t* destination, ptrdiff_t ahead) {
  if (width <= 0) return;
  if (colormatrix == kColorMatrixBt709ToBt601) {
    gray ? GrayMatrixSse2(source, width, destination, ahead)
         : ColourMatrixSse2(source, width, destination, ahead);
  } else {
    gray ? GrayPlainSse2(source, width, destination, ahead)
         : ColourPlainSse2(source, width, destination, ahead);
  }
}
#endif

void ConvertYcRow(const PixelYC* source, int width, bool gray, int colormatrix,
                  uint8_t* destination) {
  chosenConverter(source, width, gray, colormatrix, destination, 0);
}

void ConvertYcRowFetchingNext(const PixelYC* source, int width, bool gray, int colormatrix,
                              uint8_t* destination, const PixelYC* next) {
  const ptrdiff_t ahead =
      reinterpret_cast<const char*>(next) - reinterpret_cast<const char*>(source);
  chosenConverter(source, width, gray, colormatrix, destination, ahead);
}

bool ConvertYcRowIsVectorised() {
#if defined(__SSE2__)
  return true;
#else
  return false;
#endif
}

}  // namespace core
