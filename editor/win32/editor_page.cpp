#include "editor/win32/editor_page.h"

#include "engine/texts.h"
#include "platform/win32/wide.h"

namespace tora {

EditorShared& SharedEditorState() {
  static EditorShared shared;
  return shared;
}

bool EditorPage::CreatePage(HINSTANCE instance, HWND tab, HWND editor) {
  instance_ = instance;
  editor_ = editor;
  if (!CreateChild(instance, TemplateId(), tab)) return false;
  UseChineseFont();
  OnPageCreated();
  return true;
}

void EditorPage::AppendToRepeatList(const std::string& gbk) {
  HWND list = GetDlgItem(editor_, kIdRepeatList);
  if (!list) return;
  // Replacing an empty selection at the very end appends without rewriting
  // the whole list (a recording of thousands of clicks stays quick) and
  // without a round trip of the user's text through GBK.
  const LRESULT end = GetWindowTextLengthW(list);
  SendMessageW(list, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(list, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(gbk).c_str()));
}

void EditorPage::Tell(const std::string& gbk) const {
  MessageBoxW(editor_ ? editor_ : hwnd(), Widen(gbk).c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
}

INT_PTR EditorPage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) return TRUE;
  return FALSE;
}

}  // namespace tora
