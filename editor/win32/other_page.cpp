#include "editor/win32/other_page.h"

#include <vector>

#include "editor/page_rows.h"
#include "editor/page_texts.h"
#include "platform/win32/wide.h"

namespace tora {

namespace {

namespace t = page_texts;

}  // namespace

void COther::OnPageCreated() {
  // Texts of any length: the edit controls' default limit would stop the
  // user's typing at 32,767 characters.
  SendMessageW(Item(kIdPasteText), EM_SETLIMITTEXT, 0, 0);
  SendMessageW(Item(kIdWebAddress), EM_SETLIMITTEXT, 0, 0);
  HWND pause = Item(kIdOtherPause);
  for (const char* item : t::kOtherPauseItems)
    AddComboItem(pause, item);
  SendMessageW(pause, CB_LIMITTEXT, 0, 0);
  SendMessageW(pause, CB_SETCURSEL, 0, 0);
}

INT_PTR COther::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
    if (LOWORD(wparam) == kIdInsertPasteText) {
      InsertPasteText();
      return TRUE;
    }
    if (LOWORD(wparam) == kIdInsertWebAddress) {
      InsertWebAddress();
      return TRUE;
    }
  }
  return EditorPage::HandleMessage(message, wparam, lparam);
}

void COther::InsertPasteText() { Insert(kIdPasteText, true); }

void COther::InsertWebAddress() { Insert(kIdWebAddress, false); }

void COther::Insert(int text_id, bool paste) {
  const std::wstring wide = ControlTextWide(Item(text_id));
  const std::string pause = ItemText(kIdOtherPause);
  const std::string lossy = Narrow(wide);
  // The page's own refusals come first; only a text that passes them is looked
  // at for characters GBK cannot hold.
  PageRow row = paste ? BuildPasteRows(lossy, pause) : BuildAddressRow(lossy, pause);
  std::string text;
  if (row.message.empty() && !NarrowStrict(wide, text)) row.message = t::kTextNotGbk;
  if (!row.message.empty()) {
    Tell(row.message);
    return;
  }
  AppendToRepeatList(row.row);
  SetItemText(text_id, std::string());
}

}  // namespace tora
