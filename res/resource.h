// Resource ids of the program: the windows' templates, the icon and the
// menus. Each window's control ids are in its own header beside its
// template (res/<window>.h, used by res/<window>.rc and by its code).
#pragma once

// About box and main window templates.
#define IDD_ABOUT_BOX 100
#define IDD_MAIN_WINDOW 102
// The editor and its pages.
#define IDD_EDITOR 132
#define IDD_PAGE_KEY 137
#define IDD_PAGE_MOUSE 138
#define IDD_PAGE_FIND_COLOR 151
#define IDD_PAGE_FIND_IMAGE 157
#define IDD_PAGE_WINDOW 159
#define IDD_PAGE_HELP 165
#define IDD_PAGE_OTHER 167
// The screen tools.
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

// Tray menu commands.
#define ID_TRAY_HELP 32775
#define ID_TRAY_SHOW 32776
#define ID_TRAY_EXIT 32777

// The window class of the web pane's placeholder, registered before the
// main window is created.
#define TORA_WEB_PANE_CLASS L"ToraWebPane"
