#include "frame_names.h"

#include <cstring>

#include "core/cp932_path.h"

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
  const size_t namePart = core::Cp932NameStart(path, "\\");
  const size_t dot = core::Cp932ExtensionStart(path, namePart);
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
  char number[kNumberTextSize];
  NumberText(number, pattern, index);
  if (!CopyBounded(names->number, number)) return false;
  const size_t baseLen = std::strlen(names->base);
  const size_t numberLen = std::strlen(names->number);
  const size_t extensionLen = std::strlen(names->extension);
  if (names->namePart + baseLen + numberLen + extensionLen >= kPathBufferSize) return false;
  char* out = names->path + names->namePart;
  std::memcpy(out, names->base, baseLen);
  std::memcpy(out + baseLen, names->number, numberLen);
  std::memcpy(out + baseLen + numberLen, names->extension, extensionLen + 1);
  return true;
}

}  // namespace seqwriter
