// The filter's table, its names and the module's instance.
#pragma once

#include <windows.h>

#include "host/host_contract.h"

namespace stillsaver {

constexpr int kDisplayNameSize = 521;

// The settings dialog's caption: "JPEG保存設定", or with the library's base name appended when
// the library was renamed.
extern char dialogTitle[kDisplayNameSize];

// The instance handle given to DllMain (used to read the library's own file name).
extern HINSTANCE moduleInstance;

}  // namespace stillsaver

// The export: derives the names from the library's file name and returns the one table.
extern "C" host::FilterTable* __cdecl GetFilterTable();
