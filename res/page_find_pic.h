// Control ids of the "找图像" page (template 157).
#pragma once

#define IDC_FP_PATH 1009
#define IDC_FP_OPEN 1086
#define IDC_FP_CUT 1109
#define IDC_FP_MODE 1110
#define IDC_FP_POSITION 1077
#define IDC_FP_POSITION_LABEL 1112
#define IDC_FP_RANGE 1107
#define IDC_FP_RANGE_LABEL 1108
#define IDC_FP_PICK_RECT 1102
#define IDC_FP_PERCENT 1051
#define IDC_FP_NAME 1124
#define IDC_FP_CONDITION 1125
#define IDC_FP_ACTION 1126
#define IDC_FP_CHOICES 1127
#define IDC_FP_INSERT 1119
