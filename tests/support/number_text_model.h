// A model of the number text the output plug-in's DLL gets from wsprintfA: the Windows test
// compares the two over many generated patterns, and natively, where no wsprintfA exists, the
// model stands in for it (number_text_native.cpp) so that the names can be tested and fuzzed.
#pragma once

#include <cstddef>

#include "seqwriter/frame_names.h"

namespace testsupport {

// The text wsprintfA makes of a pattern that seqwriter::IsSafeNamePattern accepts and the one
// argument `value`, byte for byte, up to its limit of 1023 characters; returns the length, or
// like wsprintfA kNumberTextSize when the text reached the limit.
size_t FormatNumber(char (&out)[seqwriter::kNumberTextSize], const char* pattern, int value);

}  // namespace testsupport
