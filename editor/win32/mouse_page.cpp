#include "editor/win32/mouse_page.h"

#include <vector>

#include "editor/page_rows.h"
#include "editor/page_texts.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"
#include "ui/messages.h"

namespace tora {

namespace {

namespace t = page_texts;

void SelectItem(HWND combo, const std::string& gbk) {
  const std::wstring text = Widen(gbk);
  const LRESULT at = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(at == CB_ERR ? 0 : at), 0);
}

}  // namespace

MousePage::~MousePage() { recorder_hook_.Remove(); }

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
  stopped_by_hotkey_ = true;
  ToggleMouseRecording();
}

void MousePage::StartRecording() {
  SharedEditorState().recording = true;
  SetControlText(GetDlgItem(editor(), kIdRecordButton), t::kRecordStop);
  // A recording starts a new list.
  SetControlText(GetDlgItem(editor(), kIdRepeatList), std::string());
  recorder_.Start();
  seen_.clear();
  row_open_ = false;
  last_on_button_ = false;
  // The hook only notes each release and asks the page to write it: a
  // click is never held up by the repeat list, however long it has grown.
  recorder_hook_.Install(WH_MOUSE_LL, "recording hook", [this](WPARAM message, LPARAM) {
    if (SharedEditorState().recording && (message == WM_LBUTTONUP || message == WM_RBUTTONUP)) {
      SeenClick click{message == WM_RBUTTONUP, POINT{0, 0}, GetTickCount()};
      GetCursorPos(&click.at);
      seen_.push_back(click);
      if (!write_posted_) write_posted_ = PostMessageW(hwnd(), kMsgRecordedClicks, 0, 0) != FALSE;
    }
    return false;
  });
  RegisterHotKey(editor(), kRecordingStopHotkey, MOD_CONTROL, VK_F11);
}

void MousePage::StopRecording(bool touch_list) {
  // Every release the hook saw before the stop belongs to this recording,
  // the stop button's own click among them.
  if (touch_list) WriteRecordedClicks();
  seen_.clear();
  SharedEditorState().recording = false;
  SetControlText(GetDlgItem(editor(), kIdRecordButton), t::kRecordStart);
  recorder_.Stop();
  recorder_hook_.Remove();
  HWND list = GetDlgItem(editor(), kIdRepeatList);
  if (touch_list && list && row_open_) {
    if (!stopped_by_hotkey_ && last_on_button_) {
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
  row_open_ = false;
  stopped_by_hotkey_ = false;
  UnregisterHotKey(editor(), kRecordingStopHotkey);
}

void MousePage::WriteRecordedClicks() {
  write_posted_ = false;
  if (seen_.empty() || !SharedEditorState().recording) return;
  std::string text;
  HWND button = GetDlgItem(editor(), kIdRecordButton);
  for (const SeenClick& click : seen_) {
    text += recorder_.Click(click.right, click.at.x, click.at.y, static_cast<uint32_t>(click.tick));
    last_on_button_ = !click.right && button && WindowFromPoint(click.at) == button;
  }
  seen_.clear();
  row_open_ = true;
  AppendToRepeatList(text);
}

void MousePage::OnEditorClosing() {
  // The recording ends with the editor: no hook, no hotkey, and the editor
  // opened again shows "录制鼠标动作" and records nothing until started.
  if (SharedEditorState().recording || recorder_hook_.installed()) StopRecording(false);
}

}  // namespace tora
