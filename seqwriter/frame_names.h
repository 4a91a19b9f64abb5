// The numbered file names of an export: the save path split once, the frame number inserted
// between base name and extension for every frame.
#pragma once

#include <cstddef>

namespace seqwriter {

constexpr size_t kPathBufferSize = 260;  // every text buffer of an export, NUL included

struct FrameNames {
  char path[kPathBufferSize];       // the working path; its directory part never changes
  size_t namePart;                  // offset of the file-name part in `path`
  char base[kPathBufferSize];       // file-name part without extension
  char extension[kPathBufferSize];  // from the last '.' of the file-name part, dot included
  char number[kPathBufferSize];     // the formatted frame number
};

// Splits the save path: the file-name part follows the last '\' (double-byte characters are
// stepped over whole, so a trail byte is never taken for a separator); the extension starts at
// its last '.'. False, with nothing usable, when the path does not fit the buffers.
bool SplitSavePath(const char* savePath, FrameNames* names);

// True when the pattern is literal text, "%%" and at most one integer conversion (d, i, u, x,
// X, with flags, width, precision and an h or l size prefix): the only patterns that read no
// more than the one integer argument the name is formatted with.
bool IsSafeNamePattern(const char* pattern);

// Formats `index` with the pattern and rebuilds the file-name part of the working path as base
// name, number and extension. False when the number text or the path would not fit.
bool ComposeFramePath(FrameNames* names, const char* pattern, int index);

}  // namespace seqwriter
