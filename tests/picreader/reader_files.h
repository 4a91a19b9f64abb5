// What the reader's tests feed it and expect back: JPEG files of known samples written with
// libjpeg, the files made at build time and shipped with libjpeg-turbo, and the YC48 frame a
// set of decoded samples must give.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/jpeg_lib.h"
#include "tests/support/jpeg_inspect.h"

namespace picreadertest {

using testsupport::Decoded;

// A file name unique to this process, removed (if it exists) when the object goes.
struct TempFile {
  explicit TempFile(const std::string& stem);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string path;
};

// A file of libjpeg-turbo's test images, or one that the build made from them with cjpeg.
std::string TestImage(const std::string& name);
std::string MadeFile(const std::string& name);

// Flat 8 x 8 patches of distinct values per channel, among them the 0, 1, 16, 127, 128, 235,
// 240 and 255 whose YC48 values are known; at quality 100 with 1 x 1 sampling they decode
// exactly. components: 1 (gray), 3 (Y, Cb, Cr) or 4.
Decoded PatchSamples(int width, int height, int components);

// Writes `samples` (in the colour space `input`) as a quality-100 JPEG file in `stored`, every
// component sampled 1 x 1; returns the file's bytes.
std::vector<uint8_t> WriteJpeg(const std::string& path, const Decoded& samples,
                               J_COLOR_SPACE input, J_COLOR_SPACE stored);
// The same, gray or YCbCr by the number of components.
std::vector<uint8_t> WritePatchJpeg(const std::string& path, const Decoded& samples);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// The width and height in a file's frame header replaced (the header still reads; the image
// data no longer fits it).
std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> jpeg, int width, int height);

int Stride(int width);
// Pseudo-random bytes: the host's buffer before a read.
std::vector<uint8_t> Garbage(size_t bytes, uint32_t seed);
// The buffer a read must leave: `before` with the pixels of `samples` (gray or Y,Cb,Cr) written
// by the YC48 formulas, row after row Stride(width) bytes apart.
std::vector<uint8_t> ExpectedFrame(const Decoded& samples, std::vector<uint8_t> before);

// Files from elsewhere that the reader accepts: progressive, arithmetic-coded, restart markers,
// the usual and unusual samplings, gray.
std::vector<std::string> RealWorldFiles();

}  // namespace picreadertest
