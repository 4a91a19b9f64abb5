#include "tests/picreader/reader_files.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "picreader/yc48_from_jpeg.h"
#include "tests/support/frames.h"

namespace picreadertest {

TempFile::TempFile(const std::string& stem) : path(testsupport::TempPath(stem)) {}
TempFile::~TempFile() { std::remove(path.c_str()); }

std::string TestImage(const std::string& name) { return PICREADER_TEST_IMAGES "/" + name; }
std::string MadeFile(const std::string& name) { return PICREADER_MADE_FILES "/" + name; }

Decoded PatchSamples(int width, int height, int components) {
  static const uint8_t kValues[] = {0, 1, 16, 127, 128, 235, 240, 255, 64, 200, 99};
  constexpr int kCount = sizeof kValues;
  Decoded d;
  d.width = width;
  d.height = height;
  d.components = components;
  d.samples.resize(static_cast<size_t>(width) * height * components);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < components; ++c)
        d.samples[(static_cast<size_t>(y) * width + x) * components + c] =
            kValues[(3 * (x / 8) + 5 * (y / 8) + 4 * c) % kCount];
  return d;
}

std::vector<uint8_t> WriteJpeg(const std::string& path, const Decoded& s, J_COLOR_SPACE input,
                               J_COLOR_SPACE stored) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot write " << path;
    return {};
  }
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);  // a failure here ends the test program, with a message
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, file);
  c.image_width = static_cast<JDIMENSION>(s.width);
  c.image_height = static_cast<JDIMENSION>(s.height);
  c.input_components = s.components;
  c.in_color_space = input;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, stored);
  for (int i = 0; i < c.num_components; ++i) {
    c.comp_info[i].h_samp_factor = 1;
    c.comp_info[i].v_samp_factor = 1;
  }
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  for (int y = 0; y < s.height; ++y) {
    JSAMPROW row = const_cast<JSAMPROW>(s.samples.data() + static_cast<size_t>(y) * s.width * s.components);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(file);
  return testsupport::ReadFileBytes(path);
}

std::vector<uint8_t> WritePatchJpeg(const std::string& path, const Decoded& samples) {
  const J_COLOR_SPACE space = samples.components == 1 ? JCS_GRAYSCALE : JCS_YCbCr;
  return WriteJpeg(path, samples, space, space);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> b, int width, int height) {
  for (size_t i = 2; i + 8 < b.size(); ++i) {
    if (b[i] == 0xFF && b[i + 1] == 0xC0) {  // SOF0: length, precision, height, width
      b[i + 5] = static_cast<uint8_t>(height >> 8);
      b[i + 6] = static_cast<uint8_t>(height);
      b[i + 7] = static_cast<uint8_t>(width >> 8);
      b[i + 8] = static_cast<uint8_t>(width);
      return b;
    }
  }
  ADD_FAILURE() << "no baseline frame header";
  return b;
}

int Stride(int width) {
  return static_cast<int>(host::YcRowStride(width, host::YcRowLayout::kPadded));
}

std::vector<uint8_t> Garbage(size_t bytes, uint32_t seed) {
  testsupport::Lcg rng{seed};
  std::vector<uint8_t> v(bytes);
  for (auto& b : v) b = static_cast<uint8_t>(rng.Next() >> 24);
  return v;
}

std::vector<uint8_t> ExpectedFrame(const Decoded& s, std::vector<uint8_t> before) {
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      const uint8_t* v = s.samples.data() + (static_cast<size_t>(y) * s.width + x) * s.components;
      const host::PixelYC p =
          s.components == 1
              ? host::PixelYC{picreader::LumaFromSample(v[0]), 0, 0}
              : host::PixelYC{picreader::LumaFromSample(v[0]), picreader::ChromaFromSample(v[1]),
                              picreader::ChromaFromSample(v[2])};
      const int16_t values[3] = {p.y, p.cb, p.cr};
      uint8_t* out = before.data() + static_cast<size_t>(y) * Stride(s.width) + 6 * x;
      for (int k = 0; k < 3; ++k) {  // little-endian, as on every machine the editor runs on
        out[2 * k] = static_cast<uint8_t>(values[k]);
        out[2 * k + 1] = static_cast<uint8_t>(static_cast<uint16_t>(values[k]) >> 8);
      }
    }
  }
  return before;
}

std::vector<std::string> RealWorldFiles() {
  return {TestImage("testorig.jpg"),         // baseline 4:2:0
          TestImage("testimgint.jpg"),       // baseline 4:2:0, another DCT
          TestImage("testimgari.jpg"),       // arithmetic-coded
          MadeFile("sample1x1.jpg"),         MadeFile("sample2x1.jpg"),
          MadeFile("sample2x2.jpg"),         MadeFile("sample1x2.jpg"),
          MadeFile("sample4x1.jpg"),         MadeFile("sample_mixed.jpg"),
          MadeFile("sample4x2_optimized.jpg"), MadeFile("restart_rows.jpg"),
          MadeFile("restart_blocks.jpg"),    MadeFile("progressive.jpg"),
          MadeFile("progressive_arithmetic.jpg"), MadeFile("scan_script.jpg"),
          MadeFile("gray.jpg"),              MadeFile("gray_progressive.jpg"),
          MadeFile("odd_width_q100.jpg")};
}

}  // namespace picreadertest
