#include "editor/win32/find_page_util.h"

#include "app/dialog_base.h"
#include "editor/win32/editor_page.h"
#include "editor/texts.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"

namespace tora {

void FillCombo(HWND combo, const char* const* items, size_t count) {
  for (size_t i = 0; i < count; ++i)
    AddComboItem(combo, items[i]);
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

std::string SelectedText(HWND combo) {
  const LRESULT sel = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (sel == CB_ERR) return {};
  const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0);
  if (len == CB_ERR) return {};
  std::wstring item(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(item.data()));
  item.resize(static_cast<size_t>(len));
  return Narrow(item);
}

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
