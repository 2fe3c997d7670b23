// The rectangle picker: a full-screen overlay showing the screen as it was
// when it was shown, dimmed, on which the user drags a rectangle; the
// rectangle goes to whoever showed it.
#pragma once

#include <functional>

#include "res/resource.h"
#include "tools/screen_overlay.h"

namespace tora {

class RectPicker : public DragOverlay {
 public:
  // The rectangle dragged: the corner where the drag began and the one
  // where it ended, sorted so that left <= right and top <= bottom.
  using Chosen = std::function<void(const Rect& rect)>;

  // Shows the picker over the screen, creating it the first time (owned by
  // owner); chosen gets the rectangle dragged before the picker goes away.
  // False when it cannot be created.
  bool Show(HINSTANCE instance, HWND owner, Chosen chosen);

 protected:
  INT_PTR HandleOther(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnButtonDown(POINT at) override;
  void OnButtonUp(POINT at) override;

 private:
  // Hidden until it is shown again, without its picture of the screen.
  void PutAway();

  Chosen chosen_;
};

}  // namespace tora
