#include "editor/tool_logic.h"

#include <algorithm>

#include "engine/text_util.h"
#include "tools/texts.h"

namespace tora {

namespace {

constexpr int32_t kScrollStep = 10;
// The magnifier enlarges three times, from 5 pixels right of and below the
// marker's corner.
constexpr int32_t kZoomFactor = 3;
constexpr int32_t kZoomShift = 5;

}  // namespace

int32_t ScrollOffset(ScrollRequest request, int32_t offset, int32_t maximum, int32_t thumb) {
  switch (request) {
    case ScrollRequest::kLineBack:
    case ScrollRequest::kPageBack:
      return offset >= -(kScrollStep - 1) ? offset - kScrollStep : offset;
    case ScrollRequest::kLineForward:
    case ScrollRequest::kPageForward:
      return static_cast<int64_t>(offset) < static_cast<int64_t>(maximum) + kScrollStep ? offset + kScrollStep
                                                                                          : offset;
    case ScrollRequest::kThumbPosition:
    case ScrollRequest::kThumbTrack:
      return thumb;
    case ScrollRequest::kStart:
      return 0;
    case ScrollRequest::kEnd:
    case ScrollRequest::kEndScroll:
    default:
      return offset;
  }
}

Point PictureFromView(Point view, int32_t view_width, int32_t view_height, int32_t h_offset, int32_t v_offset) {
  if (view.x < 0 || view.y < 0 || view.x >= view_width || view.y >= view_height) return view;
  return Point{view.x - 1 + h_offset, view.y - 1 + v_offset};
}

MagnifierArea MagnifierSource(Point cursor, Point hotspot, int32_t view_width, int32_t view_height,
                              int32_t screen_width, int32_t screen_height) {
  MagnifierArea area;
  area.marker = Point{cursor.x - hotspot.x, cursor.y - hotspot.y};
  const int32_t sw = view_width / kZoomFactor;
  const int32_t sh = view_height / kZoomFactor;
  const auto clamp = [](int32_t start, int32_t size, int32_t screen) {
    start = std::max(start, 0);
    if (start + size > screen) start = screen - size;
    return start;
  };
  const int32_t left = clamp(area.marker.x, sw, screen_width) + kZoomShift;
  const int32_t top = clamp(area.marker.y, sh, screen_height) + kZoomShift;
  area.source = Rect{left, top, left + sw, top + sh};
  return area;
}

Rect OnScreenPart(const Rect& area, int32_t screen_width, int32_t screen_height) {
  Rect part{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, screen_width),
            std::min(area.bottom, screen_height)};
  if (part.right < part.left) part.right = part.left;
  if (part.bottom < part.top) part.bottom = part.top;
  return part;
}

std::string MagnifierColourText(uint32_t colour) {
  return Format(tool_texts::kMagnifierColour, static_cast<unsigned>(colour));
}

}  // namespace tora
