#include "editor/editor_placement.h"

#include <algorithm>

namespace tora {

Rect EditorPlacement(const Rect& work_area, const Rect& main_window, Size editor) {
  const int32_t width = std::max(0, std::min(editor.width, work_area.right - work_area.left));
  const int32_t height = std::max(0, std::min(editor.height, work_area.bottom - work_area.top));
  // Room beside the main window, where it stands partly outside the work
  // area too.
  const int32_t left_room = main_window.left - work_area.left;
  const int32_t right_room = work_area.right - main_window.right;
  int32_t x;
  if (left_room >= width)
    x = main_window.left - width;
  else if (right_room >= width)
    x = main_window.right;
  else
    x = left_room >= right_room ? work_area.left : work_area.right - width;
  // A main window moved off the work area leaves the editor inside it.
  x = std::clamp(x, work_area.left, work_area.right - width);
  const int32_t y = std::clamp(main_window.top, work_area.top, work_area.bottom - height);
  return Rect{x, y, x + width, y + height};
}

}  // namespace tora
