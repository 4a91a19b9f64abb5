#include "tests/win/dialog_template.h"

#include "tests/win/dialog_driver.h"

namespace wintest {

std::vector<std::string> TemplateDifferences(HWND dialog,
                                             const std::vector<TemplateControl>& controls) {
  std::vector<std::string> problems;
  auto expect = [&](bool ok, const std::string& what) {
    if (!ok) problems.push_back(what);
  };
  auto text = [](const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom);
  };
  constexpr DWORD kFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  constexpr DWORD kExFrame = WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;
  expect((GetWindowLongA(dialog, GWL_STYLE) & kFrame) == kFrame, "dialog: style");
  expect((GetWindowLongA(dialog, GWL_EXSTYLE) & kExFrame) == kExFrame, "dialog: extended style");
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const TemplateControl& c : controls) {
    const std::string name = "control " + std::to_string(c.id) + " '" + (c.text ? c.text : "") + "'";
    if (child == nullptr) {
      problems.push_back("missing " + name);
      return problems;
    }
    expect(static_cast<short>(GetDlgCtrlID(child)) == c.id, name + ": id");
    expect(ClassName(child) == c.cls, name + ": class " + ClassName(child));
    expect(c.text == nullptr || WindowText(child) == c.text, name + ": text '" + WindowText(child) + "'");
    const DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
    const bool radio = std::string(c.cls) == "Button" && (c.bits & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    const DWORD mask = radio ? c.mask & ~static_cast<DWORD>(WS_TABSTOP) : c.mask;
    expect((style & mask) == (c.bits & mask), name + ": style " + std::to_string(style));
    const DWORD ex = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
    expect((ex & c.exBits) == c.exBits, name + ": extended style");
    // The dialog manager converts origin and size separately.
    RECT origin{c.x, c.y, c.x, c.y}, size{0, 0, c.w, c.h}, got;
    MapDialogRect(dialog, &origin);
    MapDialogRect(dialog, &size);
    const RECT want{origin.left, origin.top, origin.left + size.right, origin.top + size.bottom};
    GetWindowRect(child, &got);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
    expect(EqualRect(&want, &got) != FALSE, name + ": place " + text(got) + " want " + text(want));
    child = GetWindow(child, GW_HWNDNEXT);
  }
  expect(child == nullptr, "more controls than the template has");
  return problems;
}

}  // namespace wintest
