// Control ids of the "找图像" page (template 157).
#pragma once

#define IDC_FI_PATH 1009
#define IDC_FI_OPEN 1086
#define IDC_FI_CUT 1109
#define IDC_FI_MODE 1110
#define IDC_FI_POSITION 1077
#define IDC_FI_POSITION_LABEL 1112
#define IDC_FI_RANGE 1107
#define IDC_FI_RANGE_LABEL 1108
#define IDC_FI_PICK_RECT 1102
#define IDC_FI_PERCENT 1051
#define IDC_FI_NAME 1124
#define IDC_FI_CONDITION 1125
#define IDC_FI_ACTION 1126
#define IDC_FI_CHOICES 1127
#define IDC_FI_INSERT 1119
#define IDC_FI_TEST 1190
