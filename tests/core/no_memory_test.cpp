// The out-of-memory result of CreateEncoder: the compressor is destroyed (LeakSanitizer would
// report its pools otherwise) and the library stays usable.
#include <gtest/gtest.h>

#include <memory>

#include "core/encoder.h"
#include "tests/support/encode.h"

namespace {

void* NoMemory(size_t) { return nullptr; }

TEST(CreateEncoderResults, NoMemoryForTheRowBuffer) {
  auto encoder = std::make_unique<core::JpegEncoder>();
  void* (*const saved)(size_t) = core::rowBufferAllocator;
  core::rowBufferAllocator = NoMemory;
  const core::CreateResult r =
      core::CreateEncoder(encoder.get(), core::kDefaultEncoderSettings, 64, 64);
  core::rowBufferAllocator = saved;
  EXPECT_EQ(r, core::CreateResult::kNoMemory);
  EXPECT_EQ(encoder->row, nullptr);
  EXPECT_EQ(core::libraryUsable, 1);
  // The module goes on encoding.
  EXPECT_FALSE(testsupport::EncodeToBytes(core::kDefaultEncoderSettings,
                                          testsupport::MakeFrame(8, 8, 48, 1))
                   .empty());
}

}  // namespace
