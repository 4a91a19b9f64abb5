// The modeless "CONFIG" dialog: created hidden when the filter window is ready, shown by the
// settings command, hidden by OK, CANCEL and the close box, destroyed when the filter ends.
#pragma once

#include <windows.h>

namespace stillsaver {

// Replaces a dialog that an earlier "window ready" created.
void CreateSettingsDialog(HWND owner, HINSTANCE instance);
// Opens the dialog beside the filter window, on the screen, unless it already stands clear.
void ShowSettingsDialog();
void DestroySettingsDialog();

}  // namespace stillsaver
