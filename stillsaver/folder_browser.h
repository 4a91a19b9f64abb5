// The save folder chosen in the shell's folder browser.
#pragma once

#include <windows.h>

namespace stillsaver {

// Runs the shell's folder browser on the folder in `folder` (at least 261 bytes); 1 with the
// chosen folder, ending in a backslash, written there; 0 when nothing was chosen.
int ChooseSaveFolder(HWND owner, char* folder);

}  // namespace stillsaver
