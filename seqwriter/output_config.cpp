#include "seqwriter/output_config.h"

#include <cstring>

#include "core/encoder.h"

namespace seqwriter {

namespace {
constexpr core::EncoderSettings kEncoderDefaults = core::kDefaultEncoderSettings;
}  // namespace

OutputConfig outputConfig = {
    "_%04d",                        // namePattern
    kEncoderDefaults.quality,       // quality
    kEncoderDefaults.optimize,      // optimize
    kEncoderDefaults.progression,   // progression
    kEncoderDefaults.downsampling,  // downsampling
    kEncoderDefaults.quantize,      // quantize
    0,                              // spare
};

PatternText NamePatternText(const OutputConfig& config) {
  PatternText p;
  std::memcpy(p.text, config.namePattern, kNamePatternSize);
  p.text[kNamePatternSize] = '\0';
  return p;
}

int __cdecl GetConfig(void* buffer) {
  if (buffer != nullptr) std::memcpy(buffer, &outputConfig, kConfigBlobSize);
  return kConfigBlobSize;
}

int __cdecl SetConfig(const void* data, int size) {
  if (size != kConfigBlobSize || data == nullptr) return 0;
  std::memcpy(&outputConfig, data, kConfigBlobSize);
  return kConfigBlobSize;
}

}  // namespace seqwriter
