#include "editor/win32/find_page_util.h"

#include "editor/texts.h"
#include "editor/win32/editor_page.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"

namespace tora {

void EnableRangeControls(HWND page, bool moving, int label, int box, int button) {
  for (int id : {label, box, button}) EnableWindow(GetDlgItem(page, id), moving ? TRUE : FALSE);
}

void PrependToCodeBox(HWND editor, const std::string& gbk) {
  HWND box = GetDlgItem(editor, kIdCodeBox);
  if (!box) return;
  SendMessageW(box, EM_SETSEL, 0, 0);
  SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(gbk).c_str()));
}

bool AcceptEdit(const PageEdit& edit, HWND editor) {
  if (!edit.refused) return true;
  if (edit.message.empty()) return false;
  if (edit.hint_box)
    MessageBoxW(nullptr, Widen(edit.message).c_str(), Widen(editor_texts::kHintCaption).c_str(), MB_OK);
  else
    MessageBoxW(editor, Widen(edit.message).c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
  return false;
}

}  // namespace tora
