#include "stillsaver/settings_dialog.h"

#include <cstring>

#include "stillsaver/filter_table.h"
#include "stillsaver/folder_browser.h"
#include "stillsaver/resource.h"
#include "stillsaver/save_settings.h"
#include "ui/dialog_controls.h"

namespace stillsaver {

namespace {

HWND settingsDialog = nullptr;

constexpr ui::EncoderControls kEncoderControls = {
    {IDC_QUALITY, IDC_QUALITY_LABEL}, IDC_OPTIMIZE, IDC_PROGRESSIVE,
    ui::SamplingRadios(IDC_SAMPLING_FIRST), ui::QuantTableRadios(IDC_QUANT_FIRST)};
constexpr ui::RadioGroup kColorMatrix = ui::ColorMatrixRadios(IDC_MATRIX_FIRST);

UI_ASSERT_ENCODER_RADIOS_IN_VALUE_ORDER(kEncoderControls);
static_assert(ui::NumberedInValueOrder(kColorMatrix, {IDC_MATRIX_NONE, IDC_MATRIX_BT709}),
              "the colour matrix radios are numbered in mode order");

INT_PTR OnInitDialog(HWND dialog) {
  const SaveSettings& s = saveSettings;
  SetWindowTextA(dialog, dialogTitle);
  SetDlgItemTextA(dialog, IDC_FOLDER, s.path);
  ui::ShowEncoderFields(dialog, kEncoderControls, s);
  ui::CheckIfSet(dialog, IDC_BEEP, s.beep);
  ui::CheckIfSet(dialog, IDC_CUSTOM_SCRIPT, s.progression_mine);
  EnableWindow(GetDlgItem(dialog, IDC_CUSTOM_SCRIPT), s.progression != 0);
  ui::CheckRadio(dialog, kColorMatrix, s.colormatrix);
  return TRUE;
}

// The controls into the settings.
void Apply(HWND dialog) {
  SaveSettings& s = saveSettings;
  GetDlgItemTextA(dialog, IDC_FOLDER, s.path, kFolderSize);
  ui::StoreEncoderFields(dialog, kEncoderControls, &s);
  s.beep = ui::CheckedValue(dialog, IDC_BEEP);
  s.progression_mine = ui::CheckedValue(dialog, IDC_CUSTOM_SCRIPT);
  s.colormatrix = ui::CheckedRadio(dialog, kColorMatrix);
}

INT_PTR OnBrowse(HWND dialog) {
  char folder[kFolderSize + 1];
  std::memcpy(folder, saveSettings.path, kFolderSize);
  folder[kFolderSize] = '\0';
  if (!ChooseSaveFolder(dialog, folder)) return FALSE;
  SetDlgItemTextA(dialog, IDC_FOLDER, folder);
  return TRUE;
}

INT_PTR OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDOK:
      Apply(dialog);
      ShowWindow(dialog, SW_HIDE);
      return TRUE;
    case IDC_APPLY:
      Apply(dialog);
      return TRUE;
    case IDCANCEL:
      ShowWindow(dialog, SW_HIDE);
      return TRUE;
    case IDC_PROGRESSIVE:
      EnableWindow(GetDlgItem(dialog, IDC_CUSTOM_SCRIPT), ui::IsChecked(dialog, IDC_PROGRESSIVE));
      return FALSE;
    case IDC_BROWSE:
      return OnBrowse(dialog);
    default:
      return FALSE;
  }
}

// The label follows the trackbar; the setting changes only when applied.
INT_PTR OnHScroll(HWND dialog, LPARAM lParam) {
  return ui::FollowQuality(dialog, kEncoderControls.quality, lParam) ? TRUE : FALSE;
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Overlaps(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE;
}

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

// The template puts the dialog over the filter window, where it hides the save button. Unless
// it already stands clear of the filter window and on the screen (where the user left it), it
// moves beside the window: right, below, left or above, the first that fits in the work area
// of the window's monitor; where none fits, as near the right as the work area allows.
void PlaceBesideOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT filter, current;
  MONITORINFO monitor = {sizeof monitor};
  if (owner == nullptr || !GetWindowRect(owner, &filter) || !GetWindowRect(dialog, &current) ||
      !GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return;
  }
  const RECT& work = monitor.rcWork;
  if (Contains(work, current) && !Overlaps(current, filter)) return;
  const int width = current.right - current.left, height = current.bottom - current.top;
  const int maxX = work.right - width, maxY = work.bottom - height;
  const POINT tries[] = {{filter.right, Clamp(filter.top, work.top, maxY)},
                         {Clamp(filter.left, work.left, maxX), filter.bottom},
                         {filter.left - width, Clamp(filter.top, work.top, maxY)},
                         {Clamp(filter.left, work.left, maxX), filter.top - height}};
  POINT at = {Clamp(filter.right, work.left, maxX), Clamp(filter.top, work.top, maxY)};
  for (const POINT& p : tries) {
    const RECT r = {p.x, p.y, p.x + width, p.y + height};
    if (Contains(work, r) && !Overlaps(r, filter)) {
      at = p;
      break;
    }
  }
  SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// OK and "適用" apply the controls to the settings; CANCEL keeps the unapplied edits in the
// controls for the next showing.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam));
    case WM_HSCROLL:
      return OnHScroll(dialog, lParam);
    case WM_CLOSE:
      ShowWindow(dialog, SW_HIDE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void CreateSettingsDialog(HWND owner, HINSTANCE instance) {
  // A second "window ready" without a "filter ending" between them reloads the settings: the
  // old dialog still shows the record from before (its OK would write that back) and would be
  // left alive with nothing keeping its handle, so it goes and a fresh one shows the reload.
  DestroySettingsDialog();
  ui::RegisterTrackbarClass();
  settingsDialog = CreateDialogParamA(instance, "CONFIG", owner, SettingsDialogProc, 0);
}

void ShowSettingsDialog() {
  if (settingsDialog != nullptr && !IsWindowVisible(settingsDialog)) PlaceBesideOwner(settingsDialog);
  ShowWindow(settingsDialog, SW_SHOW);
}

void DestroySettingsDialog() {
  if (settingsDialog != nullptr) DestroyWindow(settingsDialog);
  settingsDialog = nullptr;
}

}  // namespace stillsaver
