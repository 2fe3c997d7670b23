// Other programs' windows: find, measure, move and pin them.
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"

namespace tora {

WindowHandle Win32Windows::FindByTitle(const std::string& title) {
  return FromHwnd(FindWindowW(nullptr, Widen(title).c_str()));
}

WindowHandle Win32Windows::FindByClass(const std::string& class_name) {
  // An empty class name would be taken as "any class".
  if (class_name.empty()) return 0;
  return FromHwnd(FindWindowW(Widen(class_name).c_str(), nullptr));
}

bool Win32Windows::IsWindow(WindowHandle window) { return window != 0 && ::IsWindow(ToHwnd(window)); }

bool Win32Windows::GetRect(WindowHandle window, Rect& out) {
  RECT r{};
  if (window == 0 || !GetWindowRect(ToHwnd(window), &r)) return false;
  out = Rect{r.left, r.top, r.right, r.bottom};
  return true;
}

Rect Win32Windows::WorkArea() {
  RECT r{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
    r.right = GetSystemMetrics(SM_CXSCREEN);
    r.bottom = GetSystemMetrics(SM_CYSCREEN);
  }
  return Rect{r.left, r.top, r.right, r.bottom};
}

// Moves and pins go to the window's own thread as requests and never wait
// for it: a program that has stopped answering (a hung game) must not hang
// the keeper, and through it the stop button.
void Win32Windows::Move(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (window != 0)
    SetWindowPos(ToHwnd(window), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

void Win32Windows::SetTopmost(WindowHandle window, bool topmost) {
  if (window == 0) return;
  SetWindowPos(ToHwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

}  // namespace tora
