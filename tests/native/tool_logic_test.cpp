// The screen tools' arithmetic: scrolling, picture positions, the
// magnifier's area at the screen's edges, its colour text.
#include <gtest/gtest.h>

#include "tools/tool_logic.h"

namespace tora {
namespace {

using R = ScrollRequest;

TEST(ImageToolScroll, StepsStopTenPixelsPastEitherEnd) {
  EXPECT_EQ(ScrollOffset(R::kLineBack, 0, 300, 0), -10);
  EXPECT_EQ(ScrollOffset(R::kPageBack, -10, 300, 0), -10);
  EXPECT_EQ(ScrollOffset(R::kLineBack, -9, 300, 0), -19);
  EXPECT_EQ(ScrollOffset(R::kLineForward, 300, 300, 0), 310);
  EXPECT_EQ(ScrollOffset(R::kPageForward, 310, 300, 0), 310);
  EXPECT_EQ(ScrollOffset(R::kLineForward, 305, 300, 0), 315);
  // a picture smaller than the view: the maximum is negative
  EXPECT_EQ(ScrollOffset(R::kLineForward, -60, -50, 0), -50);
  EXPECT_EQ(ScrollOffset(R::kLineForward, -40, -50, 0), -40);
  EXPECT_EQ(ScrollOffset(R::kThumbTrack, 40, 300, 123), 123);
  EXPECT_EQ(ScrollOffset(R::kThumbPosition, 40, 300, 7), 7);
  EXPECT_EQ(ScrollOffset(R::kStart, 40, 300, 7), 0);
  EXPECT_EQ(ScrollOffset(R::kEnd, 40, 300, 7), 40);
  EXPECT_EQ(ScrollOffset(R::kEndScroll, 40, 300, 7), 40);
}

TEST(ImageToolScroll, ViewPointsBecomePicturePixels) {
  // view (1, 1) shows picture pixel (offset)
  EXPECT_EQ(PictureFromView(Point{1, 1}, 500, 300, 20, 30), (Point{20, 30}));
  EXPECT_EQ(PictureFromView(Point{0, 0}, 500, 300, 0, 0), (Point{-1, -1}));
  EXPECT_EQ(PictureFromView(Point{499, 299}, 500, 300, -10, 0), (Point{488, 298}));
  EXPECT_EQ(PictureFromView(Point{500, 10}, 500, 300, 20, 30), (Point{500, 10}));
  EXPECT_EQ(PictureFromView(Point{-3, 10}, 500, 300, 20, 30), (Point{-3, 10}));
}

TEST(Magnifier, AreaFollowsTheCursorAndStaysOnTheScreen) {
  const Point hot{16, 16};
  // 81 x 63 view: a 27 x 21 area
  MagnifierArea a = MagnifierSource(Point{400, 300}, hot, 81, 63, 1280, 800);
  EXPECT_EQ(a.marker, (Point{384, 284}));
  EXPECT_EQ(a.source, (Rect{389, 289, 416, 310}));
  // top-left corner: the marker's corner is held at 0
  a = MagnifierSource(Point{0, 3}, hot, 81, 63, 1280, 800);
  EXPECT_EQ(a.marker, (Point{-16, -13}));
  EXPECT_EQ(a.source, (Rect{5, 5, 32, 26}));
  // right and bottom edges: the area reaches 5 pixels past the screen
  a = MagnifierSource(Point{1279, 799}, hot, 81, 63, 1280, 800);
  EXPECT_EQ(a.source, (Rect{1258, 784, 1285, 805}));
  EXPECT_EQ(OnScreenPart(a.source, 1280, 800), (Rect{1258, 784, 1280, 800}));
  EXPECT_EQ(OnScreenPart(a.source, 1280, 800 - 20), (Rect{1258, 784, 1280, 784})) << "nothing of it on screen";
}

TEST(Magnifier, ColourTextIsBlueFirst) {
  EXPECT_EQ(MagnifierColourText(0x00563412), "563412");  // RGB 18, 52, 86
  EXPECT_EQ(MagnifierColourText(0x000000FF), "0000FF");  // pure red
}

}  // namespace
}  // namespace tora
