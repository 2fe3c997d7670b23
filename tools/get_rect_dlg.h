// The rectangle picker: a dimmed full-screen overlay on which the user drags
// a rectangle; the page that showed it is told with kMsgRectChosen and reads
// rect_text().
#pragma once

#include <string>

#include "app/dialog_base.h"
#include "res/resource.h"

namespace tora {

class CGetRectDlg : public DialogBase {
 public:
  // Shows the picker over the screen, creating it the first time (page as
  // parent); the page is the window told of the chosen rectangle. False
  // when it cannot be created.
  bool Show(HINSTANCE instance, HWND page);

  // "left,top,right,bottom" of the last rectangle chosen.
  const std::string& rect_text() const { return rect_text_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void OnButtonDown(POINT at);
  void OnButtonUp(POINT at);
  void OnPaint();

  HWND target_ = nullptr;
  bool dragging_ = false;
  POINT start_{};
  std::string rect_text_;
};

}  // namespace tora
