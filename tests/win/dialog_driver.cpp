#include "tests/win/dialog_driver.h"

#include <commctrl.h>

#include "testhost/owned_dialog.h"

namespace wintest {

OwnerWindow::OwnerWindow()
    : hwnd_(CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}

OwnerWindow::~OwnerWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

namespace {

struct ScriptThread {
  DWORD mainThread;
  HWND owner;
  const std::function<void(HWND)>* script;
  DialogRun* run;
};

DWORD WINAPI RunScript(LPVOID param) {
  auto* t = static_cast<ScriptThread*>(param);
  HWND found = nullptr;
  // Up to a minute: on the emulated CPU of a busy test VM, the shell's folder browser has taken
  // more than ten seconds to appear. A dialog that is there ends the wait at once.
  for (int i = 0; i < 2400 && found == nullptr; ++i) {
    found = testhost::FindOwnedDialog(t->mainThread, t->owner, true);
    if (found == nullptr) Sleep(25);
  }
  if (found == nullptr) {
    // No visible dialog to drive: close a hidden one, if any, so that the test ends.
    if (HWND hidden = testhost::FindOwnedDialog(t->mainThread, t->owner, false)) {
      PostMessageA(hidden, WM_CLOSE, 0, 0);
    }
    return 0;
  }
  t->run->found = true;
  (*t->script)(found);
  t->run->closedByScript = WaitUntilGone(found);
  if (!t->run->closedByScript) PostMessageA(found, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

DialogRun RunModalDialog(HWND owner, const std::function<unsigned()>& open,
                         const std::function<void(HWND dialog)>& script) {
  DialogRun run;
  ScriptThread t{GetCurrentThreadId(), owner, &script, &run};
  HANDLE thread = CreateThread(nullptr, 0, RunScript, &t, 0, nullptr);
  run.result = open();
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return run;
}

std::string WindowText(HWND hwnd) {
  char buf[1024];
  const int n = GetWindowTextA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

std::string ClassName(HWND hwnd) {
  char buf[256];
  const int n = GetClassNameA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

bool IsChecked(HWND dialog, int id) {
  return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

void MoveTrackbar(HWND dialog, int id, int pos) {
  HWND track = GetDlgItem(dialog, id);
  SendMessageA(track, TBM_SETPOS, TRUE, pos);
  SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(track));
}

bool WaitUntilGone(HWND hwnd, int ms) {
  for (int waited = 0; waited < ms; waited += 20) {
    if (!IsWindow(hwnd)) return true;
    Sleep(20);
  }
  return !IsWindow(hwnd);
}

}  // namespace wintest
