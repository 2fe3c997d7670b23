#include "editor/win32/other_page.h"

#include <vector>

#include "editor/page_rows.h"
#include "editor/page_texts.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"

namespace tora {

namespace {

namespace t = page_texts;

}  // namespace

void OtherPage::OnPageCreated() {
  // Texts of any length: the edit controls' default limit would stop the
  // user's typing at 32,767 characters.
  SendMessageW(Item(IDC_OTHER_PASTE_TEXT), EM_SETLIMITTEXT, 0, 0);
  SendMessageW(Item(IDC_OTHER_WEB_ADDRESS), EM_SETLIMITTEXT, 0, 0);
  HWND pause = Item(IDC_OTHER_PAUSE);
  for (const char* item : t::kOtherPauseItems)
    AddComboItem(pause, item);
  SendMessageW(pause, CB_LIMITTEXT, 0, 0);
  SendMessageW(pause, CB_SETCURSEL, 0, 0);
}

INT_PTR OtherPage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
    if (LOWORD(wparam) == IDC_OTHER_INSERT_TEXT) {
      InsertPasteText();
      return TRUE;
    }
    if (LOWORD(wparam) == IDC_OTHER_INSERT_ADDRESS) {
      InsertWebAddress();
      return TRUE;
    }
  }
  return EditorPage::HandleMessage(message, wparam, lparam);
}

void OtherPage::InsertPasteText() { Insert(IDC_OTHER_PASTE_TEXT, true); }

void OtherPage::InsertWebAddress() { Insert(IDC_OTHER_WEB_ADDRESS, false); }

void OtherPage::Insert(int text_id, bool paste) {
  std::string text, pause;
  if (!Field(text_id, paste ? t::kFieldPasteText : t::kFieldWebAddress, text) ||
      !Field(IDC_OTHER_PAUSE, t::kFieldPause, pause))
    return;
  const PageRow row = paste ? BuildPasteRows(text, pause) : BuildAddressRow(text, pause);
  if (!row.message.empty()) {
    Tell(row.message);
    return;
  }
  host().AppendToRepeatList(row.row);
  SetItemText(text_id, std::string());
}

}  // namespace tora
