// The CPU matrix: one fixed set of JPEG files, and the YC48 frame each decodes to, written with
// fixed names so that runs on processors with different vector extensions (and the native build
// against the 32-bit one) can be compared byte for byte. The cases reach every conversion and
// compression path: each sampling preset, baseline and progressive, optimised Huffman tables on
// and off, each quantization table set, both colour conversion modes in colour and gray, the
// custom scan script.
//   cpu_matrix OUT_DIR
// Output in OUT_DIR, for each export case (3 frames) and each still case:
//   seq-<case>_NNNN.jpg, seq-<case>_NNNN.yc48      the numbered output's files
//   still-<case>.jpg, still-<case>.yc48            the still filter's file, renamed
// where a .yc48 file holds the frame the reader returns: rows padded to a multiple of 4 bytes,
// the padding as the buffer was before the read. Exits 1 at the first step that fails.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/cpu_matrix/matrix_backend.h"

namespace cpumatrix {
namespace {

// Small and odd: the vector loops end in a scalar tail, rows need padding, and the MCUs of
// every sampling preset are cut at the right and bottom edges. Fast on an emulated processor.
constexpr int kWidth = 97, kHeight = 61, kFrames = 3;
constexpr int kStillFrame = 1;  // the clip frame the still cases save
// What the read buffer holds before a read: a read that writes past a row's pixels shows.
constexpr uint8_t kBufferFill = 0x5A;

// quality, optimize, progression, downsampling, quantize, colormatrix, progression_mine
// The numbered output has no colour matrix and no custom script: both stay 0. Quantize 3 is
// no built-in set: the library's standard tables.
const core::EncoderSettings kExports[] = {
    {90, 1, 1, 0, 0, 0, 0},   // 4:4:4
    {75, 0, 0, 1, 1, 0, 0},   // 4:2:2
    {50, 0, 1, 2, 2, 0, 0},   // 4:2:0
    {100, 1, 0, 3, 0, 0, 0},  // gray
    {30, 1, 1, 4, 1, 0, 0},   // 4:4:0
    {85, 0, 0, 5, 2, 0, 0},   // 4:1:0 wide
    {60, 1, 1, 6, 3, 0, 0},   // 4:1:0 tall
    {10, 0, 1, 3, 2, 0, 0},   // gray, progressive
};

const core::EncoderSettings kStills[] = {
    {75, 1, 1, 2, 0, 0, 0},  // colour, plain rescale, the library's script
    {92, 0, 0, 0, 1, 1, 0},  // colour, BT.709 to BT.601, baseline
    {75, 1, 0, 3, 2, 0, 0},  // gray, plain rescale, baseline
    {75, 1, 1, 3, 0, 1, 0},  // gray, BT.709 to BT.601, the library's script
    {80, 1, 1, 1, 0, 1, 1},  // colour, BT.709 to BT.601, the custom script
    {80, 0, 1, 5, 1, 0, 1},  // colour, plain rescale, the custom script
    {60, 1, 1, 3, 1, 0, 1},  // gray, plain rescale, the custom script
    {60, 1, 1, 3, 2, 1, 1},  // gray, BT.709 to BT.601, the custom script
};

std::string CaseName(const char* kind, const core::EncoderSettings& s, bool still) {
  const char* scan = s.progression == 0 ? "base" : (still && s.progression_mine != 0 ? "custom" : "prog");
  char name[96];
  std::snprintf(name, sizeof name, "%s-d%d-%s-opt%d-t%d-q%d", kind, static_cast<int>(s.downsampling),
                scan, static_cast<int>(s.optimize), static_cast<int>(s.quantize),
                static_cast<int>(s.quality));
  std::string n = name;
  if (still) n += "-m" + std::to_string(s.colormatrix);
  return n;
}

int PaddedStride() {
  return static_cast<int>(host::YcRowStride(kWidth, host::YcRowLayout::kPadded));
}

std::string WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return "cannot create " + path;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok ? std::string() : "cannot write " + path;
}

// Reads a .jpg file back and writes the frame beside it as .yc48.
std::string Decode(const std::string& jpeg) {
  demo::Yc48Frame decoded(kWidth, kHeight, PaddedStride());
  decoded.bytes.assign(decoded.bytes.size(), kBufferFill);
  std::string failure = ReadBack(jpeg, &decoded);
  if (failure.empty()) {
    failure = WriteBytes(jpeg.substr(0, jpeg.size() - std::strlen(".jpg")) + ".yc48", decoded.bytes);
  }
  return failure;
}

void PrintProcessor() {
#if defined(__i386__) || defined(__x86_64__)
  __builtin_cpu_init();
  auto has = [](bool b) { return b ? "yes" : "no"; };
  std::printf("processor: sse2 %s, ssse3 %s, sse4.1 %s, avx %s, avx2 %s\n",
              has(__builtin_cpu_supports("sse2")), has(__builtin_cpu_supports("ssse3")),
              has(__builtin_cpu_supports("sse4.1")), has(__builtin_cpu_supports("avx")),
              has(__builtin_cpu_supports("avx2")));
#endif
}

int Fail(const std::string& what) {
  std::printf("cpu_matrix: FAILED: %s\n", what.c_str());
  return 1;
}

int Run(const std::string& out) {
  const auto start = std::chrono::steady_clock::now();
  std::printf("cpu_matrix (%s): %d frames of %dx%d into %s\n", kBackendName, kFrames, kWidth,
              kHeight, out.c_str());
  PrintProcessor();
  std::string failure = MakeFolder(out);
  if (!failure.empty()) return Fail(failure);

  std::vector<demo::Yc48Frame> clip;
  for (int i = 0; i < kFrames; ++i) {
    clip.emplace_back(kWidth, kHeight, PaddedStride());
    demo::DrawClipFrame(i, &clip.back());
  }
  int files = 0;
  for (const core::EncoderSettings& s : kExports) {
    const std::string stem = CaseName("seq", s, false);
    failure = Export(s, clip, out, stem);
    for (int i = 0; i < kFrames && failure.empty(); ++i) failure = Decode(FramePath(out, stem, i));
    if (!failure.empty()) return Fail(stem + ": " + failure);
    files += 2 * kFrames;
    std::printf("  %s: %d frames\n", stem.c_str(), kFrames);
  }

  demo::Yc48Frame shown(kWidth, kHeight,
                        static_cast<int>(host::YcRowStride(kWidth, host::YcRowLayout::kPacked)));
  demo::DrawClipFrame(kStillFrame, &shown);
  for (const core::EncoderSettings& s : kStills) {
    const std::string stem = CaseName("still", s, true);
    const std::string path = out + kPathSeparator + stem + ".jpg";
    failure = SaveStill(s, shown, path);
    if (failure.empty()) failure = Decode(path);
    if (!failure.empty()) return Fail(stem + ": " + failure);
    files += 2;
    std::printf("  %s\n", stem.c_str());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("cpu_matrix: %d files written in %.2f s\n", files, seconds);
  return 0;
}

}  // namespace

std::string FramePath(const std::string& folder, const std::string& stem, int index) {
  char number[16];
  std::snprintf(number, sizeof number, "_%04d.jpg", index);
  return folder + kPathSeparator + stem + number;
}

}  // namespace cpumatrix

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cpu_matrix OUT_DIR\n");
    return 2;
  }
  return cpumatrix::Run(argv[1]);
}
