// The encoding core: a libjpeg compressor configured from EncoderSettings, fed YC48 rows.
//
// Library failure policy: libjpeg's fatal-error hook clears the module-wide libraryUsable flag
// and leaves the failing library call by a longjmp back to the operation that made it. Once the
// flag is clear this module never calls libjpeg again, not even to destroy a compressor.
//
// The core is built twice: the full copy (the still-frame filter) and a plain copy
// (JPEGCORE_PLAIN, the numbered-file output) that has no colour matrix and no custom scan
// script: its encoders ignore colormatrix and progression_mine and always behave as if both
// were 0.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>

#include "core/encoder_values.h"
#include "core/fatal_error_mgr.h"
#include "core/jpeg_lib.h"
#include "host/pixel_yc.h"

namespace core {

// What an encoder writes. A nonzero switch means on; values outside the listed ranges can come
// from stored settings and fall back as noted.
struct EncoderSettings {
  int32_t quality;           // 0..100, default 75 (0 acts as 1)
  int32_t optimize;          // optimized Huffman tables, default 1
  int32_t progression;       // progressive file, default 1
  int32_t downsampling;      // sampling preset 0..6, default 2; 3 = grayscale; others act as 2
  int32_t quantize;          // table set 0..2, default 0; others: the library's standard tables
  int32_t colormatrix;       // 1 = BT.709 to BT.601, others = rescale only; default 0
  int32_t progression_mine;  // the custom scan script instead of the library's, default 0
};

constexpr EncoderSettings kDefaultEncoderSettings = {
    kDefaultQuality,         // quality
    1,                       // optimize
    1,                       // progression
    kDefaultSamplingPreset,  // downsampling
    kDefaultQuantTableSet,   // quantize
    0,                       // colormatrix
    0,                       // progression_mine
};

// One encoder: the compressor, its error manager, the settings it was made with and its row
// buffer. Owned by the caller from CreateEncoder until DestroyEncoder.
struct JpegEncoder {
  jpeg_compress_struct cinfo;
  FatalErrorMgr err;
  EncoderSettings settings;
  int width;
  int height;
  int components;  // 1 (gray) or 3 (Y, Cb, Cr)
  uint8_t* row;    // width * components bytes, reused for every row

  // The image being written by EncodeFrame.
  FILE* file;
  const unsigned char* firstRow;
  ptrdiff_t stride;
};

enum class CreateResult {
  kReady,
  kLibraryFailure,  // the library is unusable, or failed creating the compressor or setting
                    // its defaults; no row buffer exists
  kNoMemory,        // no row buffer; the compressor has been destroyed
};

// 1 while this module may use libjpeg; cleared for good by the first fatal library error.
extern int32_t libraryUsable;

// The replaced error_exit: clears libraryUsable and jumps back to the operation's landing.
void OnFatalLibraryError(j_common_ptr cinfo);

// Creates and configures the compressor for images of width x height and allocates the row
// buffer. A library failure in jpeg_CreateCompress or jpeg_set_defaults reports a library
// failure; one later, while the settings are applied, still reports ready, and the following
// EncodeFrame then fails at once.
CreateResult CreateEncoder(JpegEncoder* encoder, const EncoderSettings& settings, int width,
                           int height);

// Writes one image to `file` (opened "wb" by the caller, left open): `height` rows of `width`
// pixels, the first at firstRow, each `stride` bytes after the one above. True when the image
// was written completely; false when the library failed, now or before.
bool EncodeFrame(JpegEncoder* encoder, FILE* file, const void* firstRow, ptrdiff_t stride);

// Destroys the compressor (only while the library is usable) and frees the row buffer.
void DestroyEncoder(JpegEncoder* encoder);

// The allocator of row buffers; replaceable so that the out-of-memory result can be tested.
extern void* (*rowBufferAllocator)(size_t bytes);

}  // namespace core
