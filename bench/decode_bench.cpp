// Decoding speed of the JPEG reader against libjpeg alone and against the floor.
//
// For each frame size and kind of file, one JPEG file is made from a smooth gradient with noise
// (4:2:0, quality 75: progressive with optimised Huffman tables as the still-frame filter writes
// by default, and baseline) and then decoded in rounds of (a) the reader, OpenJpeg +
// ReadJpegFrame + CloseJpeg into a YC48 frame that starts out of the caches, as a host buffer
// not touched for a while, (b) libjpeg alone to YCbCr rows in one reused row buffer, the same
// work without the conversion, and (c) one write of the YC48 frame at memory speed. The
// medians, their spread, the ratio a/b, the floor (b + c) / b and the ratio a / (b + c) are
// printed (bench_timing.h), and the conversion alone (vector and scalar) over the decoded rows.
// Nothing here asserts a time. With "where" after the number of rounds, controlled variants
// follow that show where the reader's time over libjpeg goes (Where below).
//   decode_bench [ROUNDS] [where]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "core/jpeg_lib.h"
#include "picreader/jpeg_reader.h"
#include "picreader/yc48_from_jpeg.h"

namespace {

using bench::Clock;
using bench::MsSince;
using bench::Stats;
using bench::Summarise;
using bench::Format;

// Writes a width x height YCbCr file with libjpeg.
void MakeFile(const char* path, int width, int height, bool progressive) {
  FILE* out = std::fopen(path, "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", path);
    std::exit(1);
  }
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  c.image_width = width;
  c.image_height = height;
  c.input_components = 3;
  c.in_color_space = JCS_YCbCr;
  jpeg_set_defaults(&c);
  c.comp_info[0].h_samp_factor = 2;
  c.comp_info[0].v_samp_factor = 2;
  jpeg_set_quality(&c, 75, TRUE);
  if (progressive) {
    jpeg_simple_progression(&c);
    c.optimize_coding = TRUE;
  }
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>(seed >> 28) - 8;
      row[3 * x] = static_cast<uint8_t>(std::clamp(x * 255 / width + noise, 0, 255));
      row[3 * x + 1] = static_cast<uint8_t>(std::clamp(y * 255 / height + noise, 0, 255));
      row[3 * x + 2] = static_cast<uint8_t>(std::clamp((x + y) * 255 / (width + height) - noise, 0, 255));
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(out);
}

double ReadWithReader(const char* path, std::vector<uint8_t>& frame) {
  const auto t0 = Clock::now();
  picreader::JpegReaderHandle* h = picreader::OpenJpeg(path);
  const int bytes = h ? picreader::ReadJpegFrame(h, 0, frame.data()) : 0;
  picreader::CloseJpeg(h);
  const double ms = MsSince(t0);
  if (bytes != static_cast<int>(frame.size())) {
    std::fprintf(stderr, "the reader failed on %s\n", path);
    std::exit(1);
  }
  return ms;
}

// libjpeg alone; with `rows`, every decoded row is also kept there (for the conversion timing);
// with `convertInto`, every decoded row is converted into that YC48 frame right away: the
// reader's loop without its page hints.
double ReadWithLibjpeg(const char* path, std::vector<uint8_t>* rows = nullptr,
                       std::vector<uint8_t>* convertInto = nullptr) {
  FILE* in = std::fopen(path, "rb");
  const auto t0 = Clock::now();
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, in);
  jpeg_read_header(&d, TRUE);
  d.out_color_space = JCS_YCbCr;
  jpeg_start_decompress(&d);
  std::vector<uint8_t> row(static_cast<size_t>(d.output_width) * 3);
  if (rows != nullptr) rows->resize(row.size() * d.output_height);
  const size_t stride = static_cast<size_t>(picreader::FrameStride(d.output_width));
  while (d.output_scanline < d.output_height) {
    const JDIMENSION y = d.output_scanline;
    JSAMPROW p = rows ? rows->data() + row.size() * y : row.data();
    jpeg_read_scanlines(&d, &p, 1);
    if (convertInto != nullptr)
      picreader::YCbCrRowToYc48(p, static_cast<int>(d.output_width),
                                reinterpret_cast<host::PixelYC*>(convertInto->data() + y * stride));
  }
  if (convertInto != nullptr) picreader::FenceRowStores();
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  const double ms = MsSince(t0);
  std::fclose(in);
  return ms;
}

using RowFn = void (*)(const uint8_t*, int, host::PixelYC*);

