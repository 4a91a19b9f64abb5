#include "tests/win/dialog_driver.h"

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

struct Search {
  HWND owner;
  HWND found;
  bool visibleOnly;
};

BOOL CALLBACK FindOwned(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  if (GetWindow(hwnd, GW_OWNER) == s->owner && ClassName(hwnd) == "#32770" &&
      (!s->visibleOnly || IsWindowVisible(hwnd))) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI RunScript(LPVOID param) {
  auto* t = static_cast<ScriptThread*>(param);
  Search s{t->owner, nullptr, true};
  for (int i = 0; i < 400 && s.found == nullptr; ++i) {
    EnumThreadWindows(t->mainThread, FindOwned, reinterpret_cast<LPARAM>(&s));
    if (s.found == nullptr) Sleep(25);
  }
  if (s.found == nullptr) {
    // No visible dialog to drive: close a hidden one, if any, so that the test ends.
    Search hidden{t->owner, nullptr, false};
    EnumThreadWindows(t->mainThread, FindOwned, reinterpret_cast<LPARAM>(&hidden));
    if (hidden.found != nullptr) PostMessageA(hidden.found, WM_CLOSE, 0, 0);
    return 0;
  }
  t->run->found = true;
  (*t->script)(s.found);
  t->run->closedByScript = WaitUntilGone(s.found);
  if (!t->run->closedByScript) PostMessageA(s.found, WM_CLOSE, 0, 0);
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

bool WaitUntilGone(HWND hwnd, int ms) {
  for (int waited = 0; waited < ms; waited += 20) {
    if (!IsWindow(hwnd)) return true;
    Sleep(20);
  }
  return !IsWindow(hwnd);
}

}  // namespace wintest
