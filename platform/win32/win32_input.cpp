// Synthetic keyboard and mouse input, and the clipboard.
#include <cstring>
#include <cwchar>

#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"

namespace tora {

namespace {

// Keys that a keyboard sends with the extended prefix: without the flag a
// program that reads scan codes takes the arrows and the editing keys for
// their numeric-keypad twins.
bool IsExtendedKey(uint8_t vk) {
  switch (vk) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_RCONTROL: case VK_RMENU: case VK_DIVIDE:
      return true;
    default:
      return false;
  }
}

// The first visible, enabled edit control (any class with "edit" in its
// name: Edit, RichEdit20W, ...) among a window's descendants.
BOOL CALLBACK FindEditChild(HWND child, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(child, name, 63);
  CharLowerW(name);
  if (wcsstr(name, L"edit") && IsWindowVisible(child) && IsWindowEnabled(child)) {
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
  }
  return TRUE;
}

// The window that takes the keys posted to a bound window. A top-level
// window does not type; its edit control does. So: the control that has the
// keyboard focus inside it; when its program is in the background (its
// thread then reports no focus), its first edit control; else the window.
HWND KeyTarget(HWND window) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof(gui);
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (thread != 0 && GetGUIThreadInfo(thread, &gui) && gui.hwndFocus &&
      (gui.hwndFocus == window || IsChild(window, gui.hwndFocus)))
    return gui.hwndFocus;
  HWND edit = nullptr;
  EnumChildWindows(window, &FindEditChild, reinterpret_cast<LPARAM>(&edit));
  return edit ? edit : window;
}

}  // namespace

// With the key's scan code, as a keyboard would send it: programs that read
// scan codes (games, remote desktops, virtual machines) see the real key.
void Win32Input::KeyEvent(uint8_t vk, bool key_up) {
  const BYTE scan = static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  DWORD flags = key_up ? KEYEVENTF_KEYUP : 0;
  if (IsExtendedKey(vk)) flags |= KEYEVENTF_EXTENDEDKEY;
  keybd_event(vk, scan, flags, 0);
}

void Win32Input::PostKey(WindowHandle window, KeyMessage message, int32_t code) {
  UINT msg = WM_KEYDOWN;
  switch (message) {
    case KeyMessage::KeyDown: msg = WM_KEYDOWN; break;
    case KeyMessage::KeyUp: msg = WM_KEYUP; break;
    case KeyMessage::SysKeyDown: msg = WM_SYSKEYDOWN; break;
    case KeyMessage::SysKeyUp: msg = WM_SYSKEYUP; break;
  }
  // The code goes as given, sign and all: the target sees what the script wrote.
  PostMessageW(KeyTarget(ToHwnd(window)), msg, static_cast<WPARAM>(static_cast<uint32_t>(code)), 0);
}

void Win32Input::SetCursorPos(int32_t x, int32_t y) { ::SetCursorPos(x, y); }

void Win32Input::MouseEvent(uint32_t flags) { mouse_event(flags, 0, 0, 0, 0); }

namespace {

// Another program may hold the clipboard for a moment (a clipboard viewer
// reading our last text); keep trying for a short while.
bool OpenClipboardSoon(uint32_t timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (OpenClipboard(nullptr)) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    WaitServingSentMessages(nullptr, 5);
  }
}

}  // namespace

bool Win32Clipboard::PutText(const std::string& gbk) {
  // Placed as UTF-16, so that the text means the same whatever the system's
  // ANSI code page is; the system offers it as plain text to the others.
  const std::wstring wide = Widen(gbk);
  if (!OpenClipboardSoon(open_timeout_ms_)) return false;
  EmptyClipboard();
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  bool placed = false;
  if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = GlobalLock(block)) {
      std::memcpy(p, wide.c_str(), bytes);
      GlobalUnlock(block);
      placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
    // The clipboard owns the block only once it has taken it.
    if (!placed) GlobalFree(block);
  }
  CloseClipboard();
  return placed;
}

}  // namespace tora
