#include "folder_text.h"

#include <algorithm>
#include <cstring>

#include "core/cp932_path.h"

namespace stillsaver {

void EndWithBackslash(char* folder, size_t size) {
  const size_t len = std::strlen(folder);
  const bool endsWithBackslash = len > 0 && core::Cp932NameStart(folder, "\\") == len;
  if (endsWithBackslash || len + 2 > size) return;
  folder[len] = '\\';
  folder[len + 1] = '\0';
}

void ModuleBaseName(const char* path, char (&base)[kBaseNameSize]) {
  const size_t start = core::Cp932NameStart(path, "\\/:");
  const size_t end = core::Cp932ExtensionStart(path, start);
  size_t n = end - start;
  if (n > kBaseNameSize - 1) n = kBaseNameSize - 1;
  std::memcpy(base, path + start, n);
  base[n] = '\0';
}

void SuffixedName(char* out, size_t size, const char* prefix, const char* base) {
  if (size == 0) return;
  size_t used = 0;
  for (const char* part : {prefix, base, ")"}) {
    const size_t n = std::min(std::strlen(part), size - 1 - used);
    std::memcpy(out + used, part, n);
    used += n;
  }
  out[used] = '\0';
}

}  // namespace stillsaver
