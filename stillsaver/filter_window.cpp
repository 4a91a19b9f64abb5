#include "stillsaver/filter_window.h"

#include "core/encoder.h"
#include "stillsaver/frame_save.h"
#include "stillsaver/resource.h"
#include "stillsaver/save_settings.h"
#include "stillsaver/settings_dialog.h"

namespace stillsaver {

namespace {

constexpr char kSaveCaption[] = "現在のフレームをJPEG保存";
constexpr char kSettingsCaption[] = "設定";

// The two buttons side by side along the top of the client area, which is just their size.
constexpr int kButtonHeight = 32;
constexpr int kSaveButtonWidth = 180;
constexpr int kSettingsButtonWidth = 64;
constexpr int kClientWidth = kSaveButtonWidth + kSettingsButtonWidth;  // 244
constexpr int kClientHeight = kButtonHeight;

void CreateButton(HWND parent, HINSTANCE instance, const char* text, int x, int width, int id) {
  HWND button = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, 0, width,
                                kButtonHeight, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                nullptr);
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
}

void CreateButtons(HWND window, HINSTANCE instance) {
  CreateButton(window, instance, kSaveCaption, 0, kSaveButtonWidth, IDC_SAVE_FRAME);
  CreateButton(window, instance, kSettingsCaption, kSaveButtonWidth, kSettingsButtonWidth,
               IDC_SHOW_SETTINGS);
}

BOOL OnWindowReady(HWND window, host::FilterTable* filter) {
  // A second "window ready" without "filter ending" between them keeps the buttons it has.
  if (GetDlgItem(window, IDC_SAVE_FRAME) == nullptr) CreateButtons(window, filter->instance);
  LoadFilterSettings(filter);
  CreateSettingsDialog(window, filter->instance);
  return TRUE;
}

BOOL OnFilterEnding(host::FilterTable* filter) {
  StoreFilterSettings(filter);
  DestroySettingsDialog();
  return FALSE;
}

// The client area holds the two buttons side by side.
BOOL OnSizing(HWND window) {
  RECT r = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, WS_CAPTION | WS_SYSMENU, FALSE, 0);
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOMOVE);
  return FALSE;
}

BOOL OnCommand(HWND window, int id, host::EditHandle edit, host::FilterTable* filter) {
  if (id == IDC_SAVE_FRAME) {
    SaveCurrentFrame(window, edit, filter);
  } else if (id == IDC_SHOW_SETTINGS) {
    ShowSettingsDialog();
  }
  return FALSE;
}

}  // namespace

BOOL __cdecl FilterInit(host::FilterTable* filter) {
  host::HostServices* h = filter->services;
  if (h == nullptr || h->AddMenuCommand == nullptr) return TRUE;
  h->AddMenuCommand(filter, kSaveCaption, filter->window, IDC_SAVE_FRAME, 0, 0);
  h->AddMenuCommand(filter, kSettingsCaption, filter->window, IDC_SHOW_SETTINGS, 0, 0);
  return TRUE;
}

BOOL __cdecl FilterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM,
                              host::EditHandle edit, host::FilterTable* filter) {
  switch (message) {
    case host::kMsgWindowReady:
      return OnWindowReady(window, filter);
    case host::kMsgFilterEnding:
      return OnFilterEnding(filter);
    case host::kMsgSaveDisabledBegin:
      EnableWindow(GetDlgItem(window, IDC_SAVE_FRAME), FALSE);
      return TRUE;
    case host::kMsgSaveDisabledEnd:
      if (core::libraryUsable) EnableWindow(GetDlgItem(window, IDC_SAVE_FRAME), TRUE);
      return TRUE;
    case host::kMsgMenuCommand:
    case WM_COMMAND:
      return OnCommand(window, LOWORD(wParam), edit, filter);
    case host::kMsgSizing:
      return OnSizing(window);
    default:
      return FALSE;
  }
}

}  // namespace stillsaver
