// The screen cut: the screen is captured first, then a full-screen overlay
// shows that capture dimmed and lets the user drag a rectangle over it; "保存"
// writes that part of the capture as a BMP file and tells the owner with
// kMsgPictureSaved (lParam: this overlay), which reads saved_path_text() and
// position_text().
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "res/resource.h"
#include "tools/screen_overlay.h"

namespace tora {

// Held by a shared pointer: the object stays while its save asks for a file
// name, even when its owner lets it go meanwhile.
class ScreenCut : public DragOverlay, public std::enable_shared_from_this<ScreenCut> {
 public:
  // Captures the screen, then creates and shows the overlay (owner as
  // parent). False when it cannot be created.
  bool Open(HINSTANCE instance, HWND owner);

  // The saved file's path with every "\" doubled, and "x,y" of the cut's
  // top-left corner; set before kMsgPictureSaved is sent.
  const std::string& saved_path_text() const { return saved_path_text_; }
  const std::string& position_text() const { return position_text_; }

 protected:
  INT_PTR HandleOther(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnButtonDown(POINT at) override;
  void OnButtonUp(POINT at) override;
  // The hint at the top left.
  void PaintIdle(HDC dc) override;

 private:
  void Save();
  // The save dialog: the chosen path, or empty when it was cancelled.
  std::string AskPath(const std::string& default_name);

  HINSTANCE instance_ = nullptr;
  HWND owner_ = nullptr;
  POINT end_{};
  std::string saved_path_text_;
  std::string position_text_;
};

}  // namespace tora
