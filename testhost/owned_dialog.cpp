#include "testhost/owned_dialog.h"

#include <cstring>

namespace testhost {

namespace {

struct Search {
  HWND owner;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK FindOwned(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (GetWindow(hwnd, GW_OWNER) == s->owner && std::strcmp(cls, "#32770") == 0 &&
      (!s->visibleOnly || IsWindowVisible(hwnd))) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindOwnedDialog(DWORD thread, HWND owner, bool visibleOnly) {
  Search s{owner, visibleOnly, nullptr};
  EnumThreadWindows(thread, FindOwned, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

}  // namespace testhost
