#include "editor/win32/mouse_page.h"

#include <vector>

#include "editor/page_rows.h"
#include "editor/page_texts.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"
#include "ui/fault_guard.h"
#include "ui/messages.h"

namespace tora {

namespace {

namespace t = page_texts;

struct SeenClick {
  bool right;
  POINT at;
  DWORD tick;
};

// Process-wide recording state besides the editor's recording flag. The
// hook only notes each release and asks the page to write it: a click is
// never held up by the repeat list, however long it has grown.
struct RecorderState {
  HHOOK hook = nullptr;
  HWND page = nullptr;  // the mouse page that writes the rows
  std::vector<SeenClick> seen;
  bool write_posted = false;
  bool stopped_by_hotkey = false;
  // A click of this recording has opened a row that the stop closes.
  bool row_open = false;
  // The last click written was a left click on the recording button: the
  // stop click, when the button was clicked with the mouse.
  bool last_on_button = false;
  MouseRecorder recorder;
};

RecorderState& Recorder() {
  static RecorderState state;
  return state;
}

LRESULT CALLBACK RecordClickProc(int code, WPARAM wparam, LPARAM lparam) {
  RecorderState& s = Recorder();
  if (code == HC_ACTION && SharedEditorState().recording && (wparam == WM_LBUTTONUP || wparam == WM_RBUTTONUP)) {
    Guarded("recording hook", 0, [&] {
      SeenClick click{wparam == WM_RBUTTONUP, POINT{0, 0}, GetTickCount()};
      GetCursorPos(&click.at);
      s.seen.push_back(click);
      if (!s.write_posted) s.write_posted = PostMessageW(s.page, kMsgRecordedClicks, 0, 0) != FALSE;
      return 0;
    });
  }
  return CallNextHookEx(s.hook, code, wparam, lparam);
}

void SelectItem(HWND combo, const std::string& gbk) {
  const std::wstring text = Widen(gbk);
  const LRESULT at = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(at == CB_ERR ? 0 : at), 0);
}

}  // namespace

bool MousePage::RecordingHookInstalled() { return Recorder().hook != nullptr; }

void MousePage::OnPageCreated() {
  for (const char* item : t::kMouseKindItems) AddComboItem(Item(kIdMouseKind), item);
  AddComboItem(Item(kIdMouseCoordType), t::kCoordAbsoluteItem);
  AddComboItem(Item(kIdMouseCoordType), t::kCoordRelativeItem);
  for (const char* item : t::kMousePauseItems) AddComboItem(Item(kIdMousePause), item);
  SendMessageW(Item(kIdMouseKind), CB_LIMITTEXT, 0, 0);
  SendMessageW(Item(kIdMousePause), CB_LIMITTEXT, 0, 0);
  SendMessageW(Item(kIdMousePosition), EM_SETLIMITTEXT, 0, 0);
  SetItemText(kIdMousePosition, t::kPositionStart);
  SendMessageW(Item(kIdMouseKind), CB_SETCURSEL, 0, 0);
  SendMessageW(Item(kIdMousePause), CB_SETCURSEL, 0, 0);
  // The list is sorted, and how depends on the system's language: the
  // start item is chosen by its text.
  SelectItem(Item(kIdMouseCoordType), t::kCoordAbsoluteItem);
}

INT_PTR MousePage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMsgRecordedClicks) {
    WriteRecordedClicks();
    return TRUE;
  }
  if (message == WM_COMMAND) {
    const int id = LOWORD(wparam);
    const WORD code = HIWORD(wparam);
    if (id == kIdInsertMouse && code == BN_CLICKED) {
      InsertMouseRow();
      return TRUE;
    }
    if (id == kIdMouseCoordType && code == CBN_SELCHANGE) {
      if (const std::optional<std::string> position = PositionForCoordType(ItemText(kIdMouseCoordType)))
        SetItemText(kIdMousePosition, *position);
      return TRUE;
    }
  }
  return EditorPage::HandleMessage(message, wparam, lparam);
}

