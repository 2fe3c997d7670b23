#include "tools/screen_cut_strip.h"

#include <utility>

namespace tora {

bool ScreenCutStrip::Serve(HINSTANCE instance, HWND overlay, int x, int y, Chosen chosen) {
  if (!exists() && !CreateModeless(instance, IDD_SCREEN_CUT_STRIP, overlay)) return false;
  chosen_ = std::move(chosen);
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
      // overlay may be gone (with this window) when the answer returns.
      ShowWindow(hwnd(), SW_HIDE);
      const Chosen chosen = std::exchange(chosen_, nullptr);
      if (chosen) chosen(id == IDOK);
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
