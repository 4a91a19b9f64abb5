// Control ids of the "CONFIG" dialog. The radio groups are numbered consecutively, so a code
// maps to first + code.
#pragma once

#define IDC_NAME_PATTERN 104
#define IDC_QUALITY_LABEL 105
#define IDC_QUALITY 106
#define IDC_OPTIMIZE 107
#define IDC_PROGRESSIVE 108

// Downsampling codes 0..6.
#define IDC_SAMPLING_1X1 109
#define IDC_SAMPLING_2X1 110
#define IDC_SAMPLING_2X2 111
#define IDC_SAMPLING_GRAY 112
#define IDC_SAMPLING_1X2 113
#define IDC_SAMPLING_4X2 114
#define IDC_SAMPLING_2X4 115
#define IDC_SAMPLING_FIRST IDC_SAMPLING_1X1

// Quantization table sets 0..2.
#define IDC_QUANT_STANDARD 116
#define IDC_QUANT_PHOTO 117
#define IDC_QUANT_ZIGZAG 118
#define IDC_QUANT_FIRST IDC_QUANT_STANDARD
