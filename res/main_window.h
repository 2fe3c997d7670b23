// Control ids of the main window (template 102).
#pragma once

#define IDC_START 1000
#define IDC_SETUP_KEYS 1014
#define IDC_STOP 1037
#define IDC_STATUS_LIST 1040
#define IDC_CPU_PRIORITY 1051
#define IDC_BROWSE 1052
#define IDC_STOP_HOTKEY 1057
#define IDC_WEB_PANE 1097
#define IDC_WEB_LINK 1098
#define IDC_SHOW_ACTIONS 1103
#define IDC_SCRIPT_FILE 1138
#define IDC_START_HOTKEY 1142
#define IDC_SET_HOTKEYS 1144
