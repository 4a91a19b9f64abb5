// Command and control ids of the still-frame save filter. The radio groups are numbered
// consecutively, so a value maps to first + value.
#pragma once

// Buttons of the filter window, also the editor's menu commands.
#define IDC_SAVE_FRAME 500
#define IDC_SHOW_SETTINGS 501

// The "CONFIG" dialog.
#define IDC_FOLDER 103
#define IDC_QUALITY_LABEL 105
#define IDC_QUALITY 106
#define IDC_OPTIMIZE 107
#define IDC_PROGRESSIVE 108
#define IDC_SAMPLING_FIRST 110  // 110..116: downsampling 0..6
#define IDC_BROWSE 117
#define IDC_BEEP 118
#define IDC_QUANT_FIRST 119     // 119..121: table sets 0..2
#define IDC_MATRIX_FIRST 122    // 122..123: colour matrix 0..1
#define IDC_APPLY 126
#define IDC_CUSTOM_SCRIPT 127
