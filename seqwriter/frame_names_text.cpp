// The number text of the native builds (unit tests, fuzzers): the portable formatter.
#include "frame_names.h"

namespace seqwriter {

size_t NumberText(char (&out)[kNumberTextSize], const char* pattern, int value) {
  return FormatNumber(out, pattern, value);
}

}  // namespace seqwriter