void MousePage::InsertMouseRow() {
  MouseRowInput in;
  in.recording = SharedEditorState().recording;
  if (!Field(kIdMouseKind, t::kFieldMouseKind, in.kind) ||
      !Field(kIdMousePosition, t::kFieldMousePosition, in.position) || !Field(kIdMousePause, t::kFieldPause, in.pause))
    return;
  in.coord_type = ItemText(kIdMouseCoordType);
  const PageRow row = BuildMouseRow(in);
  if (!row.message.empty()) {
    Tell(row.message);
    return;
  }
  AppendToRepeatList(row.row);
}

void MousePage::TakePosition(const std::string& position) {
  SetItemText(kIdMousePosition, position);
  InsertMouseRow();
}

void MousePage::ToggleMouseRecording() {
  if (ControlText(GetDlgItem(editor(), kIdRecordButton)) == t::kRecordStart)
    StartRecording();
  else
    StopRecording(true);
}

void MousePage::StopRecordingByHotkey() {
  // The hotkey exists only while recording; one still queued after a stop
  // must not start a new recording.
  if (!SharedEditorState().recording) return;
  Recorder().stopped_by_hotkey = true;
  ToggleMouseRecording();
}

void MousePage::StartRecording() {
  RecorderState& s = Recorder();
  SharedEditorState().recording = true;
  SetControlText(GetDlgItem(editor(), kIdRecordButton), t::kRecordStop);
  // A recording starts a new list.
  SetControlText(GetDlgItem(editor(), kIdRepeatList), std::string());
  s.recorder.Start();
  s.seen.clear();
  s.row_open = false;
  s.last_on_button = false;
  s.page = hwnd();
  if (!s.hook) s.hook = SetWindowsHookExW(WH_MOUSE_LL, &RecordClickProc, GetModuleHandleW(nullptr), 0);
  RegisterHotKey(editor(), kRecordingStopHotkey, MOD_CONTROL, VK_F11);
}

void MousePage::StopRecording(bool touch_list) {
  RecorderState& s = Recorder();
  // Every release the hook saw before the stop belongs to this recording,
  // the stop button's own click among them.
  if (touch_list) WriteRecordedClicks();
  s.seen.clear();
  SharedEditorState().recording = false;
  SetControlText(GetDlgItem(editor(), kIdRecordButton), t::kRecordStart);
  s.recorder.Stop();
  if (s.hook) {
    UnhookWindowsHookEx(s.hook);
    s.hook = nullptr;
  }
  HWND list = GetDlgItem(editor(), kIdRepeatList);
  if (touch_list && list && s.row_open) {
    if (!s.stopped_by_hotkey && s.last_on_button) {
      // The button clicked with the mouse: its own click opened the last
      // row, which goes, and every other line stays whole.
      const size_t keep = ButtonStopKeptLength(ControlTextWide(list));
      SendMessageW(list, EM_SETSEL, static_cast<WPARAM>(keep), -1);
      SendMessageW(list, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    } else {
      // Ctrl+F11, or the button pressed with Space or Enter: the last
      // click was the user's, and its row is closed with pause 0.
      AppendToRepeatList(HotkeyStopText(false));
    }
  }
  s.row_open = false;
  s.stopped_by_hotkey = false;
  UnregisterHotKey(editor(), kRecordingStopHotkey);
}

void MousePage::WriteRecordedClicks() {
  RecorderState& s = Recorder();
  s.write_posted = false;
  if (s.seen.empty() || !SharedEditorState().recording) return;
  std::string text;
  HWND button = GetDlgItem(editor(), kIdRecordButton);
  for (const SeenClick& click : s.seen) {
    text += s.recorder.Click(click.right, click.at.x, click.at.y, static_cast<uint32_t>(click.tick));
    s.last_on_button = !click.right && button && WindowFromPoint(click.at) == button;
  }
  s.seen.clear();
  s.row_open = true;
  AppendToRepeatList(text);
}

void MousePage::OnEditorClosing() {
  // The recording ends with the editor: no hook, no hotkey, and the editor
  // opened again shows "录制鼠标动作" and records nothing until started.
  if (SharedEditorState().recording || Recorder().hook) StopRecording(false);
  Recorder().page = nullptr;
}

}  // namespace tora
