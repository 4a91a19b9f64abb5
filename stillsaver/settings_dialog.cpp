#include "settings_dialog.h"

#include <commctrl.h>

#include <cstring>

#include "filter_table.h"
#include "resource.h"
#include "save_settings.h"

namespace stillsaver {

namespace {

HWND settingsDialog = nullptr;

void ShowQuality(HWND dialog, int quality) {
  char text[64];
  wsprintfA(text, "圧縮品質 %d", quality);
  SetDlgItemTextA(dialog, IDC_QUALITY_LABEL, text);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void CheckIf(HWND dialog, int id, int32_t value) {
  if (value != 0) CheckDlgButton(dialog, id, BST_CHECKED);
}

INT_PTR OnInitDialog(HWND dialog) {
  const SaveSettings& s = saveSettings;
  SetWindowTextA(dialog, dialogTitle);
  SetDlgItemTextA(dialog, IDC_FOLDER, s.path);
  HWND quality = GetDlgItem(dialog, IDC_QUALITY);
  SendMessageA(quality, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageA(quality, TBM_SETTICFREQ, 10, 0);
  SendMessageA(quality, TBM_SETPAGESIZE, 0, 10);
  SendMessageA(quality, TBM_SETPOS, TRUE, s.quality);
  ShowQuality(dialog, s.quality);
  CheckIf(dialog, IDC_OPTIMIZE, s.optimize);
  CheckIf(dialog, IDC_BEEP, s.beep);
  CheckIf(dialog, IDC_PROGRESSIVE, s.progression);
  CheckIf(dialog, IDC_CUSTOM_SCRIPT, s.progression_mine);
  EnableWindow(GetDlgItem(dialog, IDC_CUSTOM_SCRIPT), s.progression != 0);
  const bool knownSampling = s.downsampling >= 0 && s.downsampling <= 6;
  CheckDlgButton(dialog, IDC_SAMPLING_FIRST + (knownSampling ? s.downsampling : 2), BST_CHECKED);
  const int quant = (s.quantize == 1 || s.quantize == 2) ? s.quantize : 0;
  CheckDlgButton(dialog, IDC_QUANT_FIRST + quant, BST_CHECKED);
  CheckDlgButton(dialog, IDC_MATRIX_FIRST + (s.colormatrix == 1 ? 1 : 0), BST_CHECKED);
  return TRUE;
}

// The controls into the settings.
void Apply(HWND dialog) {
  SaveSettings& s = saveSettings;
  GetDlgItemTextA(dialog, IDC_FOLDER, s.path, kFolderSize);
  s.quality = static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_QUALITY, TBM_GETPOS, 0, 0));
  s.optimize = Checked(dialog, IDC_OPTIMIZE) ? 1 : 0;
  s.beep = Checked(dialog, IDC_BEEP) ? 1 : 0;
  s.progression = Checked(dialog, IDC_PROGRESSIVE) ? 1 : 0;
  s.progression_mine = Checked(dialog, IDC_CUSTOM_SCRIPT) ? 1 : 0;
  // The 4:2:0 radio (value 2) is the fallback and is never asked.
  static const int kAsked[] = {0, 1, 3, 4, 5, 6};
  s.downsampling = 2;
  for (int value : kAsked) {
    if (Checked(dialog, IDC_SAMPLING_FIRST + value)) {
      s.downsampling = value;
      break;
    }
  }
  s.quantize = Checked(dialog, IDC_QUANT_FIRST + 1) ? 1 : (Checked(dialog, IDC_QUANT_FIRST + 2) ? 2 : 0);
  s.colormatrix = Checked(dialog, IDC_MATRIX_FIRST + 1) ? 1 : 0;
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
      EnableWindow(GetDlgItem(dialog, IDC_CUSTOM_SCRIPT), Checked(dialog, IDC_PROGRESSIVE));
      return FALSE;
    case IDC_BROWSE:
      return OnBrowse(dialog);
    default:
      return FALSE;
  }
}

INT_PTR OnHScroll(HWND dialog, LPARAM lParam) {
  HWND quality = GetDlgItem(dialog, IDC_QUALITY);
  if (reinterpret_cast<HWND>(lParam) != quality) return FALSE;
  ShowQuality(dialog, static_cast<int>(SendMessageA(quality, TBM_GETPOS, 0, 0)));
  return TRUE;
}

}  // namespace

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

void CreateSettingsDialog(HWND owner, HINSTANCE instance) {
  // The trackbar's window class must exist before the template is instantiated.
  INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  settingsDialog = CreateDialogParamA(instance, "CONFIG", owner, SettingsDialogProc, 0);
}

void ShowSettingsDialog() { ShowWindow(settingsDialog, SW_SHOW); }

void DestroySettingsDialog() {
  if (settingsDialog != nullptr) DestroyWindow(settingsDialog);
  settingsDialog = nullptr;
}

}  // namespace stillsaver
