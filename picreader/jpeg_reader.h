// The JPEG reader behind the input plug-in: opens a grayscale or YCbCr JPEG file as a video of
// one frame and decodes that frame, one row at a time, into the host's buffer as YC48.
// Portable (no Windows headers): the plug-in's table and export wrap it, and the tests build it
// natively too.
//
// Library failure policy: libjpeg's fatal-error hook clears the module-wide libraryUsable flag
// and leaves the failing library call by a longjmp back to the step that made it. Once the flag
// is clear this module never calls libjpeg again, not even to destroy a decoder, and every open,
// description and read fails.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>

#include "core/fatal_error_mgr.h"
#include "core/jpeg_lib.h"

namespace picreader {

// The stream format handed to the host: the layout of the Windows bitmap information header
// (40 bytes), declared here without Windows headers. The plug-in's table checks that the two
// layouts agree.
struct BitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};

static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(offsetof(BitmapInfoHeader, biWidth) == 4);
static_assert(offsetof(BitmapInfoHeader, biHeight) == 8);
static_assert(offsetof(BitmapInfoHeader, biPlanes) == 12);
static_assert(offsetof(BitmapInfoHeader, biBitCount) == 14);
static_assert(offsetof(BitmapInfoHeader, biCompression) == 16);
static_assert(offsetof(BitmapInfoHeader, biSizeImage) == 20);
static_assert(offsetof(BitmapInfoHeader, biClrImportant) == 36);

// The error manager of the encoding core's libjpeg objects, here for the decoder.
using core::FatalErrorMgr;

// One opened file, from OpenJpeg to CloseJpeg. Everything a libjpeg step needs lives here, on
// the heap, so that a longjmp out of the library leaves nothing behind in the frames it skips.
struct JpegReaderHandle {
  FILE* file;                   // opened "rb" by OpenJpeg, closed by CloseJpeg
  BitmapInfoHeader format;      // what the host is told; its address is handed out
  jpeg_decompress_struct decoder;
  FatalErrorMgr errorManager;   // the decoder's err

  // Set when a read has started the decoder: the next read rewinds the file and reads the
  // header again with a new decoder first, since libjpeg cannot start a decoder twice and an
  // aborted one keeps the tables the last pass defined.
  bool needsHeader;
  // The read in progress.
  uint8_t* row;                 // one decoded row, allocated and freed by each read
  unsigned char* destination;   // the host's buffer
  ptrdiff_t stride;             // bytes from one destination row to the next
};

// 1 while this module may use libjpeg; cleared for good by the first fatal library error.
extern int32_t libraryUsable;

// The decoder's error_exit: clears libraryUsable and jumps back to the failing step's landing.
void OnFatalLibraryError(j_common_ptr cinfo);

// Opens `path` (handed unchanged to fopen) and reads the JPEG header. Null when there is no
// memory, the file cannot be opened, the library is or becomes unusable, the colour space is
// neither grayscale nor YCbCr, or the frame would not fit in an int count of bytes.
JpegReaderHandle* OpenJpeg(const char* path);

// Closes the file and frees the handle (destroying the decoder only while the library is
// usable). Accepts null. Always 1.
int CloseJpeg(JpegReaderHandle* handle);

// Bytes from one YC48 row of `width` pixels to the next in the host's buffer: width * 6
// rounded up to a multiple of 4.
int64_t FrameStride(int64_t width);

// Decodes the one frame into `buffer` as YC48 rows FrameStride(width) bytes apart, top row
// first; the bytes after each row's last pixel are left alone. Returns height * stride, or 0
// when the library is or becomes unusable, or there is no memory for the row buffer. The frame
// number is not looked at: every read of a handle gives the same frame.
int ReadJpegFrame(JpegReaderHandle* handle, int frame, void* buffer);

// The allocator of row buffers; replaceable so that the out-of-memory result can be tested.
extern void* (*rowBufferAllocator)(size_t bytes);

}  // namespace picreader
