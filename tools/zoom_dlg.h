// The magnifier: a small window that follows the cursor and shows the area
// around it three times enlarged, with its position and colour.
#pragma once

#include "app/dialog_base.h"
#include "res/resource.h"

namespace tora {

class CZoomDlg : public DialogBase {
 public:
  // Creates and shows the window; false when it cannot be made.
  bool Open(HINSTANCE instance, HWND owner);
  // Removes its hook, stops its timer and destroys it.
  void Close();

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
};

}  // namespace tora
