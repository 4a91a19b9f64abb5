#include "tests/support/encode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "tests/support/jpeg_inspect.h"

namespace testsupport {

std::vector<uint8_t> EncodeToBytes(const core::EncoderSettings& settings, const Frame& frame) {
  auto encoder = std::make_unique<core::JpegEncoder>();
  if (core::CreateEncoder(encoder.get(), settings, frame.width, frame.height) !=
      core::CreateResult::kReady) {
    ADD_FAILURE() << "CreateEncoder did not report ready";
    return {};
  }
  const std::string path = TempPath("enc");
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot open " << path;
    core::DestroyEncoder(encoder.get());
    return {};
  }
  const bool ok = core::EncodeFrame(encoder.get(), file, frame.first(), frame.stride);
  std::fclose(file);
  core::DestroyEncoder(encoder.get());
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  std::remove(path.c_str());
  if (!ok) {
    ADD_FAILURE() << "EncodeFrame failed";
    return {};
  }
  return bytes;
}

}  // namespace testsupport
