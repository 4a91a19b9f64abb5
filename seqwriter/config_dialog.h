// The modal "CONFIG" dialog that edits the module's OutputConfig.
#pragma once

#include <windows.h>

namespace seqwriter {

// The config callback: runs the dialog from `instance` (this library's module) owned by
// `owner`; 1 once it has closed, whichever way.
BOOL __cdecl ShowConfigDialog(HWND owner, HINSTANCE instance);

}  // namespace seqwriter
