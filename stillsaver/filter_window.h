// The filter window: two buttons that are also the editor's menu commands, and the routing of
// every message the editor sends.
#pragma once

#include <windows.h>

#include "host/host_contract.h"

namespace stillsaver {

// The init callback: registers the two menu commands when the editor offers the service.
BOOL __cdecl FilterInit(host::FilterTable* filter);

// The window procedure the editor calls for every message of the filter window.
BOOL __cdecl FilterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              host::EditHandle edit, host::FilterTable* filter);

}  // namespace stillsaver
