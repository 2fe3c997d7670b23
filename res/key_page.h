// Control ids of the editor's "键盘" page (template 137).
#pragma once

#define IDC_KEY_MAIN 1026
#define IDC_KEY_COMBO1 1027
#define IDC_KEY_COMBO2 1028
#define IDC_KEY_COMBO3 1029
#define IDC_KEY_MODE 1034
#define IDC_KEY_PAUSE 1043
#define IDC_KEY_INSERT 1102
#define IDC_KEY_CLEAR 1131
