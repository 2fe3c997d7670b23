// Where the editor opens beside the main window.
#include "editor/editor_placement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tora {
namespace {

int64_t Overlap(const Rect& a, const Rect& b) {
  const int64_t w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const int64_t h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// Over many work areas, main windows (at the right edge, anywhere, partly
// off the area) and editor sizes: the editor stays in the work area at its
// own size where that fits, leaves the main window free where a side has
// room (the left one first), and otherwise covers no more of it than any
// other place at its height would.
TEST(EditorPlacement, BesideTheMainWindowWhereThereIsRoom) {
  std::mt19937 random(7);
  const auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  for (int i = 0; i < 20000; ++i) {
    const int left = between(-1920, 1920), top = between(-100, 100);
    const Rect area{left, top, left + between(640, 3840), top + between(480, 2160)};
    const int main_w = between(200, 500), main_h = between(300, 700);
    const int main_x = i % 2 ? area.right - main_w : between(area.left - main_w / 2, area.right - main_w / 2);
    const int main_y = between(area.top - 50, area.bottom - 100);
    const Rect main_window{main_x, main_y, main_x + main_w, main_y + main_h};
    const Size editor{between(400, 1800), between(300, 1000)};
    const Rect at = EditorPlacement(area, main_window, editor);
    SCOPED_TRACE(testing::Message() << "case " << i);
    ASSERT_TRUE(at.left >= area.left && at.top >= area.top && at.right <= area.right && at.bottom <= area.bottom);
    const int width = at.right - at.left;
    ASSERT_EQ(width, std::min(editor.width, area.right - area.left));
    ASSERT_EQ(at.bottom - at.top, std::min(editor.height, area.bottom - area.top));
    if (main_window.left - area.left >= width) {
      ASSERT_EQ(at.right, main_window.left);
    } else if (area.right - main_window.right >= width) {
      ASSERT_EQ(at.left, main_window.right);
    } else {
      for (int x = area.left; x + width <= area.right; x += 7)
        ASSERT_LE(Overlap(at, main_window), Overlap(Rect{x, at.top, x + width, at.bottom}, main_window)) << x;
    }
  }
}

}  // namespace
}  // namespace tora
