// Prints the version resources of DLLs as the ANSI functions return them (CP932 on a Japanese
// system), one "DLL|KEY|VALUE" line per entry, so that a script can compare them byte for byte:
//   version_text.exe DLL...
// Keys: the strings of the Japanese block (041103a4) and "Translation" (language and code page
// as "0411 03a4"). An entry that is missing is left out; a DLL without a version resource
// makes the exit status 1.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* const kKeys[] = {"Comments",       "FileDescription",  "FileVersion", "InternalName",
                             "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"};

bool PrintVersionInfo(const char* dll) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(dll, &ignored);
  if (size == 0) return false;
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(dll, 0, size, info.data())) return false;

  void* value = nullptr;
  UINT length = 0;
  if (VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
    const WORD* pair = static_cast<const WORD*>(value);
    std::printf("%s|Translation|%04x %04x\n", dll, pair[0], pair[1]);
  }
  for (const char* key : kKeys) {
    char query[128];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\041103a4\\%s", key);
    if (VerQueryValueA(info.data(), query, &value, &length)) {
      std::printf("%s|%s|%s\n", dll, key, static_cast<const char*>(value));
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    if (!PrintVersionInfo(argv[i])) {
      std::fprintf(stderr, "no version resource in %s\n", argv[i]);
      status = 1;
    }
  }
  return status;
}
