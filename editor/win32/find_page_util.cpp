#include "editor/win32/find_page_util.h"

#include "editor/texts.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"

namespace tora {

void EnableRangeControls(HWND page, bool moving, int label, int box, int button) {
  for (int id : {label, box, button}) EnableWindow(GetDlgItem(page, id), moving ? TRUE : FALSE);
}

bool AcceptEdit(const PageEdit& edit, HWND owner) {
  if (!edit.refused) return true;
  if (edit.message.empty()) return false;
  if (edit.hint_box)
    MessageBoxW(nullptr, Widen(edit.message).c_str(), Widen(editor_texts::kHintCaption).c_str(), MB_OK);
  else
    MessageBoxW(owner, Widen(edit.message).c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
  return false;
}

}  // namespace tora
