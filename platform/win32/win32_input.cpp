// Synthetic keyboard and mouse input, and the clipboard.
#include <cstring>

#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"

namespace tora {

void Win32Input::KeyEvent(uint8_t vk, bool key_up) { keybd_event(vk, 0, key_up ? KEYEVENTF_KEYUP : 0, 0); }

void Win32Input::PostKey(WindowHandle window, KeyMessage message, int32_t code) {
  UINT msg = WM_KEYDOWN;
  switch (message) {
    case KeyMessage::KeyDown: msg = WM_KEYDOWN; break;
    case KeyMessage::KeyUp: msg = WM_KEYUP; break;
    case KeyMessage::SysKeyDown: msg = WM_SYSKEYDOWN; break;
    case KeyMessage::SysKeyUp: msg = WM_SYSKEYUP; break;
  }
  // The code goes as given, sign and all: the target sees what the script wrote.
  PostMessageW(ToHwnd(window), msg, static_cast<WPARAM>(static_cast<uint32_t>(code)), 0);
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
