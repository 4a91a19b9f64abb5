// Finding the dialogs a plug-in makes: each is owned by the window the editor gave it (the
// filter window, or the export dialog's owner).
#pragma once

#include <windows.h>

namespace testhost {

// The first dialog (window class "#32770") of `thread` owned by `owner`, if `visibleOnly` only
// a visible one; null when there is none.
HWND FindOwnedDialog(DWORD thread, HWND owner, bool visibleOnly);

}  // namespace testhost
