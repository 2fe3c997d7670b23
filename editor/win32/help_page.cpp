#include "editor/win32/help_page.h"

#include "editor/win32/help_view.h"
#include "ui/web_pane.h"

namespace tora {

void HelpPage::OnPageCreated() {
  if (WebPane* pane = WebPane::FromWindow(Item(IDC_HELP_PANE))) ShowHelpPage(*pane, address_);
}

INT_PTR HelpPage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SIZE) {
    // The pane fills the page, whatever size the editor gives it.
    MoveWindow(Item(IDC_HELP_PANE), 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
    return TRUE;
  }
  return EditorPage::HandleMessage(message, wparam, lparam);
}

}  // namespace tora
