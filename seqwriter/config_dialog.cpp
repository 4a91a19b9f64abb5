#include "seqwriter/config_dialog.h"

#include <cstring>

#include "seqwriter/output_config.h"
#include "seqwriter/resource.h"
#include "ui/dialog_controls.h"

namespace seqwriter {

namespace {

constexpr ui::EncoderControls kEncoderControls = {
    {IDC_QUALITY, IDC_QUALITY_LABEL}, IDC_OPTIMIZE, IDC_PROGRESSIVE,
    ui::SamplingRadios(IDC_SAMPLING_FIRST), ui::QuantTableRadios(IDC_QUANT_FIRST)};

UI_ASSERT_ENCODER_RADIOS_IN_VALUE_ORDER(kEncoderControls);

// What the dialog ends with: OK and the close box one value, CANCEL the other.
constexpr INT_PTR kEndClosed = 1;
constexpr INT_PTR kEndCancelled = 2;

INT_PTR OnInitDialog(HWND dialog) {
  const OutputConfig& c = outputConfig;
  SetDlgItemTextA(dialog, IDC_NAME_PATTERN, NamePatternText(c).text);
  ui::ShowEncoderFields(dialog, kEncoderControls, c);
  return TRUE;
}

// Stores every control into OutputConfig, in the dialog's order.
void StoreSettings(HWND dialog) {
  OutputConfig& c = outputConfig;
  std::memset(c.namePattern, 0, sizeof c.namePattern);
  GetDlgItemTextA(dialog, IDC_NAME_PATTERN, c.namePattern, kNamePatternSize);
  ui::StoreEncoderFields(dialog, kEncoderControls, &c);
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      StoreSettings(dialog);
      EndDialog(dialog, kEndClosed);
      break;
    case IDCANCEL:
      EndDialog(dialog, kEndCancelled);
      break;
  }
  return FALSE;
}

// The label follows the trackbar; nothing is stored.
INT_PTR OnHScroll(HWND dialog, LPARAM lParam) {
  ui::FollowQuality(dialog, kEncoderControls.quality, lParam);
  return FALSE;
}

// Only OK stores; CANCEL and the close box leave OutputConfig as it was.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_HSCROLL:
      return OnHScroll(dialog, lParam);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
    case WM_CLOSE:
      EndDialog(dialog, kEndClosed);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

BOOL __cdecl ShowConfigDialog(HWND owner, HINSTANCE instance) {
  ui::RegisterTrackbarClass();
  DialogBoxParamA(instance, "CONFIG", owner, ConfigDialogProc, 0);
  return TRUE;
}

}  // namespace seqwriter
