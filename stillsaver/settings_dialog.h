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

// OK and "適用" apply the controls to the settings; CANCEL keeps the unapplied edits in the
// controls for the next showing.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the shell's folder browser on the folder in `folder` (at least 261 bytes); 1 with the
// chosen folder, ending in a backslash, written there; 0 when nothing was chosen.
int ChooseSaveFolder(HWND owner, char* folder);

// Opens the browser on the folder passed as `data`.
int CALLBACK FolderBrowserCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data);

}  // namespace stillsaver
