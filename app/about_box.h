// The about box: caption, one line and an OK button, all from its template.
#pragma once

#include "ui/dialog_base.h"

namespace tora {

class AboutBox : public DialogBase {
 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    switch (message) {
      case WM_INITDIALOG:
        UseChineseFont();
        return TRUE;
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
          EndDialog(hwnd(), LOWORD(wparam));
          return TRUE;
        }
        return FALSE;
      default:
        return FALSE;
    }
  }
};

}  // namespace tora
