// Runs the encoding core on a frame and returns the written file's bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "core/encoder.h"
#include "tests/support/frames.h"

namespace testsupport {

// Encodes `frame` with a fresh encoder into a temporary file and returns the file's bytes.
// Test failures are reported through GoogleTest; the result is empty when encoding failed.
std::vector<uint8_t> EncodeToBytes(const core::EncoderSettings& settings, const Frame& frame);

}  // namespace testsupport
