// Drives a modal dialog from a second thread: the main thread runs the plug-in's dialog
// function (which returns only when the dialog has closed) while a script on the second thread
// finds the dialog, looks at it and sends it messages, as a user would click.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace wintest {

// A plain top-level window that owns the dialogs, as the editor's main window does.
class OwnerWindow {
 public:
  OwnerWindow();
  ~OwnerWindow();
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

struct DialogRun {
  unsigned result = 0;          // what the dialog function returned
  bool found = false;           // the script saw the dialog
  bool closedByScript = false;  // the dialog was gone after the script, without any fallback
};

// Calls `open` on this thread; `script` runs on a second thread with the dialog window owned
// by `owner` once it appears. If the script leaves the dialog open, it is closed so that the
// test cannot hang, and closedByScript is false.
DialogRun RunModalDialog(HWND owner, const std::function<unsigned()>& open,
                         const std::function<void(HWND dialog)>& script);

// Small helpers for scripts.
std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);
bool IsChecked(HWND dialog, int id);
void Click(HWND dialog, int id);  // BM_CLICK on a button, run by the dialog's own thread
// Moves trackbar `id` as a drag would end: the new position, then the scroll notification.
void MoveTrackbar(HWND dialog, int id, int pos);
bool WaitUntilGone(HWND hwnd, int ms = 5000);

}  // namespace wintest
