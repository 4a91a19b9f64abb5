// The filter's path text on arbitrary bytes: the folder ended with one backslash, the base name
// of the library's file name, and the display name built from it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/cp932_path.h"
#include "fuzz/check.h"
#include "stillsaver/folder_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace stillsaver;
  if (size < 2) return 0;
  const size_t bufferSize = 1 + data[0] % 255 + data[1];  // 1..510 bytes
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string line = text.substr(0, std::min(std::strlen(text.c_str()), bufferSize - 1));

  // The folder: the text fits its buffer, as the browser's does.
  char* folder = static_cast<char*>(std::malloc(bufferSize));  // exact size: ASan sees overruns
  std::memcpy(folder, line.c_str(), line.size() + 1);
  EndWithBackslash(folder, bufferSize);
  const bool ended = !line.empty() && core::Cp932NameStart(line.c_str(), "\\") == line.size();
  if (ended || line.size() + 2 > bufferSize) {
    Check(folder == line, "a folder was changed that had to stay");
  } else {
    Check(folder == line + "\\", "the backslash was not appended");
  }
  std::free(folder);

  // The display names.
  char base[kBaseNameSize];
  ModuleBaseName(text.c_str(), base);
  Check(std::strlen(base) < kBaseNameSize, "the base name is too long");
  Check(std::strstr(text.c_str(), base) != nullptr, "the base name is not part of the path");
  char* name = static_cast<char*>(std::malloc(bufferSize));
  SuffixedName(name, bufferSize, "Pomtrel(", base);
  const std::string whole = std::string("Pomtrel(") + base + ")";
  Check(whole.compare(0, std::strlen(name), name) == 0, "the display name");
  Check(std::strlen(name) == std::min(whole.size(), bufferSize - 1), "the display name's length");
  std::free(name);
  return 0;
}
