// The filter's own progressive scan script.
#pragma once

#include "core/jpeg_lib.h"

namespace core {

// Writes the custom progressive script into a compressor whose colour space, components and
// tables are set: every DC at full precision in its own scan, each component finished before
// the next begins (YCbCr: Y, then Cr, then Cb, 11 scans; otherwise five passes over all
// components, 5 x num_components scans). The storage comes from the compressor's permanent
// pool (existing storage is reused when large enough). If that allocation fails, the library's
// fatal-error hook runs and nothing is written.
void custom_progression(j_compress_ptr cinfo);

}  // namespace core
