// What the rectangle picker and the screen cut share: a dimmed, layered
// window over the whole primary display, and the rectangle dragged on it.
#pragma once

#include <windows.h>

#include "app/dialog_base.h"

namespace tora {

// Timer of both overlays: repaints the rectangle while it is dragged.
constexpr UINT_PTR kDragTimer = 11;
constexpr UINT kDragTimerMs = 50;

// Makes the window layered at alpha 100 of 255 (SetLayeredWindowAttributes
// taken from User32 at run time) and places it topmost over the whole
// primary display.
void MakeDimmedFullScreen(HWND window);

// The black brush the overlays paint their background with (a stock object).
HBRUSH OverlayBrush();

// The dragged rectangle: a red frame filled light, so that the chosen area
// shows bright against the dimmed screen.
void DrawDragRect(HDC dc, int x1, int y1, int x2, int y2);

// The cursor position in the window's client coordinates.
POINT CursorIn(HWND window);

// A dimmed full-screen dialog on which a rectangle is dragged with the left
// button: the window's set-up, its background, the button messages and the
// frame repainted on the drag timer while dragging_ is set.
class DragOverlay : public DialogBase {
 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) final;
  // Every other message.
  virtual INT_PTR HandleOther(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  virtual void OnButtonDown(POINT at) = 0;
  virtual void OnButtonUp(POINT at) = 0;
  // Painted when no rectangle is being dragged.
  virtual void PaintIdle(HDC dc) {}

  bool dragging_ = false;
  POINT start_{};
};

}  // namespace tora
