#include "tests/stillsaver/stillsaver_fixture.h"

#include "tests/win/dialog_driver.h"

namespace stillsavertest {

namespace {
struct Search {
  HWND owner, found;
};
BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  if (GetWindow(hwnd, GW_OWNER) == s->owner && wintest::ClassName(hwnd) == "#32770") {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND SettingsDialogOf(HWND filterWindow) {
  Search s{filterWindow, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

}  // namespace stillsavertest
