// The screen cut's tool strip: "保存" (Enter) and "退出" (Esc) under the
// rectangle just cut. One per process, shown again for each new cut.
#pragma once

#include "res/resource.h"
#include "ui/dialog_base.h"

namespace tora {

class ScreenCutStrip : public DialogBase {
 public:
  static ScreenCutStrip& Instance();

  // Shows the strip topmost at (x, y), serving the overlay; it is created
  // (the overlay as parent) when there is none for this overlay.
  bool Serve(HINSTANCE instance, HWND overlay, int x, int y);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  HWND overlay_ = nullptr;
};

}  // namespace tora
