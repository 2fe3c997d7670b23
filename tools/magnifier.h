// The magnifier: a small window that follows the cursor and shows the area
// around it three times enlarged, with its position and colour. While it is
// open the arrow keys move the cursor by one pixel, system-wide.
#pragma once

#include <memory>

#include "platform/win32/gdi.h"
#include "res/resource.h"
#include "ui/dialog_base.h"
#include "ui/low_level_hook.h"

namespace tora {

// Draws what the magnifier's view shows for the cursor into target
// (view_width x view_height): the screen area near the cursor with the
// cursor marker in it, three times enlarged. Only that small area is copied
// from the screen; where it reaches past the screen's edge it is black.
void DrawMagnifiedArea(HDC screen, int screen_width, int screen_height, POINT cursor, HDC target, int view_width,
                       int view_height);

// The cursor marker: a small cross around the pixel under the cursor,
// drawn with its box's top-left corner at (x, y); the cursor sits at the
// box's hotspot.
void DrawCursorMarker(HDC dc, int x, int y);
constexpr POINT kCursorMarkerHotspot{16, 16};

class Magnifier : public DialogBase {
 public:
  ~Magnifier() override;

  // Creates and shows the window, owned by no window: minimising the
  // editor leaves it on the screen, as its arrow keys go on working. False
  // when it cannot be made.
  bool Open(HINSTANCE instance);
  // Removes its hook, stops its timer and destroys it.
  void Close();

  // One tick of its timer: follow the cursor, read and show. Public for the
  // tests.
  void Follow();
  COLORREF colour() const { return colour_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  INT_PTR OnInitDialog();
  // The hook and the timer run exactly while the window is on the screen:
  // a hidden magnifier takes no arrow key from anyone.
  void StartHookAndTimer();
  void StopHookAndTimer();
  void Draw(const DRAWITEMSTRUCT& item) const;

  // One key event while the magnifier shows: true for an arrow key, which
  // it takes for itself.
  static bool MoveCursorByArrow(WPARAM message, const KBDLLHOOKSTRUCT& key);

  LowLevelHook arrow_keys_;
  COLORREF colour_ = 0;
  std::unique_ptr<DibCanvas> view_;
};

}  // namespace tora
