#include "ui/low_level_hook.h"

#include <utility>

#include "ui/fault_guard.h"

namespace tora {

namespace {

// A hook procedure gets no pointer of its own: each installed hook has a
// slot, and a procedure that knows its slot's number.
struct Slot {
  HHOOK hook = nullptr;
  const char* name = "";
  LowLevelHook::Handler handler;
};

constexpr int kSlots = 8;

Slot& SlotAt(int n) {
  static Slot slots[kSlots];
  return slots[n];
}

template <int N>
LRESULT CALLBACK SlotProc(int code, WPARAM wparam, LPARAM lparam) {
  Slot& slot = SlotAt(N);
  if (code == HC_ACTION && slot.handler) {
    // A copy: the handler may end its own hook.
    const LowLevelHook::Handler handler = slot.handler;
    if (Guarded(slot.name, false, [&] { return handler(wparam, lparam); })) return 1;
  }
  return CallNextHookEx(slot.hook, code, wparam, lparam);
}

HOOKPROC ProcOf(int n) {
  static constexpr HOOKPROC procs[kSlots] = {&SlotProc<0>, &SlotProc<1>, &SlotProc<2>, &SlotProc<3>,
                                             &SlotProc<4>, &SlotProc<5>, &SlotProc<6>, &SlotProc<7>};
  return procs[n];
}

}  // namespace

bool LowLevelHook::Install(int kind, const char* name, Handler handler) {
  if (installed()) return true;
  for (int n = 0; n < kSlots; ++n) {
    Slot& slot = SlotAt(n);
    if (slot.hook) continue;
    slot.name = name;
    slot.handler = std::move(handler);
    slot.hook = SetWindowsHookExW(kind, ProcOf(n), GetModuleHandleW(nullptr), 0);
    if (!slot.hook) {
      slot.handler = nullptr;
      return false;
    }
    slot_ = n;
    return true;
  }
  return false;
}

void LowLevelHook::Remove() {
  if (!installed()) return;
  Slot& slot = SlotAt(slot_);
  UnhookWindowsHookEx(slot.hook);
  slot.hook = nullptr;
  slot.handler = nullptr;
  slot_ = -1;
}

}  // namespace tora
