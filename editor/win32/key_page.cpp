#include "editor/win32/key_page.h"

#include "editor/page_rows.h"
#include "editor/page_texts.h"
#include "engine/key_names.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"

namespace tora {

namespace {

namespace t = page_texts;

constexpr int kKeyBoxes[] = {IDC_KEY_MAIN, IDC_KEY_COMBO1, IDC_KEY_COMBO2, IDC_KEY_COMBO3};

bool IsKeyBox(int id) { return id >= IDC_KEY_MAIN && id <= IDC_KEY_COMBO3; }

bool Held(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

}  // namespace

void KeyPage::InstallCapture(int box) {
  if (capture_.installed()) return;
  held_.Reset();
  if (capture_.Install(WH_KEYBOARD_LL, "key capture hook", [this](WPARAM message, LPARAM event) {
        return CaptureKey(message, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(event));
      }))
    target_ = box;
}

void KeyPage::RemoveCapture() {
  target_ = 0;
  capture_.Remove();
}

bool KeyPage::CaptureKey(WPARAM message, const KBDLLHOOKSTRUCT& info) {
  if (target_ == 0) return false;
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  held_.Note(static_cast<int32_t>(info.vkCode), down);
  KeyCaptureEvent event;
  event.kind = message == WM_KEYDOWN ? KeyEventKind::KeyDown
               : message == WM_SYSKEYDOWN ? KeyEventKind::SysKeyDown
                                          : KeyEventKind::Other;
  event.code = static_cast<int32_t>(info.vkCode);
  // Held by the system's account, or by the hook's own: the key-downs it
  // swallowed never reach the system's key state.
  event.shift_held = Held(VK_SHIFT) || held_.shift();
  event.ctrl_held = Held(VK_CONTROL) || held_.ctrl();
  event.alt_held = Held(VK_MENU) || held_.alt();
  const KeyCaptureOutcome out = KeyCapture(event, true);
  if (out.set_text) SetItemText(target_, out.text);
  return out.swallow;
}

void KeyPage::OnPageCreated() {
  size_t count = 0;
  const KeyNameEntry* names = KeyNameTable(&count);
  for (int id : kKeyBoxes) {
    HWND box = Item(id);
    SendMessageW(box, CB_LIMITTEXT, 0, 0);
    AddComboItem(box, std::string());
    for (size_t i = 0; i < count; ++i) AddComboItem(box, names[i].name);
  }
  for (const char* item : t::kKeyModeItems) AddComboItem(Item(IDC_KEY_MODE), item);
  for (const char* item : t::kKeyPauseItems) AddComboItem(Item(IDC_KEY_PAUSE), item);
  for (int id : {IDC_KEY_MODE, IDC_KEY_PAUSE}) {
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
    if (id == IDC_KEY_INSERT && code == BN_CLICKED) {
      InsertKeyRow();
      return TRUE;
    }
    if (id == IDC_KEY_CLEAR && code == BN_CLICKED) {
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
  if (!Field(IDC_KEY_PAUSE, t::kFieldKeyPause, in.pause) || !Field(IDC_KEY_MODE, t::kFieldKeyMode, in.mode)) return;
  const PageRow row = BuildKeyRow(in);
  if (!row.message.empty()) {
    Tell(row.message);
    return;
  }
  host().AppendToRepeatList(row.row);
  ClearKeys();
}

void KeyPage::ClearKeys() {
  for (int id : kKeyBoxes) SetItemText(id, std::string());
}

void KeyPage::OnEditorClosing() {
  // The hook writes into this page's window, which goes with the editor.
  RemoveCapture();
}

}  // namespace tora
