// The editor's repeat list and code box as the pages and "添加代码" use them.
#include "editor/win32/editor_window.h"

#include "editor/codegen.h"
#include "editor/page_texts.h"
#include "editor/texts.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"
#include "ui/messages.h"

namespace tora {

void EditorWindow::FillChoices(int combo_id, bool conditions) {
  const std::string code = Narrow(CodeBoxText());
  ReplaceItems(Item(combo_id), conditions ? ConditionBoxItems(code) : WindowBoxItems(code));
}

void EditorWindow::AddRepeatCode() {
  RepeatCodeInput in;
  in.recording = mouse_.recording();
  namespace et = editor_texts;
  const struct {
    int id;
    const char* field;
    std::string* text;
  } fields[] = {{IDC_REPEAT_INTERVAL, et::kFieldInterval, &in.interval},
                {IDC_REPEAT_COUNT, et::kFieldCount, &in.count},
                {IDC_REPEAT_LIST, et::kFieldRepeatList, &in.repeat_list},
                {IDC_REPEAT_CONDITION, et::kFieldCondition, &in.condition},
                {IDC_REPEAT_WINDOW, et::kFieldWindow, &in.window},
                {IDC_REPEAT_DESCRIPTION, et::kFieldDescription, &in.description}};
  for (const auto& f : fields)
    if (!FieldText(Item(f.id), f.field, hwnd(), *f.text)) return;
  in.code_box = Narrow(CodeBoxText());
  in.priority = SendMessageW(Item(IDC_REPEAT_PRIORITY), BM_GETCHECK, 0, 0) == BST_CHECKED;
  const RepeatCodeResult result = tora::AddRepeatCode(in);
  if (!result.message.empty()) {
    Tell(result.message);
    return;
  }
  if (!result.question.empty() && MessageBoxW(hwnd(), Widen(result.question).c_str(), Widen(texts::kAppTitle).c_str(),
                                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return;
  // Only the new code is added at the end, so that the rest of the code box
  // (and any character in it) is left exactly as it stands.
  const std::string added = result.code_box.substr(in.code_box.size());
  HWND box = Item(IDC_CODE_BOX);
  const LRESULT end = GetWindowTextLengthW(box);
  SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(added).c_str()));
  for (int id : {IDC_REPEAT_LIST, IDC_REPEAT_DESCRIPTION, IDC_REPEAT_CONDITION, IDC_REPEAT_WINDOW})
    SetItemText(id, std::string());
}

std::string EditorWindow::Code() { return Narrow(CodeBoxText()); }

void EditorWindow::PrependCode(const std::string& gbk) {
  // The box's text goes whole before anything is put in front of it.
  CompleteFill();
  HWND box = Item(IDC_CODE_BOX);
  SendMessageW(box, EM_SETSEL, 0, 0);
  SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(gbk).c_str()));
  SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

bool EditorWindow::RepeatListField(const char* field, std::string& gbk) {
  return FieldText(Item(IDC_REPEAT_LIST), field, hwnd(), gbk);
}

bool EditorWindow::IntervalField(const char* field, std::string& gbk) {
  return FieldText(Item(IDC_REPEAT_INTERVAL), field, hwnd(), gbk);
}

std::wstring EditorWindow::RepeatListText() { return ControlTextWide(Item(IDC_REPEAT_LIST)); }

void EditorWindow::AppendToRepeatList(const std::string& gbk) {
  HWND list = Item(IDC_REPEAT_LIST);
  if (!list) return;
  // Replacing an empty selection at the very end appends without rewriting
  // the whole list (a recording of thousands of clicks stays quick) and
  // without a round trip of the user's text through GBK.
  const LRESULT end = GetWindowTextLengthW(list);
  SendMessageW(list, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(list, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(gbk).c_str()));
}

void EditorWindow::ClearRepeatList() { SetItemText(IDC_REPEAT_LIST, std::string()); }

void EditorWindow::CutRepeatList(size_t chars) {
  HWND list = Item(IDC_REPEAT_LIST);
  SendMessageW(list, EM_SETSEL, static_cast<WPARAM>(chars), -1);
  SendMessageW(list, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

void EditorWindow::ShowRecording(bool recording) {
  SetItemText(IDC_RECORD_BUTTON, recording ? page_texts::kRecordStop : page_texts::kRecordStart);
  if (recording)
    RegisterHotKey(hwnd(), kRecordingStopHotkeyId, MOD_CONTROL, VK_F11);
  else
    UnregisterHotKey(hwnd(), kRecordingStopHotkeyId);
}

bool EditorWindow::OnRecordButton(POINT at) {
  HWND button = Item(IDC_RECORD_BUTTON);
  return button && WindowFromPoint(at) == button;
}

void EditorWindow::StayOnTop(bool on) {
  if (exists())
    SetWindowPos(hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace tora
