// Control ids of the image tool (template 142).
#pragma once

#define IDC_PIC_NAME_LABEL 1152
#define IDC_PIC_NAME 1051
#define IDC_PIC_OPEN 1086
#define IDC_PIC_TARGET_LABEL 1153
#define IDC_PIC_TARGET 1088
#define IDC_PIC_FULL_SCREEN 1102
#define IDC_PIC_SHOT 1087
#define IDC_PIC_HIDE_MAIN 1103
#define IDC_PIC_HINT 1151
#define IDC_PIC_VIEW 1090
#define IDC_PIC_HSCROLL 1089
#define IDC_PIC_VSCROLL 1084
