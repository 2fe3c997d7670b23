// The screen cut: the screen is captured first, then a dimmed full-screen
// overlay lets the user drag a rectangle; "保存" writes that part of the
// capture as a BMP file and tells the owner with kMsgPictureSaved (lParam:
// this overlay), which reads saved_path_text() and position_text().
#pragma once

#include <string>

#include "app/dialog_base.h"
#include "platform/platform.h"
#include "res/resource.h"

namespace tora {

class CCutPicDlg : public DialogBase {
 public:
  // Captures the screen, then creates and shows the overlay (owner as
  // parent). False when it cannot be created.
  bool Open(HINSTANCE instance, HWND owner);

  // The saved file's path with every "\" doubled, and "x,y" of the cut's
  // top-left corner; set before kMsgPictureSaved is sent.
  const std::string& saved_path_text() const { return saved_path_text_; }
  const std::string& position_text() const { return position_text_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void OnButtonDown(POINT at);
  void OnButtonUp(POINT at);
  void OnPaint();
  void Save();
  // The save dialog: the chosen path, or empty when it was cancelled.
  std::string AskPath(const std::string& default_name);

  HINSTANCE instance_ = nullptr;
  HWND owner_ = nullptr;
  Frame screen_;  // the screen as it was before the overlay dimmed it
  bool dragging_ = false;
  POINT start_{};
  POINT end_{};
  std::string saved_path_text_;
  std::string position_text_;
};

}  // namespace tora
