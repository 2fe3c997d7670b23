// The rectangle picker: a full-screen overlay showing the screen as it was
// when it was shown, dimmed, on which the user drags a rectangle; the page
// that showed it is told with kMsgRectChosen and reads rect_text().
#pragma once

#include <string>

#include "res/resource.h"
#include "tools/screen_overlay.h"

namespace tora {

class RectPicker : public DragOverlay {
 public:
  // Shows the picker over the screen, creating it the first time (page as
  // parent); the page is the window told of the chosen rectangle. False
  // when it cannot be created.
  bool Show(HINSTANCE instance, HWND page);

  // "left,top,right,bottom" of the last rectangle chosen.
  const std::string& rect_text() const { return rect_text_; }

 protected:
  INT_PTR HandleOther(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnButtonDown(POINT at) override;
  void OnButtonUp(POINT at) override;

 private:
  // Hidden until it is shown again, without its picture of the screen.
  void PutAway();

  HWND target_ = nullptr;
  std::string rect_text_;
};

}  // namespace tora
