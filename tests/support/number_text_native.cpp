// The names' number text in the native builds (unit tests, fuzzers), which have no wsprintfA:
// the model of it.
#include "seqwriter/frame_names.h"
#include "tests/support/number_text_model.h"

namespace seqwriter {

size_t NumberText(char (&out)[kNumberTextSize], const char* pattern, int value) {
  return testsupport::FormatNumber(out, pattern, value);
}

}  // namespace seqwriter
