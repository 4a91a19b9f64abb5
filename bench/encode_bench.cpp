// Encoding speed of the core against libjpeg alone and against the floor.
//
// For each frame size and setting, the same YC48 frame (a smooth gradient with noise) is written
// (a) through CreateEncoder/EncodeFrame, converting each row on the way, and (b) pre-converted
// to 8-bit rows and handed straight to libjpeg with the same settings; (c) the frame is read
// once at memory speed. Each run starts with its input out of the caches, as an export finds a
// frame. Rounds of (a), (b), (c) follow one another; the medians, their spread, the ratio a/b,
// the floor (b + c) / b and the ratio a / (b + c) are printed (bench_timing.h), with the
// conversion alone timed separately. Output goes to the null device. Nothing here asserts a time.
// With "where" after the number of rounds, controlled variants follow that show where the
// core's time over libjpeg goes (Where below).
//   encode_bench [ROUNDS] [where]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "core/convert.h"
#include "core/encoder.h"
#include "core/jpeg_lib.h"
#include "tests/support/file_bytes.h"

namespace {

using bench::Clock;
using bench::MsSince;
using bench::Stats;
using bench::Summarise;
using bench::Format;

#if defined(_WIN32)
const char* const kNullDevice = "NUL";
#else
const char* const kNullDevice = "/dev/null";
#endif

struct YcFrame {
  int width, height;
  ptrdiff_t stride;
  std::vector<uint8_t> bytes;
};

YcFrame MakeFrame(int width, int height) {
  YcFrame f{width, height,
            static_cast<ptrdiff_t>(host::YcRowStride(width, host::YcRowLayout::kPadded)), {}};
  f.bytes.resize(f.stride * height);
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    auto* p = reinterpret_cast<host::PixelYC*>(f.bytes.data() + y * f.stride);
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>(seed >> 27) - 16;
      p[x].y = static_cast<int16_t>(x * 4096 / width + noise);
      p[x].cb = static_cast<int16_t>(y * 4096 / height - 2048 + noise);
      p[x].cr = static_cast<int16_t>((x + y) * 2048 / (width + height) - 1024 - noise);
    }
  }
  return f;
}

const host::PixelYC* RowOf(const YcFrame& f, int y) {
  return reinterpret_cast<const host::PixelYC*>(f.bytes.data() + y * f.stride);
}

struct Setting {
  const char* name;
  core::EncoderSettings s;
};

// libjpeg alone, with the settings the core derives from `s` (standard tables, 2 x 2 luma
// sampling, the library's progressive script), fed ready 8-bit rows; or, with `convertFrom`,
// fed each row of that frame converted by ConvertYcRow right before it is written: the core's
// loop without its fetch hints.
double EncodeReference(const core::EncoderSettings& s, const std::vector<uint8_t>& rows, int width,
                       int height, const char* path = kNullDevice,
                       const YcFrame* convertFrom = nullptr) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  FILE* out = std::fopen(path, "wb");
  std::vector<uint8_t> converted(static_cast<size_t>(width) * 3);
  const auto t0 = Clock::now();
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  c.input_components = 3;
  c.in_color_space = JCS_YCbCr;
  jpeg_set_defaults(&c);
  c.image_width = width;
  c.image_height = height;
  c.comp_info[0].h_samp_factor = 2;
  c.comp_info[0].v_samp_factor = 2;
  jpeg_set_quality(&c, s.quality, TRUE);
  if (s.progression) jpeg_simple_progression(&c);
  if (s.optimize) c.optimize_coding = TRUE;
  jpeg_stdio_dest(&c, out);
  jpeg_start_compress(&c, TRUE);
  for (int y = 0; y < height; ++y) {
    JSAMPROW row = const_cast<JSAMPROW>(rows.data() + static_cast<size_t>(y) * width * 3);
    if (convertFrom != nullptr) {
      row = converted.data();
      core::ConvertYcRow(RowOf(*convertFrom, y), width, false, s.colormatrix, row);
    }
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  const double ms = MsSince(t0);
  std::fclose(out);
  return ms;
}

double EncodeCore(const core::EncoderSettings& s, const YcFrame& f, const char* path = kNullDevice) {
  auto e = std::make_unique<core::JpegEncoder>();
  FILE* out = std::fopen(path, "wb");
  const auto t0 = Clock::now();
  if (core::CreateEncoder(e.get(), s, f.width, f.height) != core::CreateResult::kReady) {
    std::fprintf(stderr, "CreateEncoder failed\n");
    std::exit(1);
  }
  const bool ok = core::EncodeFrame(e.get(), out, f.bytes.data(), f.stride);
  core::DestroyEncoder(e.get());
  const double ms = MsSince(t0);
  std::fclose(out);
  if (!ok) {
    std::fprintf(stderr, "EncodeFrame failed\n");
    std::exit(1);
  }
  return ms;
}

double ConvertAll(const YcFrame& f, int colormatrix, bool scalar, std::vector<uint8_t>& out) {
  const auto t0 = Clock::now();
  for (int y = 0; y < f.height; ++y) {
    const host::PixelYC* src = RowOf(f, y);
    uint8_t* dst = out.data() + static_cast<size_t>(y) * f.width * 3;
    if (scalar) {
      core::ConvertYcRowScalar(src, f.width, false, colormatrix, dst);
    } else {
      core::ConvertYcRow(src, f.width, false, colormatrix, dst);
    }
  }
  return MsSince(t0);
}

