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

void MousePage::OnPageCreated() {
  for (const char* item : t::kMouseKindItems) AddComboItem(Item(IDC_MOUSE_KIND), item);
  AddComboItem(Item(IDC_MOUSE_COORD_TYPE), t::kCoordAbsoluteItem);
  AddComboItem(Item(IDC_MOUSE_COORD_TYPE), t::kCoordRelativeItem);
  for (const char* item : t::kMousePauseItems) AddComboItem(Item(IDC_MOUSE_PAUSE), item);
  SendMessageW(Item(IDC_MOUSE_KIND), CB_LIMITTEXT, 0, 0);
  SendMessageW(Item(IDC_MOUSE_PAUSE), CB_LIMITTEXT, 0, 0);
  SendMessageW(Item(IDC_MOUSE_POSITION), EM_SETLIMITTEXT, 0, 0);
  SetItemText(IDC_MOUSE_POSITION, t::kPositionStart);
  SendMessageW(Item(IDC_MOUSE_KIND), CB_SETCURSEL, 0, 0);
  SendMessageW(Item(IDC_MOUSE_PAUSE), CB_SETCURSEL, 0, 0);
  // The list is sorted, and how depends on the system's language: the
  // start item is chosen by its text.
  SelectItem(Item(IDC_MOUSE_COORD_TYPE), t::kCoordAbsoluteItem);
}

INT_PTR MousePage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMsgRecordedClicks) {
    WriteRecordedClicks();
    return TRUE;
  }
  if (message == WM_COMMAND) {
    const int id = LOWORD(wparam);
    const WORD code = HIWORD(wparam);
    if (id == IDC_MOUSE_INSERT && code == BN_CLICKED) {
      InsertMouseRow();
      return TRUE;
    }
    if (id == IDC_MOUSE_COORD_TYPE && code == CBN_SELCHANGE) {
      if (const std::optional<std::string> position = PositionForCoordType(ItemText(IDC_MOUSE_COORD_TYPE)))
        SetItemText(IDC_MOUSE_POSITION, *position);
      return TRUE;
    }
  }
  return EditorPage::HandleMessage(message, wparam, lparam);
}

void MousePage::InsertMouseRow() {
  MouseRowInput in;
  in.recording = recording_;
  if (!Field(IDC_MOUSE_KIND, t::kFieldMouseKind, in.kind) ||
      !Field(IDC_MOUSE_POSITION, t::kFieldMousePosition, in.position) ||
      !Field(IDC_MOUSE_PAUSE, t::kFieldPause, in.pause))
    return;
  in.coord_type = ItemText(IDC_MOUSE_COORD_TYPE);
  const PageRow row = BuildMouseRow(in);
  if (!row.message.empty()) {
    Tell(row.message);
    return;
  }
  host().AppendToRepeatList(row.row);
}

void MousePage::TakePosition(const std::string& position) {
  SetItemText(IDC_MOUSE_POSITION, position);
  InsertMouseRow();
}

void MousePage::ToggleMouseRecording() {
  if (!recording_)
    StartRecording();
  else
    StopRecording(true);
}

void MousePage::StopRecordingByHotkey() {
  // The hotkey exists only while recording; one still queued after a stop
  // must not start a new recording.
  if (!recording_) return;
  stopped_by_hotkey_ = true;
  ToggleMouseRecording();
}

void MousePage::StartRecording() {
  recording_ = true;
  host().ShowRecording(true);
  // A recording starts a new list.
  host().ClearRepeatList();
  recorder_.Start();
  seen_.clear();
  row_open_ = false;
  last_on_button_ = false;
  // The hook only notes each release and asks the page to write it: a
  // click is never held up by the repeat list, however long it has grown.
  recorder_hook_.Install(WH_MOUSE_LL, "recording hook", [this](WPARAM message, LPARAM) {
    if (recording_ && (message == WM_LBUTTONUP || message == WM_RBUTTONUP)) {
      SeenClick click{message == WM_RBUTTONUP, POINT{0, 0}, GetTickCount()};
      GetCursorPos(&click.at);
      seen_.push_back(click);
      if (!write_posted_) write_posted_ = PostMessageW(hwnd(), kMsgRecordedClicks, 0, 0) != FALSE;
    }
    return false;
  });
}

void MousePage::StopRecording(bool touch_list) {
  // Every release the hook saw before the stop belongs to this recording,
  // the stop button's own click among them.
  if (touch_list) WriteRecordedClicks();
  seen_.clear();
  recording_ = false;
  host().ShowRecording(false);
  recorder_.Stop();
  recorder_hook_.Remove();
  if (touch_list && row_open_) {
    if (!stopped_by_hotkey_ && last_on_button_) {
      // The button clicked with the mouse: its own click opened the last
      // row, which goes, and every other line stays whole.
      host().CutRepeatList(ButtonStopKeptLength(host().RepeatListText()));
    } else {
      // Ctrl+F11, or the button pressed with Space or Enter: the last
      // click was the user's, and its row is closed with pause 0.
      host().AppendToRepeatList(HotkeyStopText(false));
    }
  }
  row_open_ = false;
  stopped_by_hotkey_ = false;
}

void MousePage::WriteRecordedClicks() {
  write_posted_ = false;
  if (seen_.empty() || !recording_) return;
  std::string text;
  for (const SeenClick& click : seen_) {
    text += recorder_.Click(click.right, click.at.x, click.at.y, static_cast<uint32_t>(click.tick));
    last_on_button_ = !click.right && host().OnRecordButton(click.at);
  }
  seen_.clear();
  row_open_ = true;
  host().AppendToRepeatList(text);
}

void MousePage::OnEditorClosing() {
  // The recording ends with the editor: no hook, no hotkey, and the editor
  // opened again shows "录制鼠标动作" and records nothing until started.
  if (recording_ || recorder_hook_.installed()) StopRecording(false);
}

}  // namespace tora
