#include "tests/stillsaver/stillsaver_fixture.h"

#include "testhost/owned_dialog.h"

namespace stillsavertest {

HWND SettingsDialogOf(HWND filterWindow) {
  return testhost::FindOwnedDialog(GetCurrentThreadId(), filterWindow, false);
}

}  // namespace stillsavertest
