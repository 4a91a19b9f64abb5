// The values of the encoder settings: their ranges, defaults and fallbacks, in one place for the
// encoder that applies them and for the two settings dialogs that show and store them. Plain
// constants, no libjpeg and no Windows headers.
#pragma once

namespace core {

// quality: the dialogs' trackbar range; the default of both plug-ins.
constexpr int kQualityMin = 0;
constexpr int kQualityMax = 100;
constexpr int kDefaultQuality = 75;

// downsampling: presets 0..6; 3 writes a grayscale file. Any other value encodes as the default
// preset (4:2:0), which is also the dialogs' fallback radio.
constexpr int kSamplingPresetCount = 7;
constexpr int kDefaultSamplingPreset = 2;
constexpr int kGraySamplingPreset = 3;

// quantize: built-in table sets 0..2. Any other value gives the library's standard tables scaled
// by quality; the dialogs show it, and store it, as the default set.
constexpr int kQuantTableSetCount = 3;
constexpr int kDefaultQuantTableSet = 0;

// colormatrix: 1 re-matrixes BT.709 to BT.601; any other value only rescales (mode 0).
constexpr int kColorMatrixModeCount = 2;
constexpr int kDefaultColorMatrix = 0;
constexpr int kColorMatrixBt709ToBt601 = 1;

}  // namespace core
