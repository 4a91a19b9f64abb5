// The one-click save: the frame the editor shows, written as a JPEG named from the local time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/host_contract.h"

namespace stillsaver {

// A FILETIME's count of 100 ns ticks at 1970-01-01 00:00 UTC, where the names' clock starts.
constexpr uint64_t kFileTimeAt1970 = 116444736000000000ULL;

// Command 500. Asks the editor for the current frame and writes it into the configured folder;
// beeps after success when enabled, enters the unusable state after a library failure, and
// stays silent in every other outcome.
void SaveCurrentFrame(HWND filterWindow, host::EditHandle edit, host::FilterTable* filter);

// The filter's error signal: the error beep, the title "エラーのため使用不可です", both buttons
// disabled.
void EnterUnusableState(HWND filterWindow);

}  // namespace stillsaver
