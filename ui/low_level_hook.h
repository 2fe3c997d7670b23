// A low-level keyboard or mouse hook, owned by the window that needs it and
// removed when its holder goes. The system calls such a hook through the
// message loop of the thread that installed it, so a handler runs on the
// interface thread between messages; it must be quick (a hook that keeps
// the system waiting is removed without a word).
#pragma once

#include <windows.h>

#include <functional>

namespace tora {

class LowLevelHook {
 public:
  // One event: the hook's message (WM_KEYDOWN, WM_LBUTTONUP, ...) and the
  // event's structure (KBDLLHOOKSTRUCT or MSLLHOOKSTRUCT). True keeps the
  // event from every later hook and every program.
  using Handler = std::function<bool(WPARAM message, LPARAM event)>;

  LowLevelHook() = default;
  ~LowLevelHook() { Remove(); }
  LowLevelHook(const LowLevelHook&) = delete;
  LowLevelHook& operator=(const LowLevelHook&) = delete;

  // Installs a WH_KEYBOARD_LL or WH_MOUSE_LL hook that hands each event to
  // the handler; name tells the developer trace whose handler failed. True
  // when it is installed (already, or now).
  bool Install(int kind, const char* name, Handler handler);
  void Remove();
  bool installed() const { return slot_ >= 0; }

 private:
  int slot_ = -1;
};

}  // namespace tora
