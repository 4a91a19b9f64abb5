// The modeless settings dialog as a window: where it opens, and how many there are.
#include <commctrl.h>

#include <vector>

#include "tests/stillsaver/stillsaver_fixture.h"

namespace stillsavertest {
namespace {

RECT WindowRect(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE;
}

bool Inside(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

RECT WorkArea(HWND hwnd) {
  MONITORINFO m = {sizeof m};
  GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &m);
  return m.rcWork;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

// Shown by the settings command with the filter window at `at` (a corner of the work area when the
// coordinates are negative: -1 puts the window's far edge on the work area's far edge).
void ExpectClearOfTheButtons(testhost::FilterHost& h, POINT at) {
  const RECT work = WorkArea(h.window());
  RECT filter = WindowRect(h.window());
  const int x = at.x >= 0 ? at.x : work.right - (filter.right - filter.left);
  const int y = at.y >= 0 ? at.y : work.bottom - (filter.bottom - filter.top);
  SetWindowPos(h.window(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND dialog = SettingsDialogOf(h.window());
  ASSERT_NE(dialog, nullptr);
  h.Command(IDC_SHOW_SETTINGS);
  ASSERT_TRUE(IsWindowVisible(dialog));
  const RECT d = WindowRect(dialog);
  SCOPED_TRACE("filter at " + Describe(WindowRect(h.window())) + ", dialog " + Describe(d) +
               ", work area " + Describe(work));
  EXPECT_TRUE(Inside(work, d));
  for (int id : {IDC_SAVE_FRAME, IDC_SHOW_SETTINGS})
    EXPECT_FALSE(Overlap(d, WindowRect(GetDlgItem(h.window(), id)))) << id;
  SendMessageA(dialog, WM_CLOSE, 0, 0);
}

// The template alone would open the dialog over the filter window's buttons.
TEST_F(StillsaverTest, SettingsDialogOpensClearOfTheButtonsAndOnTheScreen) {
  testhost::FilterHost& h = Start();
  for (POINT at : {POINT{20, 20}, POINT{-1, 300}, POINT{400, -1}, POINT{-1, -1}, POINT{0, 0}})
    ExpectClearOfTheButtons(h, at);
}

// A place the user chose stays while it hides nothing; over the buttons it does not.
TEST_F(StillsaverTest, SettingsDialogKeepsAClearPlaceOnly) {
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  h.Command(IDC_SHOW_SETTINGS);
  SetWindowPos(dialog, nullptr, 600, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  h.Command(IDC_SHOW_SETTINGS);
  EXPECT_EQ(WindowRect(dialog).left, 600);
  EXPECT_EQ(WindowRect(dialog).top, 200);
  SendMessageA(dialog, WM_CLOSE, 0, 0);

  const RECT filter = WindowRect(h.window());
  SetWindowPos(dialog, nullptr, filter.left, filter.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  h.Command(IDC_SHOW_SETTINGS);
  EXPECT_FALSE(Overlap(WindowRect(dialog), WindowRect(GetDlgItem(h.window(), IDC_SAVE_FRAME))));
}

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM lParam) {
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::string(cls) == "#32770") reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
  return TRUE;
}

// Every dialog window of this thread (the plug-in's dialogs live on the host's thread).
std::vector<HWND> ThreadDialogs() {
  std::vector<HWND> v;
  EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&v));
  return v;
}

// A second "window ready" without "filter ending" replaces the dialog: the old one would keep
// the record from before the reload and nothing would ever hide or destroy it.
TEST_F(StillsaverTest, RepeatedWindowReadyLeavesOneReachableDialog) {
  testhost::FilterHost& h = Start();
  ASSERT_EQ(ThreadDialogs().size(), 1u);
  HWND first = ThreadDialogs()[0];

  store_.ints["qualty"] = 42;  // what the second load finds
  h.Send(host::kMsgWindowReady);
  const std::vector<HWND> after = ThreadDialogs();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_FALSE(IsWindow(first));
  HWND dialog = after[0];
  EXPECT_EQ(SettingsDialogOf(h.window()), dialog);
  int buttons = 0;  // the second message adds no second pair of buttons
  for (HWND c = GetWindow(h.window(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    ++buttons;
  }
  EXPECT_EQ(buttons, 2);
  h.Command(IDC_SHOW_SETTINGS);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_QUALITY, TBM_GETPOS, 0, 0), 42);

  h.End();
  EXPECT_TRUE(ThreadDialogs().empty());
}

}  // namespace
}  // namespace stillsavertest
