// The plain types every layer shares: positions, rectangles and sizes in
// pixels of the primary display, a window's handle as a number, and a frame
// of pixels. They sit under the platform seam, so that the seam and the
// portable core above it both stand on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tora {

using WindowHandle = std::uintptr_t;  // 0 = no window

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

struct Size {
  int32_t width = 0;
  int32_t height = 0;
};

constexpr uint32_t kInvalidColour = 0xFFFFFFFFu;

// A capture of the screen or a rendered picture: 32-bit pixels 0x00BBGGRR,
// row 0 at the top.
struct Frame {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // width * height, row-major

  void Resize(int32_t w, int32_t h, uint32_t fill = 0) {
    width = w;
    height = h;
    pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), fill);
  }
  bool Contains(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // A position outside the frame reads as the invalid colour (all bits set).
  uint32_t At(int64_t x, int64_t y) const {
    return Contains(x, y) ? pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]
                          : kInvalidColour;
  }
  void Set(int32_t x, int32_t y, uint32_t c) {
    if (Contains(x, y)) pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = c;
  }
};

}  // namespace tora
