// Every private window message of the program, in one place, so that no two
// meanings share a number on the same window.
#pragma once

#include <windows.h>

namespace tora {

// Main window. kMsgStatusRequest is sent (synchronously) by a worker thread:
// wParam a status operation, lParam the line. kMsgOpenUrlRequest is posted
// by a worker for an open-url step. kMsgTrayNotify is the notification-area
// icon's callback.
constexpr UINT kMsgStatusRequest = WM_APP + 1;
constexpr UINT kMsgOpenUrlRequest = WM_APP + 2;
constexpr UINT kMsgTrayNotify = WM_APP + 3;

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

// The recording stop hotkey (Ctrl+F11), registered on the editor window
// only while the mouse recorder records.
constexpr int kRecordingStopHotkeyId = 900;

}  // namespace tora
