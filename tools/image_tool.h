// The image tool: a window that shows a picture (a BMP file or a screenshot)
// so that positions and colours can be taken from it with the editor's F11.
#pragma once

#include <memory>
#include <string>

#include "platform/win32/gdi.h"
#include "res/resource.h"
#include "ui/dialog_base.h"

namespace tora {

// What the image tool asks of the windows that opened it.
class ImageToolHost {
 public:
  // A screenshot is about to be taken: the program's own windows leave the
  // screen. False when they were out of sight already (they stay so).
  virtual bool LeaveScreenForShot() = 0;
  // The screenshot is taken: they come back.
  virtual void ReturnAfterShot() = 0;
  // The picture covers the whole screen: the editor stays above it, so
  // that F11 can be used on it; and goes back.
  virtual void KeepAbovePicture(bool above) = 0;

 protected:
  ~ImageToolHost() = default;
};

class ImageTool : public DialogBase {
 public:
  ~ImageTool() override;

  // Creates the window when there is none (modeless, owned by nobody so
  // that it stays when the editor closes), working for host when one is
  // given; false when it cannot be made.
  bool Open(HINSTANCE instance, ImageToolHost* host = nullptr);

  // F11 over the tool: when the window under the screen point is the tool
  // itself, the point in picture coordinates (client coordinates of the
  // picture control; inside it, moved by the scroll offsets and the
  // one-pixel frame). False when the point is not over the tool.
  bool PicturePoint(POINT screen, POINT& picture) const;

  // Operations behind the controls and hotkeys, public for the tests.
  // "打开图像" without its file dialog: shows the BMP file at path.
  void OpenPictureFile(const std::string& path);
  // "截图": at once, or after the program's windows have left the screen.
  void TakeScreenshot();
  void ListWindows();
  void ToggleFullScreen();
  void Scroll(bool horizontal, int request, int thumb);

  bool has_picture() const { return picture_ != nullptr; }
  bool shot_pending() const { return shot_pending_; }
  bool full_screen() const { return full_screen_; }
  int h_offset() const { return h_offset_; }
  int v_offset() const { return v_offset_; }
  // The shown picture's pixel (0x00BBGGRR), or CLR_INVALID outside it.
  COLORREF PicturePixel(int x, int y) const;
  SIZE PictureSize() const;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  INT_PTR OnInitDialog();
  INT_PTR OnCommand(WORD id, WORD code);
  void OpenPicture();
  void CaptureTarget(long long target);
  void FinishScreenshot();
  void ShowPicture(std::unique_ptr<DibCanvas> picture);
  void Layout(int width, int height);
  void DrawView(const DRAWITEMSTRUCT& item) const;
  void Tell(const char* gbk);

  std::unique_ptr<DibCanvas> picture_;
  int h_offset_ = 0;
  int v_offset_ = 0;
  int h_max_ = 0;
  int v_max_ = 0;
  ImageToolHost* host_ = nullptr;
  // A screenshot waits for the program's windows to leave the screen.
  bool shot_pending_ = false;
  bool hid_for_shot_ = false;
  bool host_hidden_ = false;
  long long shot_target_ = 0;
  // The full-screen view and the window's look before it.
  bool full_screen_ = false;
  LONG_PTR saved_style_ = 0;
  LONG_PTR saved_ex_style_ = 0;
  RECT saved_rect_{};
};

}  // namespace tora
