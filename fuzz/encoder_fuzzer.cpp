// The encoding core on arbitrary settings (any int32 values), sizes, both row strides and
// arbitrary YC48 samples. Whatever it writes must decode to the right size with the right
// number of components, and one encoder must write the same file twice, as an export does.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/encoder.h"
#include "core/encoder_values.h"
#include "core/fatal_error_mgr.h"
#include "fuzz/check.h"
#include "host/pixel_yc.h"

namespace {

constexpr int kMaxSide = 256;

// Takes bytes from the front of the input; zeros once it runs out.
struct Reader {
  const uint8_t* data;
  size_t size;
  template <typename T>
  T Take() {
    T value{};
    const size_t n = size < sizeof value ? size : sizeof value;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
  }
};

std::vector<uint8_t> Encode(core::JpegEncoder* encoder, const void* frame, ptrdiff_t stride) {
  char* bytes = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&bytes, &size);
  Check(file != nullptr, "no memory stream");
  const bool written = core::EncodeFrame(encoder, file, frame, stride);
  std::fclose(file);
  std::vector<uint8_t> out(bytes, bytes + size);
  std::free(bytes);
  Check(written, "EncodeFrame failed");
  return out;
}

// Decodes the file completely; its size and number of components, or false.
bool Decode(const std::vector<uint8_t>& file, int* width, int* height, int* components) {
  static jpeg_decompress_struct d;  // static: nothing the longjmp skips
  static core::FatalErrorMgr err;
  static JSAMPLE* row;
  d.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = core::JumpToLanding;
  row = nullptr;
  if (setjmp(err.landing) != 0) {
    std::free(row);
    jpeg_destroy_decompress(&d);
    return false;
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&d, TRUE);
  jpeg_start_decompress(&d);
  row = static_cast<JSAMPLE*>(std::malloc(d.output_width * d.output_components));
  while (d.output_scanline < d.output_height) jpeg_read_scanlines(&d, &row, 1);
  jpeg_finish_decompress(&d);
  *width = static_cast<int>(d.image_width);
  *height = static_cast<int>(d.image_height);
  *components = d.num_components;
  std::free(row);
  jpeg_destroy_decompress(&d);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  core::EncoderSettings s;
  s.quality = in.Take<int32_t>();
  s.optimize = in.Take<int32_t>();
  s.progression = in.Take<int32_t>();
  s.downsampling = in.Take<int32_t>();
  s.quantize = in.Take<int32_t>();
  s.colormatrix = in.Take<int32_t>();
  s.progression_mine = in.Take<int32_t>();
  const int width = in.Take<uint8_t>() % kMaxSide + 1;
  const int height = in.Take<uint8_t>() % kMaxSide + 1;
  const bool padded = in.Take<uint8_t>() & 1;
  const ptrdiff_t stride = static_cast<ptrdiff_t>(
      host::YcRowStride(width, padded ? host::YcRowLayout::kPadded : host::YcRowLayout::kPacked));

  // The samples: what is left of the input, repeated over the frame.
  std::vector<uint8_t> frame(static_cast<size_t>(stride) * height);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = in.size ? in.data[i % in.size] : 0;

  core::libraryUsable = 1;  // every input starts with a fresh module
  core::JpegEncoder encoder;
  Check(core::CreateEncoder(&encoder, s, width, height) == core::CreateResult::kReady,
        "CreateEncoder failed");
  const std::vector<uint8_t> file = Encode(&encoder, frame.data(), stride);
  const std::vector<uint8_t> again = Encode(&encoder, frame.data(), stride);
  core::DestroyEncoder(&encoder);
  Check(core::libraryUsable == 1, "the library failed");
  Check(file == again, "one encoder wrote two different files for one frame");

  int w = 0, h = 0, components = 0;
  Check(Decode(file, &w, &h, &components), "the file does not decode");
  Check(w == width && h == height, "the file has the wrong size");
  Check(components == (s.downsampling == core::kGraySamplingPreset ? 1 : 3),
        "the file has the wrong components");
  return 0;
}
