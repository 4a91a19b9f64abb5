// The output plug-in's settings: one module-wide record whose byte image is the 280-byte blob
// that the editor keeps for us.
#pragma once

#include <cstddef>
#include <cstdint>

#include "seqwriter/frame_names.h"

namespace seqwriter {

constexpr int kConfigBlobSize = 280;

struct OutputConfig {
  char namePattern[kNamePatternSize];  // printf-style, one integer: the frame number; "_%04d"
  int32_t quality;                     // 0..100 in the dialog, default 75
  int32_t optimize;                    // optimized Huffman tables, default 1
  int32_t progression;                 // progressive (the library's script), default 1
  int32_t downsampling;                // sampling code 0..6, 3 = grayscale, default 2
  int32_t quantize;                    // table set 0..2, default 0
  int32_t spare;                       // carried through the blob, otherwise unused
};

static_assert(sizeof(OutputConfig) == kConfigBlobSize, "the blob is exactly 280 bytes");
static_assert(offsetof(OutputConfig, quality) == 256);
static_assert(offsetof(OutputConfig, optimize) == 260);
static_assert(offsetof(OutputConfig, progression) == 264);
static_assert(offsetof(OutputConfig, downsampling) == 268);
static_assert(offsetof(OutputConfig, quantize) == 272);
static_assert(offsetof(OutputConfig, spare) == 276);

// The module's settings: defaults at load, then what the dialog's OK or SetConfig put there.
extern OutputConfig outputConfig;

// The name pattern as text: a blob without a NUL in its 256 bytes ends at its last byte.
struct PatternText {
  char text[kNamePatternSize + 1];
};
PatternText NamePatternText(const OutputConfig& config);

// config-get: 280, and the blob copied into `buffer` unless it is null.
int __cdecl GetConfig(void* buffer);
// config-set: takes a blob of exactly 280 bytes as it comes (280); any other size changes
// nothing (0).
int __cdecl SetConfig(const void* data, int size);

}  // namespace seqwriter
