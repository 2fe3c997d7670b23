#include "tools/tool_logic.h"

#include <algorithm>
#include <limits>

#include "engine/text_util.h"
#include "platform/text.h"
#include "tools/texts.h"

namespace tora {

namespace {

constexpr int32_t kScrollStep = 10;
// The magnifier enlarges three times, from 5 pixels right of and below the
// marker's corner.
constexpr int32_t kZoomFactor = 3;
constexpr int32_t kZoomShift = 5;
// What a window item's handle follows: "(ID:".
constexpr size_t kItemPrefixBytes = 4;

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

ItemHandleValue LeadingHandle(const std::string& text, size_t& digits) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  uint64_t value = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    const unsigned d = static_cast<unsigned>(text[i] - '0');
    value = value > (limit - d) / 10 ? limit : value * 10 + d;
  }
  if (!negative) return static_cast<ItemHandleValue>(value);
  return value == uint64_t{1} << 63 ? std::numeric_limits<ItemHandleValue>::min()
                                    : -static_cast<ItemHandleValue>(value);
}

ItemHandleValue ItemHandle(const std::string& text) {
  if (text.size() <= kItemPrefixBytes) return 0;
  const size_t close = text.find(')');
  if (close != std::string::npos && close <= kItemPrefixBytes) return 0;
  const std::string number =
      text.substr(kItemPrefixBytes, close == std::string::npos ? std::string::npos : close - kItemPrefixBytes);
  size_t digits = 0;
  return LeadingHandle(number, digits);
}

std::string RectText(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  return Format("%d,%d,%d,%d", static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
                static_cast<int>(y2));
}

std::string CutFileName(int32_t x, int32_t y) { return Format("%d_%d", static_cast<int>(x), static_cast<int>(y)); }

std::string OverwriteQuestion(const std::string& path) {
  // The last separator that is a character of its own, not a GBK trail byte.
  size_t name_start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsGbkPairAt(path, i)) {
      ++i;
      continue;
    }
    if (path[i] == '\\' || path[i] == '/') name_start = i + 1;
  }
  return path.substr(name_start) + tool_texts::kOverwriteQuestion;
}

}  // namespace tora
