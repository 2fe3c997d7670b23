// Resource and control ids of the program's windows.
#pragma once

// About box and main window templates.
#define IDD_ABOUT_BOX 100
#define IDD_MAIN_WINDOW 102
// The editor and its pages (each page's control ids are in its own header
// beside its template, res/page_*.h).
#define IDD_EDITOR 132
#define IDD_PAGE_KEY 137
#define IDD_PAGE_MOUSE 138
#define IDD_PAGE_FIND_COLOR 151
#define IDD_PAGE_FIND_IMAGE 157
#define IDD_PAGE_WINDOWS 159
#define IDD_PAGE_HELP 165
#define IDD_PAGE_OTHER 167
// The screen tools (control ids in res/tool_*.h).
#define IDD_IMAGE_TOOL 142
#define IDD_MAGNIFIER 143
#define IDD_SCREEN_CUT 154
#define IDD_SCREEN_CUT_STRIP 155
#define IDD_RECT_PICKER 156
// Application icon.
#define IDR_MAINFRAME 128
// Notification-area menu (its first submenu is the one shown).
#define IDR_TRAY_MENU 149

// System-menu command of the about box.
#define IDM_ABOUT_BOX 0x0010

// Main window controls.
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

// Tray menu commands.
#define ID_TRAY_HELP 32775
#define ID_TRAY_SHOW 32776
#define ID_TRAY_EXIT 32777

// The window class of the web pane's placeholder, registered before the
// main window is created.
#define TORA_WEB_PANE_CLASS L"ToraWebPane"
