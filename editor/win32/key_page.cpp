#include "editor/win32/key_page.h"

#include "editor/page_rows.h"
#include "editor/page_texts.h"
#include "engine/key_names.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"
#include "ui/fault_guard.h"

namespace tora {

namespace {

namespace t = page_texts;

constexpr int kKeyBoxes[] = {kIdKeyMain, kIdKeyCombo1, kIdKeyCombo2, kIdKeyCombo3};

bool IsKeyBox(int id) { return id >= kIdKeyMain && id <= kIdKeyCombo3; }

// Process-wide, as the hook procedure has no other way to its page.
struct KeyCaptureState {
  HWND page = nullptr;  // the page's window; the hook writes through it
  HHOOK hook = nullptr;
  int target = 0;       // the key box with the focus, 0 when none
  HeldModifiers held;   // modifiers pressed since the hook was installed
};

KeyCaptureState& Capture() {
  static KeyCaptureState state;
  return state;
}

bool Held(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

LRESULT CALLBACK KeyCaptureProc(int code, WPARAM wparam, LPARAM lparam) {
  KeyCaptureState& s = Capture();
  if (code == HC_ACTION && s.target != 0) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
    const bool down = wparam == WM_KEYDOWN || wparam == WM_SYSKEYDOWN;
    s.held.Note(static_cast<int32_t>(info->vkCode), down);
    KeyCaptureEvent event;
    event.kind = wparam == WM_KEYDOWN ? KeyEventKind::KeyDown
                 : wparam == WM_SYSKEYDOWN ? KeyEventKind::SysKeyDown
                                           : KeyEventKind::Other;
    event.code = static_cast<int32_t>(info->vkCode);
    // Held by the system's account, or by the hook's own: the key-downs it
    // swallowed never reach the system's key state.
    event.shift_held = Held(VK_SHIFT) || s.held.shift();
    event.ctrl_held = Held(VK_CONTROL) || s.held.ctrl();
    event.alt_held = Held(VK_MENU) || s.held.alt();
    const bool swallow = Guarded("key capture hook", false, [&] {
      const KeyCaptureOutcome out = KeyCapture(event, true);
      if (out.set_text) SetControlText(GetDlgItem(s.page, s.target), out.text);
      return out.swallow;
    });
    if (swallow) return 1;
  }
  return CallNextHookEx(s.hook, code, wparam, lparam);
}

void InstallCapture(int box) {
  KeyCaptureState& s = Capture();
  if (s.hook) return;
  s.held.Reset();
  s.hook = SetWindowsHookExW(WH_KEYBOARD_LL, &KeyCaptureProc, GetModuleHandleW(nullptr), 0);
  if (s.hook) s.target = box;
}

void RemoveCapture() {
  KeyCaptureState& s = Capture();
  s.target = 0;
  if (s.hook) {
    UnhookWindowsHookEx(s.hook);
    s.hook = nullptr;
  }
}

}  // namespace

bool KeyPage::CaptureInstalled() { return Capture().hook != nullptr; }
int KeyPage::CaptureTarget() { return Capture().target; }

void KeyPage::OnPageCreated() {
  Capture().page = hwnd();
  size_t count = 0;
  const KeyNameEntry* names = KeyNameTable(&count);
  for (int id : kKeyBoxes) {
    HWND box = Item(id);
    SendMessageW(box, CB_LIMITTEXT, 0, 0);
    AddComboItem(box, std::string());
    for (size_t i = 0; i < count; ++i) AddComboItem(box, names[i].name);
  }
  for (const char* item : t::kKeyModeItems) AddComboItem(Item(kIdKeyMode), item);
  for (const char* item : t::kKeyPauseItems) AddComboItem(Item(kIdKeyPause), item);
  for (int id : {static_cast<int>(kIdKeyMode), static_cast<int>(kIdKeyPause)}) {
    SendMessageW(Item(id), CB_LIMITTEXT, 0, 0);
    SendMessageW(Item(id), CB_SETCURSEL, 0, 0);
  }
}

INT_PTR KeyPage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) {
    const int id = LOWORD(wparam);
    const WORD code = HIWORD(wparam);
    if (IsKeyBox(id) && code == CBN_SETFOCUS) {
      InstallCapture(id);
      return TRUE;
    }
    if (IsKeyBox(id) && code == CBN_KILLFOCUS) {
      RemoveCapture();
      return TRUE;
    }
    if (id == kIdInsertKey && code == BN_CLICKED) {
      InsertKeyRow();
      return TRUE;
    }
    if (id == kIdClearKeys && code == BN_CLICKED) {
      ClearKeys();
      return TRUE;
    }
  }
  return EditorPage::HandleMessage(message, wparam, lparam);
}

void KeyPage::InsertKeyRow() {
  KeyRowInput in;
  for (int i = 0; i < 4; ++i)
    if (!Field(kKeyBoxes[i], t::kKeyBoxNames[i], in.keys[i])) return;
  if (!Field(kIdKeyPause, t::kFieldKeyPause, in.pause) || !Field(kIdKeyMode, t::kFieldKeyMode, in.mode)) return;
  const PageRow row = BuildKeyRow(in);
  if (!row.message.empty()) {
    Tell(row.message);
    return;
  }
  AppendToRepeatList(row.row);
  ClearKeys();
}

void KeyPage::ClearKeys() {
  for (int id : kKeyBoxes) SetItemText(id, std::string());
}

void KeyPage::OnEditorClosing() {
  // The hook writes through this page's window, which goes with the editor.
  RemoveCapture();
  Capture().page = nullptr;
}

}  // namespace tora
