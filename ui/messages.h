// Every private window message of the program, and the ids of its hotkeys,
// timers and notification-area icon, in one place, so that no two meanings
// share a number on the same window.
#pragma once

#include <windows.h>

namespace tora {

// Main window. kMsgStatusRequest is sent (synchronously) by a worker thread:
// wParam a status operation, lParam the line. kMsgOpenUrlRequest is posted
// by a worker for an open-url step. kMsgTrayNotify is the notification-area
// icon's callback, the number the program has always registered its icon with.
constexpr UINT kMsgStatusRequest = WM_APP + 1;
constexpr UINT kMsgOpenUrlRequest = WM_APP + 2;
constexpr UINT kMsgTrayNotify = WM_USER + 102;  // 1126

// The editor's window page. kMsgWindowPicked is posted by its mouse hook on
// a left-button release while it picks a window: wParam x, lParam y (screen).
constexpr UINT kMsgWindowPicked = WM_APP + 21;

// The editor. kMsgScriptChosen is posted to itself when a script was chosen
// in its script list: the choice is carried out once the list has finished
// with the notification.
constexpr UINT kMsgScriptChosen = WM_APP + 10;

// The editor's mouse page. Posted by the recorder's mouse hook: clicks were
// seen and wait to be written into the repeat list.
constexpr UINT kMsgRecordedClicks = WM_APP + 20;

// Hotkeys. The main window's start and stop; the editor's F11 (the cursor's
// position for the mouse and find-colour pages) and the recording stop
// (Ctrl+F11, only while the mouse recorder records); the image tool's PrtScr
// and F10, from its first opening until the program ends.
constexpr int kStartHotkeyId = 333;
constexpr int kStopHotkeyId = 444;
constexpr int kF11HotkeyId = 1009;
constexpr int kRecordingStopHotkeyId = 900;
constexpr int kShotHotkeyId = 107;
constexpr int kFullScreenHotkeyId = 108;

// Timers. The main window's open-url step and status-list drawing; the
// editor's code-box filling and delayed colour test; the image tool's
// screenshot; the rectangle picker's and the screen cut's drag; the
// magnifier's following of the cursor.
constexpr UINT_PTR kOpenUrlTimer = 5;
constexpr UINT_PTR kStatusRedrawTimer = 6;
constexpr UINT_PTR kFillTimer = 1077;
constexpr UINT_PTR kTestColourTimer = 1139;
constexpr UINT_PTR kShotTimer = 107;
constexpr UINT_PTR kDragTimer = 11;
constexpr UINT_PTR kFollowTimer = 999;

// The main window's icon in the notification area.
constexpr UINT kTrayIconId = 111;

}  // namespace tora
