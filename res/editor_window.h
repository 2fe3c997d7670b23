// Control ids of the editor window (template 132): its tab control, the
// repeat list and the settings of the 重复动作 call made of it, the file
// buttons, the code box and the position test.
#pragma once

#define IDC_TABS 1082
#define IDC_REPEAT_LIST 1009
#define IDC_REPEAT_INTERVAL 1030
#define IDC_REPEAT_COUNT 1137
#define IDC_REPEAT_PRIORITY 1130
#define IDC_REPEAT_CONDITION 1116
#define IDC_REPEAT_WINDOW 1034
#define IDC_REPEAT_DESCRIPTION 1124
#define IDC_ADD_CODE 1031
#define IDC_NEW_SCRIPT 1060
#define IDC_OPEN_SCRIPT 1052
#define IDC_SAVE_SCRIPT 1129
#define IDC_COPY_SCRIPT 1134
#define IDC_CLOSE_SAVE 1033
#define IDC_CLOSE_NO_SAVE 1071
#define IDC_SCRIPT_NAME 1051
#define IDC_RECORD_BUTTON 1102
#define IDC_IMAGE_TOOL_BUTTON 1083
#define IDC_MAGNIFIER_BUTTON 1091
#define IDC_CARET_LINE 1148
#define IDC_CODE_BOX 1077
#define IDC_TEST_COLOUR 1139
#define IDC_TEST_RESULT 1140
#define IDC_MOVE_FIRST 1103
#define IDC_TEST_HINT 1141
