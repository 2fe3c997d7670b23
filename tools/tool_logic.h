// The screen tools' arithmetic and texts: the image tool's scrolling and
// picture positions, the magnifier's source area, the rectangle picker's
// and the screen cut's texts. Pure, so that it is tested without a screen.
#pragma once

#include <cstdint>
#include <string>

#include "platform/geometry.h"

namespace tora {

// Scroll requests, numbered as the system's scroll-bar codes.
enum class ScrollRequest : int {
  kLineBack = 0,     // line left / up
  kLineForward = 1,  // line right / down
  kPageBack = 2,
  kPageForward = 3,
  kThumbPosition = 4,
  kThumbTrack = 5,
  kStart = 6,  // left / top
  kEnd = 7,    // right / bottom
  kEndScroll = 8,
};

// The image tool's new scroll offset after a request. Lines and pages move
// by 10 pixels; back only while the offset is >= -9, forward only while it
// is below maximum + 10 (maximum = picture size - view size, negative for a
// picture smaller than the view).
int32_t ScrollOffset(ScrollRequest request, int32_t offset, int32_t maximum, int32_t thumb);

// A point in the picture view's client area as a pixel of the shown
// picture: picture pixel (offset) is painted at view position (1, 1). A
// point outside the view (w x h) is given back unchanged.
Point PictureFromView(Point view, int32_t view_width, int32_t view_height, int32_t h_offset, int32_t v_offset);

// What the magnifier shows: the marker drawn at the cursor less the
// marker's hotspot, and the area of the screen that the view enlarges three
// times, view/3 in size, starting 5 pixels right of and below the marker's
// corner, kept on the screen where it can be (the right and bottom edges
// still let it reach 5 pixels past).
struct MagnifierArea {
  Point marker;  // the marker's top-left corner on the screen
  Rect source;   // the screen area the view shows
};
MagnifierArea MagnifierSource(Point cursor, Point hotspot, int32_t view_width, int32_t view_height,
                              int32_t screen_width, int32_t screen_height);

// The part of a rectangle that lies on a screen of the given size (empty,
// right <= left or bottom <= top, when none does).
Rect OnScreenPart(const Rect& area, int32_t screen_width, int32_t screen_height);

// The magnifier's colour text of a screen pixel 0x00BBGGRR: six upper-case
// hexadecimal digits, blue first.
std::string MagnifierColourText(uint32_t colour);

// A window handle as the window lists write it (the image tool's targets,
// the window page's items): a signed decimal that holds every handle value
// of the 64-bit build (a handle is no int).
using ItemHandleValue = int64_t;
// The leading decimal number of text (blanks skipped, an optional sign);
// digits counts the digits read. Values past the 64-bit range clamp.
ItemHandleValue LeadingHandle(const std::string& text, size_t& digits);
// The handle in a list item: the leading decimal number of the characters
// after the first four ("(ID:") up to the first ")"; 0 when there is none.
// The image tool's "(ID:<handle>) <title>" and the window page's
// "(ID:<handle>|<class>) <title>" read alike.
ItemHandleValue ItemHandle(const std::string& text);

// The rectangle picker's "left,top,right,bottom" of a drag either way.
std::string RectText(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The screen cut's default file name for a cut whose top-left is (x, y).
std::string CutFileName(int32_t x, int32_t y);
// The question before a saved cut replaces a file: its name without folder.
std::string OverwriteQuestion(const std::string& path);

}  // namespace tora
