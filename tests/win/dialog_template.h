// A dialog checked against its template: the dialog's frame, and its controls in tab order with
// their ids, classes, texts, styles and places. The tests name the controls as the plug-ins'
// resource.h files do; only the filter's command ids, which the editor sees, are pinned to
// numbers (tests/stillsaver/table_window_test.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintest {

struct TemplateControl {
  int id;            // -1 for a static text or group box without one
  const char* cls;
  const char* text;  // null: not compared
  int x, y, w, h;    // dialog units
  DWORD mask, bits;  // style bits that must be set exactly as given, within mask
  DWORD exBits;      // extended style bits that must be set
};

// What differs between the dialog and the template: both dialogs are pop-ups with a caption,
// a system menu, a modal frame and a static edge, and have exactly these controls. The dialog
// manager gives the checked radio button of a group the tab stop, so a radio button's is not
// compared. Returns text only (no test assertion), so a script thread can call it.
std::vector<std::string> TemplateDifferences(HWND dialog,
                                             const std::vector<TemplateControl>& controls);

}  // namespace wintest
