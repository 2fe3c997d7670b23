#include "tools/get_rect_dlg.h"

#include "app/messages.h"
#include "editor/find_code.h"
#include "tools/screen_overlay.h"

namespace tora {

bool CGetRectDlg::Show(HINSTANCE instance, HWND page) {
  if (!exists() && !CreateModeless(instance, IDD_GET_RECT, page)) return false;
  target_ = page;
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  return true;
}

INT_PTR CGetRectDlg::HandleOther(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // Enter and Esc put the picker away without a rectangle.
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        KillTimer(hwnd(), kDragTimer);
        if (dragging_) ReleaseCapture();
        dragging_ = false;
        ShowWindow(hwnd(), SW_HIDE);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      ShowWindow(hwnd(), SW_HIDE);
      return TRUE;
    default:
      return FALSE;
  }
}

// A press also while dragging starts the rectangle anew at this point.
void CGetRectDlg::OnButtonDown(POINT at) {
  start_ = at;
  dragging_ = true;
  SetCapture(hwnd());
  SetTimer(hwnd(), kDragTimer, kDragTimerMs, nullptr);
}

void CGetRectDlg::OnButtonUp(POINT at) {
  if (!dragging_) return;
  KillTimer(hwnd(), kDragTimer);
  dragging_ = false;
  ReleaseCapture();
  if (HDC dc = GetDC(hwnd())) {
    DrawDragRect(dc, start_.x, start_.y, at.x, at.y);
    ReleaseDC(hwnd(), dc);
  }
  rect_text_ = RectText(start_.x, start_.y, at.x, at.y);
  // The page reads the text while the message is being handled; the
  // picker then goes away until it is asked for again.
  if (target_ && IsWindow(target_)) SendMessageW(target_, kMsgRectChosen, 0, 0);
  ShowWindow(hwnd(), SW_HIDE);
}

}  // namespace tora
