// What the rectangle picker and the screen cut share: a full-screen window
// that shows the screen as it was when it opened, dimmed, and the rectangle
// dragged on it at full brightness. It paints that picture itself, so that
// it looks the same with or without a compositor (a layered window over the
// live screen shows black without one).
#pragma once

#include <windows.h>

#include <memory>

#include "platform/platform.h"
#include "platform/win32/gdi.h"
#include "ui/dialog_base.h"

namespace tora {

// How often both overlays follow the cursor (timer kDragTimer) while a
// rectangle is dragged.
constexpr UINT kDragTimerMs = 50;

// Places the window topmost over the whole primary display.
void CoverScreen(HWND window);

// The cursor position in the window's client coordinates.
POINT CursorIn(HWND window);

// The screen as it was before an overlay covered it, at full brightness and
// dimmed as a black layer at 100 of 255 over it would show it.
class Backdrop {
 public:
  // Copies the primary display; false, with nothing kept, when it cannot.
  bool Take();
  void Drop();
  bool ok() const { return bright_ != nullptr; }

  // Paints area (screen coordinates) of the dimmed picture, and of bright
  // the picture itself. Black where there is no picture.
  void Paint(HDC dc, const RECT& area, const RECT& bright) const;

  // The picture's pixels in the area, 0x00BBGGRR, cut to the picture; empty
  // when nothing of it lies inside.
  Frame Cut(int32_t left, int32_t top, int32_t width, int32_t height) const;

 private:
  std::unique_ptr<DibCanvas> bright_;
  std::unique_ptr<DibCanvas> dim_;
};

// A full-screen dialog on which a rectangle is dragged with the left button:
// the window's set-up, the button messages, and the painting of the
// backdrop with the rectangle shown (from start_ to the cursor while
// dragging_ is set).
class DragOverlay : public DialogBase {
 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) final;
  // Every other message.
  virtual INT_PTR HandleOther(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  virtual void OnButtonDown(POINT at) = 0;
  virtual void OnButtonUp(POINT at) = 0;
  // Painted over the backdrop while no rectangle is being dragged.
  virtual void PaintIdle(HDC dc) {}

  // Shows the rectangle between two corners (either order), the pixels
  // from the smaller corner up to but not including the larger one at full
  // brightness inside a red frame one pixel outside them.
  void ShowArea(POINT a, POINT b);
  void HideArea();
  // Starts and ends a drag at the point: the timer follows the cursor.
  void BeginDrag(POINT at);
  void EndDrag();

  Backdrop backdrop_;
  bool dragging_ = false;
  POINT start_{};

 private:
  void Paint();
  void InvalidateFramed(const RECT& area);

  bool area_shown_ = false;
  RECT area_{};
};

}  // namespace tora
