#include "stillsaver/filter_table.h"

#include <cstring>

#include "stillsaver/filter_window.h"
#include "stillsaver/folder_text.h"

namespace stillsaver {

char dialogTitle[kDisplayNameSize] = "JPEG保存設定";
HINSTANCE moduleInstance = nullptr;

namespace {

constexpr char kName[] = "Pomtrel";
constexpr char kOwnBaseName[] = "stillsaver";
constexpr int kModulePathSize = 1806;

char displayName[kDisplayNameSize] = "Pomtrel";

// The editor's flag bits for this filter, and the size it gives the filter window at first;
// their meaning is the editor's.
constexpr uint32_t kFilterFlags = 0x4000C004;
constexpr int32_t kWindowWidth = 260;
constexpr int32_t kWindowHeight = 64;

host::FilterTable filterTable = {
    kFilterFlags,      // flags
    kWindowWidth,      // window width
    kWindowHeight,     // window height
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
  ModuleBaseName(modulePath, base);
  if (std::strcmp(base, kOwnBaseName) == 0) return &filterTable;
  SuffixedName(displayName, sizeof displayName, "Pomtrel(", base);
  SuffixedName(dialogTitle, sizeof dialogTitle, "JPEG保存設定(", base);
  filterTable.name = displayName;
  return &filterTable;
}
