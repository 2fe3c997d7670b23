// The screen cut's tool strip: "保存" (Enter) and "退出" (Esc) under the
// rectangle just cut. Each cut has one, shown again for each rectangle.
#pragma once

#include <functional>

#include "res/resource.h"
#include "ui/dialog_base.h"

namespace tora {

class ScreenCutStrip : public DialogBase {
 public:
  // What the user chose: true to save the cut, false to leave it.
  using Chosen = std::function<void(bool save)>;

  // Shows the strip topmost at (x, y), creating it the first time (owned by
  // the cut's overlay, it goes with it); chosen hears of the button pressed.
  bool Serve(HINSTANCE instance, HWND overlay, int x, int y, Chosen chosen);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  Chosen chosen_;
};

}  // namespace tora
