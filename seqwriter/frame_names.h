// The numbered file names of an export: the save path split once, the frame number inserted
// between base name and extension for every frame. Portable (no Windows headers): the native
// tests and the fuzzers build it too.
#pragma once

#include <cstddef>

namespace seqwriter {

constexpr size_t kPathBufferSize = 260;  // every text buffer of an export, NUL included
constexpr size_t kNumberTextSize = 1024;  // wsprintfA's limit, NUL included
constexpr int kNamePatternSize = 256;     // the settings' name pattern, without a NUL of its own
// The longest pattern NumberText takes, NUL included: a name pattern and its NUL.
constexpr size_t kNumberPatternSize = kNamePatternSize + 1;

struct FrameNames {
  char path[kPathBufferSize];       // the working path; its directory part never changes
  size_t namePart;                  // offset of the file-name part in `path`
  char base[kPathBufferSize];       // file-name part without extension
  char extension[kPathBufferSize];  // from the last '.' of the file-name part, dot included
  char number[kPathBufferSize];     // the formatted frame number
};

// Splits the save path: the file-name part follows the last '\' and the extension starts at
// its last '.', double-byte characters of code page 932 stepped over whole. False, with nothing
// usable, when the path does not fit the buffers.
bool SplitSavePath(const char* savePath, FrameNames* names);

// True when the pattern is literal text, "%%" and at most one integer conversion (d, i, u, x,
// X, with flags, width, precision and an h or l size prefix): the only patterns that read no
// more than the one integer argument the name is formatted with.
bool IsSafeNamePattern(const char* pattern);

// The number text the plug-in puts into a name: wsprintfA's text of a pattern that
// IsSafeNamePattern accepts (at most kNumberPatternSize bytes, NUL included) and the one
// argument `value`, cut at its limit of 1023 characters. Returns the length, or like wsprintfA
// kNumberTextSize when the text reached the limit. The DLL's is wsprintfA's own
// (frame_names_win.cpp); the native builds, which only the tests and the fuzzers make, link a
// model of it (tests/support/number_text_model.h).
size_t NumberText(char (&out)[kNumberTextSize], const char* pattern, int value);

// Formats `index` with the pattern and rebuilds the file-name part of the working path as base
// name, number and extension. False when the number text or the path would not fit.
bool ComposeFramePath(FrameNames* names, const char* pattern, int index);

}  // namespace seqwriter
