#include "tests/stillsaver/stillsaver_fixture.h"

#include "tests/win/dialog_driver.h"

namespace stillsavertest {

HWND SettingsDialogOf(HWND filterWindow) {
  return wintest::FindOwnedDialog(GetCurrentThreadId(), filterWindow, false);
}

}  // namespace stillsavertest
