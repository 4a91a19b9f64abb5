// Control ids of the "CONFIG" dialog. The radio groups are numbered consecutively, so a code
// maps to first + code.
#pragma once

#define IDC_NAME_PATTERN 104
#define IDC_QUALITY_LABEL 105
#define IDC_QUALITY 106
#define IDC_OPTIMIZE 107
#define IDC_PROGRESSIVE 108
#define IDC_SAMPLING_FIRST 109  // 109..115: downsampling codes 0..6
#define IDC_SAMPLING_LAST 115
#define IDC_QUANT_FIRST 116     // 116..118: quantization table sets 0..2
#define IDC_QUANT_LAST 118
