// The program's one message loop. Every modeless dialog registers here, so
// that the keyboard works in it as in any dialog (Tab, Shift+Tab, arrow keys
// in groups, mnemonics): each message for a window inside a registered
// dialog is first offered to that dialog's PreTranslate, then goes through
// IsDialogMessage of that dialog.
#pragma once

#include <windows.h>

namespace tora {

class DialogBase;

class MessageLoop {
 public:
  // A modeless top-level dialog to serve; DialogBase registers and forgets
  // its modeless dialogs itself.
  static void AddDialog(DialogBase* dialog);
  static void RemoveDialog(DialogBase* dialog);

  // Runs until WM_QUIT; returns its exit code.
  static int Run();

  // Hands one retrieved message to its dialog or to its window procedure.
  static void Dispatch(MSG& msg);
};

}  // namespace tora
