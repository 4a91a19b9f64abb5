#include "ui/dialog_controls.h"

#include <commctrl.h>

#include "core/encoder_values.h"

namespace ui {

namespace {

constexpr int kQualityTickFrequency = 10;
constexpr int kQualityPageSize = 10;

void ShowQuality(HWND dialog, int labelId, int quality) {
  char text[64];
  wsprintfA(text, "圧縮品質 %d", quality);
  SetDlgItemTextA(dialog, labelId, text);
}

}  // namespace

void RegisterTrackbarClass() {
  INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
}

void SetUpQuality(HWND dialog, const QualityControls& q, int quality) {
  HWND trackbar = GetDlgItem(dialog, q.trackbarId);
  SendMessageA(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(core::kQualityMin, core::kQualityMax));
  SendMessageA(trackbar, TBM_SETTICFREQ, kQualityTickFrequency, 0);
  SendMessageA(trackbar, TBM_SETPAGESIZE, 0, kQualityPageSize);
  SendMessageA(trackbar, TBM_SETPOS, TRUE, quality);
  ShowQuality(dialog, q.labelId, quality);
}

int32_t QualityPosition(HWND dialog, const QualityControls& q) {
  return static_cast<int32_t>(SendDlgItemMessageA(dialog, q.trackbarId, TBM_GETPOS, 0, 0));
}

bool FollowQuality(HWND dialog, const QualityControls& q, LPARAM scrolled) {
  if (reinterpret_cast<HWND>(scrolled) != GetDlgItem(dialog, q.trackbarId)) return false;
  ShowQuality(dialog, q.labelId, QualityPosition(dialog, q));
  return true;
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void CheckIfSet(HWND dialog, int id, int32_t value) {
  if (value != 0) CheckDlgButton(dialog, id, BST_CHECKED);
}

int32_t CheckedValue(HWND dialog, int id) { return IsChecked(dialog, id) ? 1 : 0; }

void CheckRadio(HWND dialog, const RadioGroup& group, int32_t value) {
  const bool known = value >= 0 && value < group.count;
  CheckDlgButton(dialog, group.firstId + (known ? value : group.fallback), BST_CHECKED);
}

int32_t CheckedRadio(HWND dialog, const RadioGroup& group) {
  for (int value = 0; value < group.count; ++value) {
    if (value != group.fallback && IsChecked(dialog, group.firstId + value)) return value;
  }
  return group.fallback;
}

}  // namespace ui
