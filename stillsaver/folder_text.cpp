#include "folder_text.h"

#include <cstring>

namespace stillsaver {

namespace {

// Lead bytes of two-byte characters in code page 932.
bool IsLeadByte932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

void EndWithBackslash(char* folder, size_t size) {
  const size_t len = std::strlen(folder);
  bool endsWithBackslash = false;
  for (size_t i = 0; i < len; ++i) {
    if (IsLeadByte932(static_cast<unsigned char>(folder[i])) && i + 1 < len) {
      endsWithBackslash = false;
      ++i;
    } else {
      endsWithBackslash = folder[i] == '\\';
    }
  }
  if (endsWithBackslash || len + 2 > size) return;
  folder[len] = '\\';
  folder[len + 1] = '\0';
}

}  // namespace stillsaver
