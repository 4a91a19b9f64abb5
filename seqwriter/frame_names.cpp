#include "frame_names.h"

#include <windows.h>

#include <cstring>

namespace seqwriter {

namespace {

// Copies src into a buffer of kPathBufferSize bytes; false when it does not fit.
bool CopyBounded(char* dst, const char* src) {
  const size_t n = std::strlen(src);
  if (n >= kPathBufferSize) return false;
  std::memcpy(dst, src, n + 1);
  return true;
}

bool IsFlag(char c) { return c == '-' || c == '#' || c == '0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIntegerConversion(char c) {
  return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X';
}

}  // namespace

bool SplitSavePath(const char* savePath, FrameNames* names) {
  if (savePath == nullptr || !CopyBounded(names->path, savePath)) return false;
  char* path = names->path;

  size_t namePart = 0;
  for (size_t i = 0; path[i] != '\0'; ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1] != '\0') {
      ++i;  // the trail byte may look like '\'
    } else if (path[i] == '\\') {
      namePart = i + 1;
    }
  }
  size_t dot = std::strlen(path);  // no extension: it is empty, at the end
  for (size_t i = namePart; path[i] != '\0'; ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1] != '\0') {
      ++i;
    } else if (path[i] == '.') {
      dot = i;
    }
  }
  std::strcpy(names->extension, path + dot);
  path[dot] = '\0';
  std::strcpy(names->base, path + namePart);
  names->namePart = namePart;
  names->number[0] = '\0';
  return true;
}

bool IsSafeNamePattern(const char* pattern) {
  int conversions = 0;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (IsFlag(*p)) ++p;
    while (IsDigit(*p)) ++p;
    if (*p == '.') {
      ++p;
      while (IsDigit(*p)) ++p;
    }
    if (*p == 'h' || *p == 'l') ++p;
    if (!IsIntegerConversion(*p) || ++conversions > 1) return false;
  }
  return true;
}

bool ComposeFramePath(FrameNames* names, const char* pattern, int index) {
  char number[1025];  // wsprintfA never writes more than 1024 characters and the NUL
  wsprintfA(number, pattern, index);
  if (!CopyBounded(names->number, number)) return false;
  const size_t total = names->namePart + std::strlen(names->base) + std::strlen(names->number) +
                       std::strlen(names->extension);
  if (total >= kPathBufferSize) return false;
  wsprintfA(names->path + names->namePart, "%s%s%s", names->base, names->number,
            names->extension);
  return true;
}

}  // namespace seqwriter
