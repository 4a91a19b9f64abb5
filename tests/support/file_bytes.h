// A whole file as bytes, for the tests and the benchmarks. Read through C stdio, so that on
// Windows the path goes through the ANSI functions as the plug-ins' own paths do. Header-only:
// the unsanitized benchmarks use it without the test support library.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace testsupport {

// The file's bytes; empty when it cannot be opened.
inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
  }
  return bytes;
}

}  // namespace testsupport
