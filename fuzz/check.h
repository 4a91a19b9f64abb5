// The fuzzers' one assertion: a broken rule says which it is, after the fuzzer's name, and
// aborts, so that libFuzzer keeps the input that broke it.
#pragma once

#include <errno.h>  // program_invocation_short_name

#include <cstdio>
#include <cstdlib>

inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what);
    std::abort();
  }
}
