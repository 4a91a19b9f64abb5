#include "seqwriter/output_config.h"

#include <cstring>

#include "core/encoder.h"

namespace seqwriter {

OutputConfig outputConfig = {
    "_%04d",                                     // namePattern
    core::kDefaultEncoderSettings.quality,       // quality
    core::kDefaultEncoderSettings.optimize,      // optimize
    core::kDefaultEncoderSettings.progression,   // progression
    core::kDefaultEncoderSettings.downsampling,  // downsampling
    core::kDefaultEncoderSettings.quantize,      // quantize
    0,                                           // spare
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
