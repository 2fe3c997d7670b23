#include "tools/screen_cut_strip.h"

#include "ui/messages.h"

namespace tora {

ScreenCutStrip& ScreenCutStrip::Instance() {
  static ScreenCutStrip strip;
  return strip;
}

bool ScreenCutStrip::Serve(HINSTANCE instance, HWND overlay, int x, int y) {
  // An owned window goes with its owner: a strip made for an earlier
  // overlay is gone with it, and one must never outlive the overlay it
  // serves.
  if (exists() && GetWindow(hwnd(), GW_OWNER) != overlay) Destroy();
  if (!exists() && !CreateModeless(instance, IDD_SCREEN_CUT_STRIP, overlay)) return false;
  overlay_ = overlay;
  SetWindowPos(hwnd(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(hwnd(), SW_SHOW);
  // A window manager may place a window where it likes as it maps it: the
  // strip goes back under the cut.
  SetWindowPos(hwnd(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
  SetForegroundWindow(hwnd());
  return true;
}

INT_PTR ScreenCutStrip::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      UseChineseFont();
      return TRUE;
    case WM_COMMAND: {
      const WORD id = LOWORD(wparam);
      if (id != IDOK && id != IDCANCEL) return FALSE;
      // Out of the way first: the save asks for a file name, and the
      // overlay may be gone (with this window) when the message returns.
      ShowWindow(hwnd(), SW_HIDE);
      const HWND overlay = overlay_;
      overlay_ = nullptr;
      if (overlay && IsWindow(overlay)) SendMessageW(overlay, id == IDOK ? kMsgCutSave : WM_CLOSE, 0, 0);
      return TRUE;
    }
    case WM_CLOSE:
      ShowWindow(hwnd(), SW_HIDE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace tora
