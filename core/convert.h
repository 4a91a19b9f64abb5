// YC48 rows to the 8-bit samples the compressor takes.
#pragma once

#include <cstdint>

#include "core/encoder_values.h"
#include "host/pixel_yc.h"

namespace core {

// Converts one row of `width` pixels into `width` gray bytes or `width` Y,Cb,Cr byte triples.
// colormatrix 1 re-matrixes BT.709 to BT.601; every other value rescales only. Nothing is
// written when width <= 0. Uses the fastest code path this processor has.
void ConvertYcRow(const host::PixelYC* source, int width, bool gray, int colormatrix,
                  uint8_t* destination);

// ConvertYcRow, writing the same bytes, that meanwhile has the processor fetch the `width`
// pixels at `next` (the row to be converted after this one) into its caches, so that they
// arrive from memory while the compressor works on this row rather than when their conversion
// waits for them. `next` is only fetched, never read; it may be `source` itself.
void ConvertYcRowFetchingNext(const host::PixelYC* source, int width, bool gray, int colormatrix,
                              uint8_t* destination, const host::PixelYC* next);

// The plain one-pixel-at-a-time version of the same conversion: the reference that the vector
// code must match byte for byte.
void ConvertYcRowScalar(const host::PixelYC* source, int width, bool gray, int colormatrix,
                        uint8_t* destination);

// Whether ConvertYcRow runs vector code on this build and processor (for tests and benchmarks).
bool ConvertYcRowIsVectorised();

}  // namespace core
