// The number text of the DLL: wsprintfA's, as the plug-in's names have always been written.
#include <windows.h>

#include "frame_names.h"

namespace seqwriter {

size_t NumberText(char (&out)[kNumberTextSize], const char* pattern, int value) {
  // wsprintfA writes at most 1024 bytes, the NUL included.
  const int n = wsprintfA(out, pattern, value);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

}  // namespace seqwriter
