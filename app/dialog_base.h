// A thin base for our dialogs: the dialog procedure keeps `this` from
// WM_INITDIALOG on and hands every message to the derived class, which
// routes each one to a named handler.
#pragma once

#include <windows.h>

namespace tora {

class DialogBase {
 public:
  DialogBase() = default;
  virtual ~DialogBase();
  DialogBase(const DialogBase&) = delete;
  DialogBase& operator=(const DialogBase&) = delete;

  // Runs the dialog template as a modal dialog; returns what EndDialog was
  // given, or -1 when the dialog could not be created.
  INT_PTR RunModal(HINSTANCE instance, int template_id, HWND owner);

  HWND hwnd() const { return hwnd_; }

 protected:
  // One message; returns TRUE when handled (the dialog manager then does
  // nothing more), FALSE for the default handling.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  // Re-creates the dialog's font with the Chinese character set and gives it
  // to every control: where the template's face is missing (an English
  // system) the font mapper then picks a face that has the glyphs.
  void UseChineseFont();

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace tora
