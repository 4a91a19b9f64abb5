#include "filter_table.h"

#include <cstring>

#include "filter_window.h"

namespace stillsaver {

char dialogTitle[kDisplayNameSize] = "JPEG保存設定";
HINSTANCE moduleInstance = nullptr;

namespace {

constexpr char kName[] = "Pomtrel";
constexpr char kOwnBaseName[] = "stillsaver";
constexpr int kModulePathSize = 1806;

char displayName[kDisplayNameSize] = "Pomtrel";

host::FilterTable filterTable = {
    0x4000C004,        // flags
    260,               // window width
    64,                // window height
    displayName,       // name
    {},                // reserved
    FilterInit,        // init
    {},                // reserved
    FilterWindowProc,  // window procedure
    {},                // reserved
    nullptr,           // information
    {},                // reserved
    nullptr,           // services, filled by the editor
    nullptr,           // filter window, filled by the editor
    nullptr,           // module instance, filled by the editor
    {},                // reserved
};

constexpr size_t kBaseNameSize = 261;

// The file name without folder and extension, as _splitpath divides a path (the folder ends at
// the last '\', '/' or ':', the extension starts at the last '.'), stepping over double-byte
// characters, and copied with a bound.
void BaseName(const char* path, char (&base)[kBaseNameSize]) {
  size_t start = 0, end = std::strlen(path);
  for (size_t i = 0; path[i] != '\0'; ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1] != '\0') {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/' || path[i] == ':') {
      start = i + 1;
    }
  }
  for (size_t i = start; path[i] != '\0'; ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1] != '\0') {
      ++i;
    } else if (path[i] == '.') {
      end = i;
    }
  }
  size_t n = end > start ? end - start : 0;
  if (n > kBaseNameSize - 1) n = kBaseNameSize - 1;
  std::memcpy(base, path + start, n);
  base[n] = '\0';
}

// "<prefix><base>)" into a display-name buffer, bounded, with the last byte always NUL.
void Rebuild(char (&out)[kDisplayNameSize], const char* prefix, const char* base) {
  char text[kDisplayNameSize];
  std::strncpy(text, prefix, sizeof text - 1);
  text[sizeof text - 1] = '\0';
  std::strncat(text, base, sizeof text - 1 - std::strlen(text));
  std::strncat(text, ")", sizeof text - 1 - std::strlen(text));
  std::memcpy(out, text, sizeof text);
  out[kDisplayNameSize - 1] = '\0';
}

}  // namespace

}  // namespace stillsaver

using namespace stillsaver;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  moduleInstance = instance;
  return TRUE;
}

extern "C" host::FilterTable* __cdecl GetFilterTable() {
  char modulePath[kModulePathSize];
  const DWORD n = GetModuleFileNameA(moduleInstance, modulePath, sizeof modulePath);
  if (n == 0 || n >= sizeof modulePath) return &filterTable;
  char base[kBaseNameSize];
  BaseName(modulePath, base);
  if (std::strcmp(base, kOwnBaseName) == 0) return &filterTable;
  Rebuild(displayName, "Pomtrel(", base);
  Rebuild(dialogTitle, "JPEG保存設定(", base);
  filterTable.name = displayName;
  return &filterTable;
}
