#include "core/encoder.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "core/convert.h"
#include "core/page_fetch.h"
#include "core/quant_tables.h"
#if !defined(JPEGCORE_PLAIN)
#include "core/scan_script.h"
#endif

namespace core {

int32_t libraryUsable = 1;

void* (*rowBufferAllocator)(size_t bytes) = std::malloc;

namespace {

// Sampling factors of component 0 for each downsampling preset; chroma is always 1 x 1.
struct Sampling {
  int h, v;
};
//                                  h  v
constexpr Sampling kSamplingPresets[] = {{1, 1},   // 0: 4:4:4
                                         {2, 1},   // 1: 4:2:2
                                         {2, 2},   // 2: 4:2:0 (the common choice)
                                         {2, 2},   // 3: grayscale, one component
                                         {1, 2},   // 4: 4:4:0
                                         {4, 2},   // 5: 4:1:0 wide
                                         {2, 4}};  // 6: 4:1:0 tall
static_assert(std::size(kSamplingPresets) == kSamplingPresetCount);

Sampling SamplingFor(int downsampling) {
  const bool known = downsampling >= 0 && downsampling < kSamplingPresetCount;
  return kSamplingPresets[known ? downsampling : kDefaultSamplingPreset];
}

// Runs one libjpeg step; false once the library has failed, now or before. The landing makes no
// library call, and no object with a destructor lives in the frames a longjmp leaves.
bool Guarded(JpegEncoder& e, void (*step)(JpegEncoder&)) {
  if (!libraryUsable) return false;
  if (setjmp(e.err.landing) != 0) return false;  // landed from OnFatalLibraryError
  step(e);
  return libraryUsable != 0;
}

void CreateCompressor(JpegEncoder& e) {
  jpeg_CreateCompress(&e.cinfo, JPEG_LIB_VERSION, sizeof(jpeg_compress_struct));
}

void SetDefaults(JpegEncoder& e) {
  e.cinfo.input_components = e.components;
  e.cinfo.in_color_space = e.components == 1 ? JCS_GRAYSCALE : JCS_YCbCr;
  jpeg_set_defaults(&e.cinfo);
  e.cinfo.image_width = static_cast<JDIMENSION>(e.width);
  e.cinfo.image_height = static_cast<JDIMENSION>(e.height);
}

void Configure(JpegEncoder& e) {
  jpeg_compress_struct& c = e.cinfo;
  const EncoderSettings& s = e.settings;

  const Sampling sampling = SamplingFor(s.downsampling);
  c.comp_info[0].h_samp_factor = sampling.h;
  c.comp_info[0].v_samp_factor = sampling.v;
  for (int i = 1; i < c.num_components; ++i) {
    c.comp_info[i].h_samp_factor = 1;
    c.comp_info[i].v_samp_factor = 1;
  }

  if (s.quantize >= 0 && s.quantize < kQuantTableSetCount) {
    const QuantTableSet& set = kQuantTableSets[s.quantize];
    const int scale = jpeg_quality_scaling(s.quality);
    jpeg_add_quant_table(&c, 0, set.luma, scale, TRUE);
    jpeg_add_quant_table(&c, 1, set.chroma, scale, TRUE);
  } else {
    jpeg_set_quality(&c, s.quality, TRUE);
  }

  if (s.progression != 0) {
#if !defined(JPEGCORE_PLAIN)
    if (s.progression_mine != 0) {
      custom_progression(&c);
    } else {
      jpeg_simple_progression(&c);
    }
#else
    jpeg_simple_progression(&c);
#endif
  }
  if (s.optimize != 0) c.optimize_coding = TRUE;
}

void DestroyCompressor(JpegEncoder& e) { jpeg_destroy_compress(&e.cinfo); }

void StartImage(JpegEncoder& e) {
  jpeg_stdio_dest(&e.cinfo, e.file);
  // The hook can only leave through the landing, so the next call runs only on success.
  jpeg_start_compress(&e.cinfo, TRUE);
}

void WriteRows(JpegEncoder& e) {
  const bool gray = e.components == 1;
  JSAMPROW rows[1] = {e.row};
  const size_t rowBytes = e.width > 0 ? static_cast<size_t>(e.width) * sizeof(host::PixelYC) : 0;
  for (int r = 0; r < e.height; ++r) {
    const unsigned char* src = e.firstRow + r * e.stride;
    // The next row comes from memory while the compressor works on this one, and the pages of
    // the row after it are looked up before that row is fetched.
    const unsigned char* next = r + 1 < e.height ? src + e.stride : src;
    if (r + 2 < e.height) FetchRowPages(src + 2 * e.stride, rowBytes);
    ConvertYcRowFetchingNext(reinterpret_cast<const host::PixelYC*>(src), e.width, gray,
                             e.settings.colormatrix, e.row,
                             reinterpret_cast<const host::PixelYC*>(next));
    jpeg_write_scanlines(&e.cinfo, rows, 1);
  }
}

void FinishImage(JpegEncoder& e) { jpeg_finish_compress(&e.cinfo); }

// Bytes of one converted row; 0 when the size does not fit in memory's address range.
size_t RowBytes(int width, int components) {
  if (width <= 0) return 1;  // an empty row still gets a buffer of its own
  const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(components);
  return bytes > SIZE_MAX ? 0 : static_cast<size_t>(bytes);
}

}  // namespace

void OnFatalLibraryError(j_common_ptr cinfo) {
  libraryUsable = 0;
  JumpToLanding(cinfo);
}

CreateResult CreateEncoder(JpegEncoder* encoder, const EncoderSettings& settings, int width,
                           int height) {
  if (!libraryUsable) return CreateResult::kLibraryFailure;
  JpegEncoder& e = *encoder;
  e.settings = settings;
#if defined(JPEGCORE_PLAIN)
  e.settings.colormatrix = 0;
  e.settings.progression_mine = 0;
#endif
  e.width = width;
  e.height = height;
  e.components = settings.downsampling == kGraySamplingPreset ? 1 : 3;
  e.row = nullptr;
  e.file = nullptr;
  e.firstRow = nullptr;
  e.stride = 0;

  e.cinfo.err = jpeg_std_error(&e.err.pub);
  e.err.pub.error_exit = OnFatalLibraryError;

  if (!Guarded(e, CreateCompressor)) return CreateResult::kLibraryFailure;
  if (!Guarded(e, SetDefaults)) return CreateResult::kLibraryFailure;
  Guarded(e, Configure);  // a failure here shows at the first check of EncodeFrame

  const size_t bytes = RowBytes(width, e.components);
  e.row = bytes == 0 ? nullptr : static_cast<uint8_t*>(rowBufferAllocator(bytes));
  if (e.row == nullptr) {
    Guarded(e, DestroyCompressor);
    return CreateResult::kNoMemory;
  }
  return CreateResult::kReady;
}

bool EncodeFrame(JpegEncoder* encoder, FILE* file, const void* firstRow, ptrdiff_t stride) {
  JpegEncoder& e = *encoder;
  e.file = file;
  e.firstRow = static_cast<const unsigned char*>(firstRow);
  e.stride = stride;
  return Guarded(e, StartImage) && Guarded(e, WriteRows) && Guarded(e, FinishImage);
}

void DestroyEncoder(JpegEncoder* encoder) {
  Guarded(*encoder, DestroyCompressor);
  std::free(encoder->row);
  encoder->row = nullptr;
}

}  // namespace core