double ConvertAll(RowFn fn, const std::vector<uint8_t>& rows, int width, int height,
                  std::vector<uint8_t>& frame) {
  const size_t stride = static_cast<size_t>(picreader::FrameStride(width));
  const auto t0 = Clock::now();
  for (int y = 0; y < height; ++y)
    fn(rows.data() + static_cast<size_t>(y) * width * 3, width,
       reinterpret_cast<host::PixelYC*>(frame.data() + y * stride));
  picreader::FenceRowStores();
  return MsSince(t0);
}

// Where the reader's time over libjpeg alone goes, at each frame size with the baseline file
// (libjpeg's fastest): controlled variants, each paired with a run of libjpeg alone just before.
void Where(int runs) {
  std::printf("\nwhere the time goes, baseline file; time over libjpeg alone in the same round, "
              "median [middle half]\n");
  const int sizes[][2] = {{1920, 1080}, {3840, 2160}};
  for (const auto& size : sizes) {
    const int width = size[0], height = size[1];
    std::vector<uint8_t> frame(static_cast<size_t>(picreader::FrameStride(width)) * height);
    const char* file = "bench_decode.jpg";
    MakeFile(file, width, height, false);
    auto cold = [&] { bench::EvictFromCaches(frame.data(), frame.size()); };
    const std::vector<bench::Variant> variants = {
        {"the reader, destination out of the caches", [&] {
           cold();
           return ReadWithReader(file, frame);
         }},
        {"rows converted as decoded, without page hints", [&] {
           cold();
           return ReadWithLibjpeg(file, nullptr, &frame);
         }},
        {"one write of the frame at memory speed", [&] {
           return bench::ColdWriteMs(frame.data(), frame.size());
         }},
    };
    char label[16];
    std::snprintf(label, sizeof label, "%dx%d", width, height);
    bench::RunPaired(label, variants, [&] { return ReadWithLibjpeg(file); }, runs);
    std::remove(file);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
#if defined(PICREADER_HAVE_AVX_PATH)
  const char* conversion = picreader::detail::CpuHasAvx() ? "SSE2 loops, AVX encoding" : "SSE2";
#else
  const char* conversion = "SSE2";
#endif
  const double goal = 1.02;  // of the floor
  std::printf("JPEG decoding benchmark: %d rounds, median [middle half] in ms; conversion: %s\n",
              runs, conversion);
  std::printf("%-10s %-12s %20s %20s %s\n", "frame", "file", "reader to YC48", "libjpeg to YCbCr",
              bench::FloorColumnsHeader());
  const int sizes[][2] = {{1920, 1080}, {3840, 2160}};
  for (const auto& size : sizes) {
    const int width = size[0], height = size[1];
    std::vector<uint8_t> frame(static_cast<size_t>(picreader::FrameStride(width)) * height);
    for (bool progressive : {true, false}) {
      const char* file = "bench_decode.jpg";
      MakeFile(file, width, height, progressive);
      ReadWithReader(file, frame);  // warm up
      ReadWithLibjpeg(file);
      bench::FloorRounds r;
      for (int k = 0; k < runs; ++k) {
        bench::EvictFromCaches(frame.data(), frame.size());
        r.subject.push_back(ReadWithReader(file, frame));
        r.library.push_back(ReadWithLibjpeg(file));
        r.memory.push_back(bench::ColdWriteMs(frame.data(), frame.size()));
      }
      std::printf("%4dx%-5d %-12s %20s %20s %s\n", width, height,
                  progressive ? "progressive" : "baseline", Format(Summarise(r.subject)).c_str(),
                  Format(Summarise(r.library)).c_str(), bench::FloorColumns(r, goal).c_str());

      // The conversion alone over the decoded rows of the file.
      std::vector<uint8_t> rows;
      ReadWithLibjpeg(file, &rows);
      std::vector<double> vector, scalar;
      for (int r = 0; r < runs * 3; ++r) {
        vector.push_back(ConvertAll(picreader::YCbCrRowToYc48, rows, width, height, frame));
        scalar.push_back(
            ConvertAll(picreader::detail::YCbCrRowToYc48Scalar, rows, width, height, frame));
      }
      std::printf("%22s conversion alone: %s (scalar %s)\n", "", Format(Summarise(vector)).c_str(),
                  Format(Summarise(scalar)).c_str());
      std::remove(file);
    }
  }
  if (argc > 2 && std::string(argv[2]) == "where") Where(runs);
  return 0;
}
