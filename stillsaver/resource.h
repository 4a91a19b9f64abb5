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
#define IDC_BROWSE 117
#define IDC_BEEP 118

// Downsampling 0..6.
#define IDC_SAMPLING_1X1 110
#define IDC_SAMPLING_2X1 111
#define IDC_SAMPLING_2X2 112
#define IDC_SAMPLING_GRAY 113
#define IDC_SAMPLING_1X2 114
#define IDC_SAMPLING_4X2 115
#define IDC_SAMPLING_2X4 116
#define IDC_SAMPLING_FIRST IDC_SAMPLING_1X1

// Quantization table sets 0..2.
#define IDC_QUANT_STANDARD 119
#define IDC_QUANT_PHOTO 120
#define IDC_QUANT_ZIGZAG 121
#define IDC_QUANT_FIRST IDC_QUANT_STANDARD

// Colour matrix 0..1.
#define IDC_MATRIX_NONE 122
#define IDC_MATRIX_BT709 123
#define IDC_MATRIX_FIRST IDC_MATRIX_NONE

#define IDC_APPLY 126
#define IDC_CUSTOM_SCRIPT 127
