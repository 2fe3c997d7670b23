// The screen cut: the screen is captured first, then a full-screen overlay
// shows that capture dimmed and lets the user drag a rectangle over it; "保存"
// on its strip writes that part of the capture as a BMP file and hands the
// file's path and the cut's place to whoever opened it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "res/resource.h"
#include "tools/screen_cut_strip.h"
#include "tools/screen_overlay.h"

namespace tora {

// Held by a shared pointer: the object stays while its save asks for a file
// name, even when its owner lets it go meanwhile.
class ScreenCut : public DragOverlay, public std::enable_shared_from_this<ScreenCut> {
 public:
  // A picture was saved: the file's path and the cut's top-left corner.
  using Saved = std::function<void(const std::string& path, Point top_left)>;

  // Captures the screen, then creates and shows the overlay (owned by
  // owner); saved hears of the picture once it is written. False when it
  // cannot be created.
  bool Open(HINSTANCE instance, HWND owner, Saved saved);

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
  Saved saved_;
  ScreenCutStrip strip_;
  POINT end_{};
};

}  // namespace tora
