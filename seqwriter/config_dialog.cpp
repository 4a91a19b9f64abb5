#include "config_dialog.h"

#include <commctrl.h>

#include <cstring>

#include "output_config.h"
#include "resource.h"

namespace seqwriter {

namespace {

void ShowQuality(HWND dialog, int quality) {
  char text[64];
  wsprintfA(text, "圧縮品質 %d", quality);
  SetDlgItemTextA(dialog, IDC_QUALITY_LABEL, text);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

INT_PTR OnInitDialog(HWND dialog) {
  const OutputConfig& c = outputConfig;
  SetDlgItemTextA(dialog, IDC_NAME_PATTERN, NamePatternText(c).text);
  HWND quality = GetDlgItem(dialog, IDC_QUALITY);
  SendMessageA(quality, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageA(quality, TBM_SETTICFREQ, 10, 0);
  SendMessageA(quality, TBM_SETPOS, TRUE, c.quality);
  SendMessageA(quality, TBM_SETPAGESIZE, 0, 10);
  ShowQuality(dialog, c.quality);
  if (c.optimize != 0) CheckDlgButton(dialog, IDC_OPTIMIZE, BST_CHECKED);
  if (c.progression != 0) CheckDlgButton(dialog, IDC_PROGRESSIVE, BST_CHECKED);
  const bool knownSampling = c.downsampling >= 0 && c.downsampling <= 6;
  CheckDlgButton(dialog, IDC_SAMPLING_FIRST + (knownSampling ? c.downsampling : 2), BST_CHECKED);
  const int quant = (c.quantize == 1 || c.quantize == 2) ? c.quantize : 0;
  CheckDlgButton(dialog, IDC_QUANT_FIRST + quant, BST_CHECKED);
  return TRUE;
}

// Stores every control into OutputConfig, in the dialog's order.
void StoreSettings(HWND dialog) {
  OutputConfig& c = outputConfig;
  std::memset(c.namePattern, 0, sizeof c.namePattern);
  GetDlgItemTextA(dialog, IDC_NAME_PATTERN, c.namePattern, kNamePatternSize);
  c.quality = static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_QUALITY, TBM_GETPOS, 0, 0));
  c.optimize = Checked(dialog, IDC_OPTIMIZE) ? 1 : 0;
  c.progression = Checked(dialog, IDC_PROGRESSIVE) ? 1 : 0;
  // The 4:2:0 radio (code 2) is the fallback and is never asked.
  static const int kAsked[] = {0, 1, 3, 4, 5, 6};
  c.downsampling = 2;
  for (int code : kAsked) {
    if (Checked(dialog, IDC_SAMPLING_FIRST + code)) {
      c.downsampling = code;
      break;
    }
  }
  c.quantize = Checked(dialog, IDC_QUANT_FIRST + 1) ? 1 : (Checked(dialog, IDC_QUANT_FIRST + 2) ? 2 : 0);
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      StoreSettings(dialog);
      EndDialog(dialog, 1);
      break;
    case IDCANCEL:
      EndDialog(dialog, 2);
      break;
  }
  return FALSE;
}

INT_PTR OnHScroll(HWND dialog, LPARAM lParam) {
  HWND quality = GetDlgItem(dialog, IDC_QUALITY);
  if (reinterpret_cast<HWND>(lParam) == quality) {
    ShowQuality(dialog, static_cast<int>(SendMessageA(quality, TBM_GETPOS, 0, 0)));
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_HSCROLL:
      return OnHScroll(dialog, lParam);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
    case WM_CLOSE:
      EndDialog(dialog, 1);
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL __cdecl ShowConfigDialog(HWND owner, HINSTANCE instance) {
  // The trackbar's window class must exist before the template is instantiated.
  INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  DialogBoxParamA(instance, "CONFIG", owner, ConfigDialogProc, 0);
  return TRUE;
}

}  // namespace seqwriter
