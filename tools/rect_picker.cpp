#include "tools/rect_picker.h"

#include "editor/find_code.h"
#include "tools/screen_overlay.h"
#include "ui/messages.h"

namespace tora {

bool RectPicker::Show(HINSTANCE instance, HWND page) {
  if (!exists() && !CreateModeless(instance, IDD_RECT_PICKER, page)) return false;
  target_ = page;
  // The screen as it is now, before the picker covers it (already shown,
  // the picker keeps the picture it shows).
  if (!IsWindowVisible(hwnd())) {
    backdrop_.Take();
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  return true;
}

void RectPicker::PutAway() {
  EndDrag();
  HideArea();
  ShowWindow(hwnd(), SW_HIDE);
  backdrop_.Drop();
}

INT_PTR RectPicker::HandleOther(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // Enter and Esc put the picker away without a rectangle.
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        PutAway();
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      PutAway();
      return TRUE;
    default:
      return FALSE;
  }
}

// A press also while dragging starts the rectangle anew at this point.
void RectPicker::OnButtonDown(POINT at) { BeginDrag(at); }

void RectPicker::OnButtonUp(POINT at) {
  if (!dragging_) return;
  ShowArea(start_, at);
  rect_text_ = RectText(start_.x, start_.y, at.x, at.y);
  // The page reads the text while the message is being handled; the
  // picker then goes away until it is asked for again.
  if (target_ && IsWindow(target_)) SendMessageW(target_, kMsgRectChosen, 0, 0);
  PutAway();
}

}  // namespace tora
