// The built-in base quantization tables.
#pragma once

#include "core/encoder_values.h"

namespace core {

// A luma and a chroma table, 64 entries each in natural (row-major) order: row = vertical
// frequency, column = horizontal frequency, as jpeg_add_quant_table takes them.
struct QuantTableSet {
  unsigned int luma[64];
  unsigned int chroma[64];
};

// Set 0 "standard", set 1 "photo-editor style", set 2 "zigzag"; indices outside 0..2 have no set.
extern const QuantTableSet kQuantTableSets[kQuantTableSetCount];

}  // namespace core
