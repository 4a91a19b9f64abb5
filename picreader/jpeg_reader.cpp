#include "picreader/jpeg_reader.h"

#include <climits>
#include <cstdlib>

#include "core/page_fetch.h"
#include "host/pixel_yc.h"
#include "picreader/yc48_from_jpeg.h"

static_assert(JPEG_LIB_VERSION == 62, "the decoder record is the one of libjpeg's API 62");

namespace picreader {

int32_t libraryUsable = 1;

void* (*rowBufferAllocator)(size_t bytes) = std::malloc;

namespace {

// Runs one libjpeg step; false once the library has failed, now or before. The landing makes no
// library call, and no object with a destructor lives in the frames a longjmp leaves.
bool Guarded(JpegReaderHandle& h, void (*step)(JpegReaderHandle&)) {
  if (!libraryUsable) return false;
  if (setjmp(h.errorManager.landing) != 0) return false;  // landed from OnFatalLibraryError
  step(h);
  return libraryUsable != 0;
}

void CreateDecoder(JpegReaderHandle& h) {
  jpeg_CreateDecompress(&h.decoder, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
}

void AttachFile(JpegReaderHandle& h) { jpeg_stdio_src(&h.decoder, h.file); }

void ReadHeader(JpegReaderHandle& h) { jpeg_read_header(&h.decoder, TRUE); }

// Puts the decoder back where OpenJpeg left it, whatever the last read left behind (finished,
// or started and abandoned): a new decoder reads the header again. jpeg_abort_decompress would
// keep the Huffman and quantization tables the last pass defined (libjpeg keeps them on purpose,
// for abbreviated streams), so a table defined after a scan that uses it would decode the second
// read differently from the first. The caller has rewound the file.
void RecreateDecoder(JpegReaderHandle& h) {
  jpeg_destroy_decompress(&h.decoder);
  jpeg_CreateDecompress(&h.decoder, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
  jpeg_stdio_src(&h.decoder, h.file);
  jpeg_read_header(&h.decoder, TRUE);
}

void DestroyDecoder(JpegReaderHandle& h) { jpeg_destroy_decompress(&h.decoder); }

void StartDecoder(JpegReaderHandle& h) { jpeg_start_decompress(&h.decoder); }

void ReadRows(JpegReaderHandle& h) {
  jpeg_decompress_struct& d = h.decoder;
  const int width = static_cast<int>(d.output_width);
  const bool gray = d.out_color_space == JCS_GRAYSCALE;
  JSAMPROW rows[1] = {h.row};
  unsigned char* out = h.destination;
  const size_t rowBytes = static_cast<size_t>(width) * sizeof(host::PixelYC);
  for (JDIMENSION r = 0; r < d.output_height; ++r, out += h.stride) {
    jpeg_read_scanlines(&d, rows, 1);
    // The next row's pages are looked up while the library decodes it.
    if (r + 1 < d.output_height) core::FetchRowPages(out + h.stride, rowBytes);
    auto* pixels = reinterpret_cast<host::PixelYC*>(out);
    if (gray) {
      GrayRowToYc48(h.row, width, pixels);
    } else {
      YCbCrRowToYc48(h.row, width, pixels);
    }
  }
}

void FinishDecoder(JpegReaderHandle& h) { jpeg_finish_decompress(&h.decoder); }

bool AcceptedColourSpace(J_COLOR_SPACE space) {
  return space == JCS_GRAYSCALE || space == JCS_YCbCr;
}

int64_t FrameBytes(int64_t width, int64_t height) { return FrameStride(width) * height; }

// Closes the file and frees the handle; the decoder is the caller's business. Returns null.
JpegReaderHandle* Release(JpegReaderHandle* h) {
  if (h->file != nullptr) std::fclose(h->file);
  std::free(h);
  return nullptr;
}

// Readies a handle whose decoder an earlier read started for the next start. False when the
// file cannot be rewound, the library fails, or the file no longer holds the image it held at
// open (the host sized its buffer from `format`); the next read then tries again.
bool RewindForNextRead(JpegReaderHandle& h) {
  if (std::fseek(h.file, 0, SEEK_SET) != 0) return false;
  if (!Guarded(h, RecreateDecoder)) return false;
  const jpeg_decompress_struct& d = h.decoder;
  if (!AcceptedColourSpace(d.jpeg_color_space) ||
      static_cast<int64_t>(d.image_width) != h.format.biWidth ||
      static_cast<int64_t>(d.image_height) != h.format.biHeight) {
    return false;
  }
  h.needsHeader = false;
  return true;
}

}  // namespace

void OnFatalLibraryError(j_common_ptr cinfo) {
  libraryUsable = 0;
  core::JumpToLanding(cinfo);
}

int64_t FrameStride(int64_t width) {
  return host::YcRowStride(width, host::YcRowLayout::kPadded);
}

JpegReaderHandle* OpenJpeg(const char* path) {
  auto* h = static_cast<JpegReaderHandle*>(std::calloc(1, sizeof(JpegReaderHandle)));
  if (h == nullptr) return nullptr;
  h->file = std::fopen(path, "rb");
  if (h->file == nullptr) return Release(h);
  if (!libraryUsable) return Release(h);  // an unusable module refuses every file

  h->decoder.err = jpeg_std_error(&h->errorManager.pub);
  h->errorManager.pub.error_exit = OnFatalLibraryError;
  // After a failure the decoder is left as it is: no library call once the flag is clear.
  if (!Guarded(*h, CreateDecoder)) return Release(h);
  if (!Guarded(*h, AttachFile)) return Release(h);
  if (!Guarded(*h, ReadHeader)) return Release(h);

  const jpeg_decompress_struct& d = h->decoder;
  // Refused with the library still usable: colour spaces other than gray and YCbCr, and frames
  // whose byte count (the read's result) does not fit in an int.
  if (!AcceptedColourSpace(d.jpeg_color_space) ||
      FrameBytes(d.image_width, d.image_height) > INT_MAX) {
    Guarded(*h, DestroyDecoder);
    return Release(h);
  }

  BitmapInfoHeader& f = h->format;
  f.biSize = sizeof(BitmapInfoHeader);
  f.biWidth = static_cast<int32_t>(d.image_width);
  f.biHeight = static_cast<int32_t>(d.image_height);
  f.biPlanes = 1;
  f.biBitCount = 48;
  f.biCompression = host::kFourccYC48;
  return h;  // the other fields stay 0, as calloc left them
}

int CloseJpeg(JpegReaderHandle* handle) {
  if (handle == nullptr) return 1;
  if (handle->file != nullptr) {
    std::fclose(handle->file);
    handle->file = nullptr;
  }
  Guarded(*handle, DestroyDecoder);  // skipped once the library has failed
  Release(handle);
  return 1;
}

int ReadJpegFrame(JpegReaderHandle* handle, int /*frame*/, void* buffer) {
  if (!libraryUsable) return 0;
  JpegReaderHandle& h = *handle;
  if (h.needsHeader && !RewindForNextRead(h)) return 0;

  jpeg_decompress_struct& d = h.decoder;
  // The file's own colour space: the library converts nothing.
  d.out_color_space = d.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_YCbCr;
  h.needsHeader = true;
  if (!Guarded(h, StartDecoder)) return 0;

  h.row = static_cast<uint8_t*>(
      rowBufferAllocator(static_cast<size_t>(d.output_width) * d.output_components));
  if (h.row == nullptr) return 0;
  h.destination = static_cast<unsigned char*>(buffer);
  h.stride = static_cast<ptrdiff_t>(FrameStride(d.output_width));

  // A failure in any row, the last one included, leaves an incomplete frame: 0. A failure
  // inside the finish comes after every row was decoded and keeps the result.
  const bool complete = Guarded(h, ReadRows);
  FenceRowStores();
  if (complete) Guarded(h, FinishDecoder);
  std::free(h.row);
  h.row = nullptr;
  return complete ? static_cast<int>(FrameBytes(d.output_width, d.output_height)) : 0;
}

}  // namespace picreader
