#include "tools/pic_dlg.h"

namespace tora {

bool CPicDlg::Open(HINSTANCE instance) { return CreateModeless(instance, IDD_PIC_TOOL, nullptr); }

bool CPicDlg::PicturePoint(POINT screen, POINT& picture) const { return false; }

INT_PTR CPicDlg::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      UseChineseFont();
      return TRUE;
    case WM_CLOSE:
      // The close box only hides the tool.
      ShowWindow(hwnd(), SW_HIDE);
      return TRUE;
    case WM_COMMAND:
      return LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL;
    default:
      return FALSE;
  }
}

}  // namespace tora
