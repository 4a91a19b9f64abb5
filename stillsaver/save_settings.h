// The filter's settings: one module-wide record, kept in the editor's settings store under nine
// keys between filter sessions.
#pragma once

#include <cstdint>

#include "core/encoder.h"
#include "host/host_contract.h"

namespace stillsaver {

constexpr int kFolderSize = 260;

struct SaveSettings {
  char path[kFolderSize];    // save folder, a plain prefix of the file name; ends with '\'
  int32_t quality;           // 0..100, default 75
  int32_t optimize;          // optimized Huffman tables, default 1
  int32_t progression;       // progressive file, default 1
  int32_t downsampling;      // sampling preset 0..6 (3 = grayscale), default 2
  int32_t quantize;          // table set 0..2, default 0
  int32_t beep;              // beep after a successful save, default 1
  int32_t colormatrix;       // 1 = BT.709 to BT.601, default 0
  int32_t progression_mine;  // the custom progressive script, default 0
};

// The integer keys in the store's order, and the field each one holds. "qualty" is the key's
// spelling.
struct IntKey {
  const char* key;
  int32_t SaveSettings::*field;
};
inline constexpr IntKey kIntKeys[] = {
    {"qualty", &SaveSettings::quality},
    {"optimize", &SaveSettings::optimize},
    {"progression", &SaveSettings::progression},
    {"downsampling", &SaveSettings::downsampling},
    {"quantize", &SaveSettings::quantize},
    {"beep", &SaveSettings::beep},
    {"colormatrix", &SaveSettings::colormatrix},
    {"progression_mine", &SaveSettings::progression_mine},
};

// The settings in effect: read by every save at the moment of the click.
extern SaveSettings saveSettings;

// The encoder's share of the settings.
core::EncoderSettings EncoderSettingsOf(const SaveSettings& s);

// Loads every field from the store (a missing key keeps the field as it is); an empty folder
// becomes the current directory with a trailing backslash.
void LoadFilterSettings(host::FilterTable* filter);

// Stores the nine keys: "path", then the eight integers in their fixed order.
void StoreFilterSettings(host::FilterTable* filter);

}  // namespace stillsaver
