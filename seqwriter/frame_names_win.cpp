// The number text of the DLL: wsprintfA's, as the plug-in's names have always been written.
#include <windows.h>

#include <cstring>

#include "frame_names.h"
#include "output_config.h"

namespace seqwriter {

static_assert(sizeof(PatternText) == kNumberPatternSize, "a name pattern is one NumberText takes");

size_t NumberText(char (&out)[kNumberTextSize], const char* pattern, int value) {
  // wsprintfA promises at most 1024 bytes, the NUL included, but Wine's writes past that when a
  // "#" prefix meets a text cut at the limit: the rest of the pattern follows. The scratch buffer
  // has room for a whole pattern beyond the limit; the text is then cut where the limit is.
  char scratch[kNumberTextSize + kNumberPatternSize];
  const int n = wsprintfA(scratch, pattern, value);
  size_t len = strnlen(scratch, sizeof scratch - 1);
  if (len > kNumberTextSize - 1) len = kNumberTextSize - 1;
  std::memcpy(out, scratch, len);
  out[len] = '\0';
  // As wsprintfA reports a text that reached the limit: the buffer's size.
  return len < kNumberTextSize - 1 && n >= 0 && static_cast<size_t>(n) == len ? len
                                                                                : kNumberTextSize;
}

}  // namespace seqwriter
