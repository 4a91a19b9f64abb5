// Path text in code page 932, the code page every text of these plug-ins is in: where the file
// name begins and where its extension begins. Header only and free of Windows headers, so that
// both encoding plug-ins, the native tests and the fuzzers share the one rule.
//
// A double-byte character (a lead byte 0x81..0x9F or 0xE0..0xFC and the byte after it) is
// stepped over whole: its trail byte may be 0x5C ('\') or 0x2E ('.') and is never taken for
// one. A lead byte right before the terminating NUL stands alone. The fixed table of code page
// 932 is used rather than the ANSI code page of the machine, since the text is CP932 wherever
// it runs.
#pragma once

#include <cstddef>
#include <cstring>

namespace core {

// True for the first byte of a two-byte character of code page 932.
inline bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Offset just after the last separator of `path` (any byte of `separators`); 0 when there is
// none. With the path's length as result, the path ends with a separator.
inline size_t Cp932NameStart(const char* path, const char* separators) {
  size_t start = 0;
  for (size_t i = 0; path[i] != '\0'; ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(path[i])) && path[i + 1] != '\0') {
      ++i;
    } else if (std::strchr(separators, path[i]) != nullptr) {
      start = i + 1;
    }
  }
  return start;
}

// Offset of the last '.' at or after `from` (the start of a file name, on a character
// boundary); the path's length when there is none.
inline size_t Cp932ExtensionStart(const char* path, size_t from) {
  size_t dot = from + std::strlen(path + from);
  for (size_t i = from; path[i] != '\0'; ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(path[i])) && path[i + 1] != '\0') {
      ++i;
    } else if (path[i] == '.') {
      dot = i;
    }
  }
  return dot;
}

}  // namespace core
