#include "ui/message_loop.h"

#include <algorithm>
#include <vector>

#include "ui/dialog_base.h"
#include "ui/fault_guard.h"

namespace tora {

namespace {

// Few windows ever register (the main window, the editor, the tools): a
// short list beats any map.
std::vector<DialogBase*>& Dialogs() {
  static std::vector<DialogBase*> dialogs;
  return dialogs;
}

}  // namespace

void MessageLoop::AddDialog(DialogBase* dialog) {
  if (dialog && std::find(Dialogs().begin(), Dialogs().end(), dialog) == Dialogs().end())
    Dialogs().push_back(dialog);
}

void MessageLoop::RemoveDialog(DialogBase* dialog) {
  Dialogs().erase(std::remove(Dialogs().begin(), Dialogs().end(), dialog), Dialogs().end());
}

void MessageLoop::Dispatch(MSG& msg) {
  if (msg.hwnd) {
    // The dialog that holds the window the message is for: the window itself
    // or its top-level ancestor (pages are children of children).
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (DialogBase* dialog : Dialogs()) {
      HWND hwnd = dialog->hwnd();
      if (hwnd && (hwnd == root || hwnd == msg.hwnd)) {
        if (dialog->PreTranslate(msg) || IsDialogMessageW(hwnd, &msg)) return;
        break;
      }
    }
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

int MessageLoop::Run() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    // A fault in a dialog's look at the message loses that message only.
    try {
      Dispatch(msg);
    } catch (...) {
      ReportFault("message loop");
    }
  }
}

}  // namespace tora
