#include "tools/zoom_dlg.h"

namespace tora {

bool CZoomDlg::Open(HINSTANCE instance, HWND owner) {
  if (!CreateModeless(instance, IDD_ZOOM, owner)) return false;
  ShowWindow(hwnd(), SW_SHOW);
  return true;
}

void CZoomDlg::Close() { Destroy(); }

INT_PTR CZoomDlg::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      return LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL;
    default:
      return FALSE;
  }
}

}  // namespace tora
