// Control ids of the editor's "窗口" page (template 159).
#pragma once

#define IDC_WIN_WINDOW 1041
#define IDC_WIN_CORNER 1054
#define IDC_WIN_TOPMOST 1055
#define IDC_WIN_PICK 1070
#define IDC_WIN_APPLY_TOPMOST 1102
#define IDC_WIN_WIDTH 1077
#define IDC_WIN_HEIGHT 1128
#define IDC_WIN_KEEP_SIZE 1132
#define IDC_WIN_USE_CLASS 1103
#define IDC_WIN_DESCRIPTION 1124
#define IDC_WIN_ADD 1118
