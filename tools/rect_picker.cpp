#include "tools/rect_picker.h"

#include <algorithm>
#include <utility>

#include "tools/screen_overlay.h"

namespace tora {

bool RectPicker::Show(HINSTANCE instance, HWND owner, Chosen chosen) {
  if (!exists() && !CreateModeless(instance, IDD_RECT_PICKER, owner)) return false;
  chosen_ = std::move(chosen);
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
  // The rectangle is taken while it shows; the picker then goes away until
  // it is asked for again.
  const Rect rect{std::min(start_.x, at.x), std::min(start_.y, at.y), std::max(start_.x, at.x),
                  std::max(start_.y, at.y)};
  // A copy: whoever takes the rectangle may show the picker anew.
  if (const Chosen chosen = chosen_) chosen(rect);
  PutAway();
}

}  // namespace tora
