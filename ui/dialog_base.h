// A thin base for our dialogs: the dialog procedure keeps `this` from
// WM_INITDIALOG on and hands every message to the derived class, which
// routes each one to a named handler. A dialog runs modal, modeless (served
// by the program's message loop) or as a child page of another window.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/gdi.h"

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

  // Creates the template as a modeless top-level dialog owned by owner,
  // served by the message loop until it is destroyed. False when it could
  // not be created.
  bool CreateModeless(HINSTANCE instance, int template_id, HWND owner);

  // Creates the template (a child template: WS_CHILD | DS_CONTROL) as a
  // child window of parent, such as a page of a tab control.
  bool CreateChild(HINSTANCE instance, int template_id, HWND parent);

  // Destroys a modeless or child dialog (nothing when there is none).
  void Destroy();

  HWND hwnd() const { return hwnd_; }
  bool exists() const { return hwnd_ != nullptr; }

  // A message about to be dispatched to a window of this (modeless)
  // dialog; true when it was taken here and must go no further.
  virtual bool PreTranslate(MSG& msg) { return false; }

 protected:
  // One message; returns TRUE when handled (the dialog manager then does
  // nothing more), FALSE for the default handling.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // A control's whole text, GBK; and setting it.
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& gbk) const;

  // Re-creates the dialog's font with the Chinese character set and gives it
  // to every control: where the template's face is missing (an English
  // system) the font mapper then picks a face that has the glyphs.
  void UseChineseFont();

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  GdiObject<HFONT> font_;
  bool modeless_ = false;
};

}  // namespace tora
