// The controls the settings dialogs of the two encoding plug-ins have in common: the quality
// label and trackbar, check boxes, and radio groups that stand for a setting's values.
//
// The plug-ins share nothing at run time, so this is not a library of its own: the source is
// compiled into each DLL (with the DLL's CP932 literals), the way each carries its own copy of
// the encoding core. The dialog procedures stay in the plug-ins, with their own return values.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "core/encoder_values.h"

namespace ui {

// The quality trackbar and the label that shows its position as "圧縮品質 %d".
struct QualityControls {
  int trackbarId;
  int labelId;
};

// Registers the trackbar's window class, which must exist before a template that has one is
// instantiated.
void RegisterTrackbarClass();

// Range core::kQualityMin..kQualityMax with ticks and page steps of 10, the position, and the
// label.
void SetUpQuality(HWND dialog, const QualityControls& q, int quality);
// The trackbar's position.
int32_t QualityPosition(HWND dialog, const QualityControls& q);
// For WM_HSCROLL: true when `scrolled` (its lParam) is the quality trackbar, whose position the
// label then shows; false for any other scroll.
bool FollowQuality(HWND dialog, const QualityControls& q, LPARAM scrolled);

bool IsChecked(HWND dialog, int id);
// Checks the box when `value` is nonzero, and leaves it as it is otherwise.
void CheckIfSet(HWND dialog, int id, int32_t value);
// 1 when the box is checked, 0 otherwise.
int32_t CheckedValue(HWND dialog, int id);

// Radio buttons numbered consecutively, one per value 0..count-1: value v is firstId + v.
// The fallback is the value a radio group shows for, and so stores instead of, any other
// value.
struct RadioGroup {
  int firstId;
  int count;
  int fallback;
};

// The groups of the encoder's choices, with the encoder's ranges and fallbacks.
constexpr RadioGroup SamplingRadios(int firstId) {
  return {firstId, core::kSamplingPresetCount, core::kDefaultSamplingPreset};
}
constexpr RadioGroup QuantTableRadios(int firstId) {
  return {firstId, core::kQuantTableSetCount, core::kDefaultQuantTableSet};
}
constexpr RadioGroup ColorMatrixRadios(int firstId) {
  return {firstId, core::kColorMatrixModeCount, core::kDefaultColorMatrix};
}

// True when `ids`, the group's radios listed in value order, are firstId, firstId + 1, ...: one
// per value, as the mapping above needs. Each dialog checks its groups with a static_assert.
constexpr bool NumberedInValueOrder(const RadioGroup& group, std::initializer_list<int> ids) {
  if (static_cast<int>(ids.size()) != group.count) return false;
  int expected = group.firstId;
  for (const int id : ids) {
    if (id != expected++) return false;
  }
  return true;
}

// The check of the encoder's two groups, written where the dialog's resource.h names their
// radios (both dialogs use the same names).
#define UI_ASSERT_ENCODER_RADIOS_IN_VALUE_ORDER(controls)                                        \
  static_assert(ui::NumberedInValueOrder((controls).sampling,                                     \
                                         {IDC_SAMPLING_1X1, IDC_SAMPLING_2X1, IDC_SAMPLING_2X2,   \
                                          IDC_SAMPLING_GRAY, IDC_SAMPLING_1X2, IDC_SAMPLING_4X2,  \
                                          IDC_SAMPLING_2X4}),                                     \
                "the downsampling radios are numbered in preset order");                          \
  static_assert(ui::NumberedInValueOrder((controls).quantTables,                                  \
                                         {IDC_QUANT_STANDARD, IDC_QUANT_PHOTO, IDC_QUANT_ZIGZAG}), \
                "the quantization table radios are numbered in table set order")

// Checks the radio of `value`, or the fallback's for a value outside 0..count-1.
void CheckRadio(HWND dialog, const RadioGroup& group, int32_t value);
// The first checked radio in value order, the fallback's own radio never asked: the fallback
// when no other one is checked.
int32_t CheckedRadio(HWND dialog, const RadioGroup& group);

// The encoder's controls that both dialogs have, for the fields that both settings records
// have under the same names: quality, optimize, progression, downsampling and quantize.
struct EncoderControls {
  QualityControls quality;
  int optimizeId;
  int progressiveId;
  RadioGroup sampling;
  RadioGroup quantTables;
};

// Puts the record's values into the controls (WM_INITDIALOG).
template <typename Settings>
void ShowEncoderFields(HWND dialog, const EncoderControls& c, const Settings& s) {
  SetUpQuality(dialog, c.quality, s.quality);
  CheckIfSet(dialog, c.optimizeId, s.optimize);
  CheckIfSet(dialog, c.progressiveId, s.progression);
  CheckRadio(dialog, c.sampling, s.downsampling);
  CheckRadio(dialog, c.quantTables, s.quantize);
}

// Reads the controls back into the record (OK, apply).
template <typename Settings>
void StoreEncoderFields(HWND dialog, const EncoderControls& c, Settings* s) {
  s->quality = QualityPosition(dialog, c.quality);
  s->optimize = CheckedValue(dialog, c.optimizeId);
  s->progression = CheckedValue(dialog, c.progressiveId);
  s->downsampling = CheckedRadio(dialog, c.sampling);
  s->quantize = CheckedRadio(dialog, c.quantTables);
}

}  // namespace ui
