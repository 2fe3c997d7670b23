#include "tools/screen_overlay.h"

#include <windowsx.h>

#include "platform/win32/gdi.h"

namespace tora {

void MakeDimmedFullScreen(HWND window) {
  SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  using SetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  if (HMODULE user32 = GetModuleHandleW(L"User32.dll")) {
    const FARPROC proc = GetProcAddress(user32, "SetLayeredWindowAttributes");
    SetLayered set_layered = nullptr;
    static_assert(sizeof(set_layered) == sizeof(proc), "function pointers of one size");
    memcpy(&set_layered, &proc, sizeof(proc));
    if (set_layered) set_layered(window, 0, 100, LWA_ALPHA);
  }
  ScreenDc screen;
  const int width = GetDeviceCaps(screen.get(), HORZRES);
  const int height = GetDeviceCaps(screen.get(), VERTRES);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, width, height, SWP_NOACTIVATE);
}

HBRUSH OverlayBrush() { return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)); }

void DrawDragRect(HDC dc, int x1, int y1, int x2, int y2) {
  GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(250, 0, 0)));
  GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(250, 250, 250)));
  Selected use_pen(dc, pen.get());
  Selected use_brush(dc, brush.get());
  Rectangle(dc, x1, y1, x2, y2);
}

INT_PTR DragOverlay::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      dragging_ = false;
      MakeDimmedFullScreen(hwnd());
      return TRUE;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(OverlayBrush());
    case WM_LBUTTONDOWN:
      OnButtonDown(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return TRUE;
    case WM_LBUTTONUP:
      OnButtonUp(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return TRUE;
    case WM_TIMER:
      if (wparam != kDragTimer) return FALSE;
      InvalidateRect(hwnd(), nullptr, TRUE);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      if (dragging_) {
        const POINT now = CursorIn(hwnd());
        DrawDragRect(dc, start_.x, start_.y, now.x, now.y);
      } else {
        PaintIdle(dc);
      }
      EndPaint(hwnd(), &ps);
      return TRUE;
    }
    default:
      return HandleOther(message, wparam, lparam);
  }
}

POINT CursorIn(HWND window) {
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(window, &at);
  return at;
}

}  // namespace tora