// Where the core's time over libjpeg alone goes, at each frame size with the baseline 4:2:0
// setting (libjpeg's fastest, so the least room to hide anything): controlled variants, each
// paired with a run of libjpeg alone just before it.
void Where(int runs) {
  core::EncoderSettings s = core::kDefaultEncoderSettings;
  s.progression = 0;
  s.optimize = 0;
  std::printf("\nwhere the time goes, baseline 4:2:0; time over libjpeg alone in the same round, "
              "median [middle half]\n");
  const int sizes[][2] = {{1920, 1080}, {3840, 2160}};
  for (const auto& size : sizes) {
    const YcFrame frame = MakeFrame(size[0], size[1]);
    std::vector<uint8_t> rows(static_cast<size_t>(size[0]) * size[1] * 3);
    ConvertAll(frame, s.colormatrix, false, rows);
    auto library = [&] {
      bench::EvictFromCaches(rows.data(), rows.size());
      return EncodeReference(s, rows, size[0], size[1]);
    };
    auto cold = [&] { bench::EvictFromCaches(frame.bytes.data(), frame.bytes.size()); };
    const std::vector<bench::Variant> variants = {
        {"the core, source out of the caches (as exported)", [&] {
           cold();
           return EncodeCore(s, frame);
         }},
        {"the core, source already in the caches", [&] {
           bench::ColdReadMs(frame.bytes.data(), frame.bytes.size());
           return EncodeCore(s, frame);
         }},
        {"rows converted as written, without fetch hints", [&] {
           cold();
           return EncodeReference(s, rows, size[0], size[1], kNullDevice, &frame);
         }},
        {"the whole frame converted first, then libjpeg", [&] {
           cold();
           const double convert = ConvertAll(frame, s.colormatrix, false, rows);
           return convert + EncodeReference(s, rows, size[0], size[1]);
         }},
        {"the conversion alone, row by row", [&] {
           cold();
           std::vector<uint8_t> row(static_cast<size_t>(size[0]) * 3);
           const auto t0 = Clock::now();
           for (int y = 0; y < frame.height; ++y)
             core::ConvertYcRow(RowOf(frame, y), frame.width, false, s.colormatrix, row.data());
           return MsSince(t0);
         }},
        {"one read of the frame at memory speed", [&] {
           return bench::ColdReadMs(frame.bytes.data(), frame.bytes.size());
         }},
    };
    char label[16];
    std::snprintf(label, sizeof label, "%dx%d", size[0], size[1]);
    bench::RunPaired(label, variants, library, runs);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  core::EncoderSettings def = core::kDefaultEncoderSettings;
  core::EncoderSettings matrix = def;
  matrix.colormatrix = 1;
  core::EncoderSettings baseline = def;
  baseline.progression = 0;
  baseline.optimize = 0;
  const Setting settings[] = {{"default", def}, {"mode 1", matrix}, {"baseline 4:2:0", baseline}};
  const double goal = 1.02;  // of the floor

  std::printf("YC48 encoding benchmark: %d rounds, median [middle half] in ms; vector conversion: "
              "%s\n",
              runs, core::ConvertYcRowIsVectorised() ? "yes" : "no");
  std::printf("%-10s %-15s %20s %20s %s\n", "frame", "settings", "core ms", "libjpeg ms",
              bench::FloorColumnsHeader());
  const int sizes[][2] = {{1920, 1080}, {3840, 2160}};
  for (const auto& size : sizes) {
    const YcFrame frame = MakeFrame(size[0], size[1]);
    std::vector<uint8_t> rows(static_cast<size_t>(size[0]) * size[1] * 3);
    for (const Setting& st : settings) {
      ConvertAll(frame, st.s.colormatrix, true, rows);  // libjpeg gets the same samples
      // Warm up, and make sure both sides write the same file.
      EncodeCore(st.s, frame, "bench_core.jpg");
      EncodeReference(st.s, rows, size[0], size[1], "bench_ref.jpg");
      const bool same = testsupport::ReadFileBytes("bench_core.jpg") == testsupport::ReadFileBytes("bench_ref.jpg");
      std::remove("bench_core.jpg");
      std::remove("bench_ref.jpg");
      bench::FloorRounds r;
      for (int k = 0; k < runs; ++k) {
        bench::EvictFromCaches(frame.bytes.data(), frame.bytes.size());
        r.subject.push_back(EncodeCore(st.s, frame));
        bench::EvictFromCaches(rows.data(), rows.size());
        r.library.push_back(EncodeReference(st.s, rows, size[0], size[1]));
        r.memory.push_back(bench::ColdReadMs(frame.bytes.data(), frame.bytes.size()));
      }
      std::printf("%4dx%-5d %-15s %20s %20s %s%s\n", size[0], size[1], st.name,
                  Format(Summarise(r.subject)).c_str(), Format(Summarise(r.library)).c_str(),
                  bench::FloorColumns(r, goal).c_str(), same ? "" : "  (files differ!)");
    }
  }

  // The conversion alone over one 1080p frame.
  const YcFrame frame = MakeFrame(1920, 1080);
  std::vector<uint8_t> out(1920 * 1080 * 3);
  for (int cm : {0, 1}) {
    std::vector<double> vec, sca;
    for (int r = 0; r < runs * 3; ++r) {
      vec.push_back(ConvertAll(frame, cm, false, out));
      sca.push_back(ConvertAll(frame, cm, true, out));
    }
    const Stats v = Summarise(vec), s = Summarise(sca);
    std::printf("conversion alone, 1920x1080 mode %d: %.3f ms [%.3f..%.3f] (scalar %.3f ms, "
                "%.1fx); goal <= 1.0 ms for mode 0\n",
                cm, v.median, v.lo, v.hi, s.median, s.median / v.median);
  }
  if (argc > 2 && std::string(argv[2]) == "where") Where(runs);
  return 0;
}
