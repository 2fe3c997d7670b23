// Colour matching: operators, the fixed and the rectangle search, stop, and
// the fast search checked against the plain column-by-column walk.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "platform/sim/sim_platform.h"
#include "vision/color_test.h"

namespace tora {
namespace {

ColorPoint Pt(int32_t x, int32_t y, int32_t op, uint32_t colour) { return ColorPoint{x, y, op, colour}; }

ScreenCondition RectCondition(Rect rect, std::vector<ColorPoint> points) {
  ScreenCondition c;
  c.search_in_rect = true;
  c.rect = rect;
  c.points = std::move(points);
  return c;
}

// The walk as written: one read per point test, candidates column by column.
bool NaiveMatch(const ScreenCondition& c, const Frame& frame, Point& found) {
  const ColorPoint& first = c.points.front();
  for (int64_t x = c.rect.left; x < c.rect.right; ++x) {
    for (int64_t y = c.rect.top; y < c.rect.bottom; ++y) {
      bool all = true;
      for (const ColorPoint& p : c.points) {
        const int64_t px = c.points_are_offsets ? x + p.x : x + p.x - first.x;
        const int64_t py = c.points_are_offsets ? y + p.y : y + p.y - first.y;
        if (!PointMatches(p.op, frame.At(px, py), p.colour, c.tolerance)) {
          all = false;
          break;
        }
      }
      if (all) {
        found = Point{static_cast<int32_t>(x), static_cast<int32_t>(y)};
        return true;
      }
    }
  }
  return false;
}

class ColorTestTest : public ::testing::Test {
 protected:
  void SetUp() override { flag.Set(); }
  RunFlag flag;
  SimPlatform sim;
};

TEST(PointMatchesTest, ToleranceIsStrictOnBothSidesPerChannel) {
  const uint32_t colour = 0x000080;  // red 128
  EXPECT_TRUE(PointMatches(kOpNear, 99, colour, 30));
  EXPECT_TRUE(PointMatches(kOpNear, 157, colour, 30));
  EXPECT_FALSE(PointMatches(kOpNear, 98, colour, 30));
  EXPECT_FALSE(PointMatches(kOpNear, 158, colour, 30));
  EXPECT_FALSE(PointMatches(kOpNotNear, 99, colour, 30));
  EXPECT_TRUE(PointMatches(kOpNotNear, 158, colour, 30));
  // Green and blue count as well; the top byte does not.
  EXPECT_FALSE(PointMatches(kOpNear, 128 | (30u << 8), colour, 30));
  EXPECT_FALSE(PointMatches(kOpNear, 128 | (30u << 16), colour, 30));
  EXPECT_TRUE(PointMatches(kOpNear, 0xFF000080u, colour, 30));
  EXPECT_FALSE(PointMatches(kOpEqual, 0xFF000080u, colour, 30));
}

TEST(PointMatchesTest, ToleranceZeroOrBelowAndExtremes) {
  EXPECT_FALSE(PointMatches(kOpNear, 0x123456, 0x123456, 0));
  EXPECT_TRUE(PointMatches(kOpNotNear, 0x123456, 0x123456, 0));
  EXPECT_FALSE(PointMatches(kOpNear, 0x123456, 0x123456, INT32_MIN));
  EXPECT_TRUE(PointMatches(kOpNear, 0xFFFFFF, 0, INT32_MAX));
  EXPECT_TRUE(PointMatches(kOpEqual, 5, 5, 0));
  EXPECT_TRUE(PointMatches(kOpNotEqual, 5, 6, 0));
  EXPECT_FALSE(PointMatches(kOpNotEqual, 5, 5, 0));
}

TEST(PointMatchesTest, UnknownOperatorsAlwaysMatch) {
  for (int32_t op : {0, 5, -1, INT32_MAX}) EXPECT_TRUE(PointMatches(op, 1, 2, 30)) << op;
}

TEST_F(ColorTestTest, ConditionWithoutPointsMatchesWithoutCapture) {
  ScreenCondition c = RectCondition(Rect{0, 0, 10, 10}, {});
  c.found_point.Store(Point{7, 8});
  Point found;
  EXPECT_TRUE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(found, (Point{7, 8}));
  EXPECT_EQ(sim.CaptureCount(), 0);
}

TEST_F(ColorTestTest, OneCapturePerEvaluation) {
  sim.SetScreenSize(50, 40, 0x111111);
  ScreenCondition c = RectCondition(Rect{0, 0, 50, 40}, {Pt(0, 0, kOpEqual, 0x222222), Pt(1, 1, kOpEqual, 0)});
  Point found;
  EXPECT_FALSE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(sim.CaptureCount(), 1);
  c.search_in_rect = false;
  EXPECT_FALSE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(sim.CaptureCount(), 2);
}

TEST_F(ColorTestTest, LeftmostThenTopmostMatchWins) {
  Frame f;
  f.Resize(100, 100, 0);
  // Two-point pattern: red with green one to the right and two below.
  auto place = [&](int x, int y) {
    f.Set(x, y, 0x0000FF);
    f.Set(x + 1, y + 2, 0x00FF00);
  };
  place(60, 5);
  place(30, 80);
  place(30, 40);
  place(70, 1);
  sim.SetScreen(f);
  ScreenCondition c =
      RectCondition(Rect{0, 0, 100, 100}, {Pt(500, 600, kOpEqual, 0x0000FF), Pt(501, 602, kOpEqual, 0x00FF00)});
  Point found;
  ASSERT_TRUE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(found, (Point{30, 40}));
  EXPECT_EQ(c.found_point.Load(), (Point{30, 40}));
  // Narrowing the rectangle past that column finds the next one.
  c.rect.left = 31;
  ASSERT_TRUE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(found, (Point{60, 5}));
}

TEST_F(ColorTestTest, RectangleBoundsAreExclusive) {
  // "0,0,800,600" tries x 0..799 and y 0..599.
  sim.SetScreenSize(1024, 768, 0);
  ScreenCondition c = RectCondition(Rect{0, 0, 800, 600}, {Pt(0, 0, kOpEqual, 0xABCDEF)});
  Frame f;
  f.Resize(1024, 768, 0);
  f.Set(799, 599, 0xABCDEF);
  sim.SetScreen(f);
  Point found;
  ASSERT_TRUE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(found, (Point{799, 599}));
  f.Set(799, 599, 0);
  f.Set(800, 10, 0xABCDEF);
  f.Set(10, 600, 0xABCDEF);
  sim.SetScreen(f);
  EXPECT_FALSE(ColorTest(c, sim.platform(), flag, found));
}

TEST_F(ColorTestTest, PositionsOutsideTheFrameReadTheInvalidColour) {
  Frame f;
  f.Resize(20, 20, 0x000000);
  sim.SetScreen(f);
  Point found;
  // "==" with any 24-bit colour fails outside; "!=" passes there.
  ScreenCondition fixed;
  fixed.points = {Pt(-1, 5, kOpEqual, 0x000000)};
  EXPECT_FALSE(ColorTest(fixed, sim.platform(), flag, found));
  fixed.points = {Pt(20, 5, kOpNotEqual, 0x000000)};
  EXPECT_TRUE(ColorTest(fixed, sim.platform(), flag, found));
  fixed.points = {Pt(3, 3, kOpEqual, 0x000000), Pt(3, 20, kOpEqual, kInvalidColour)};
  EXPECT_TRUE(ColorTest(fixed, sim.platform(), flag, found));

  // In a search, a later point that would fall outside rules the candidate out.
  ScreenCondition c = RectCondition(Rect{0, 0, 20, 20}, {Pt(0, 0, kOpEqual, 0), Pt(5, 0, kOpEqual, 0)});
  ASSERT_TRUE(ColorTest(c, sim.platform(), flag, found));
  c.rect = Rect{15, 0, 20, 20};
  EXPECT_FALSE(ColorTest(c, sim.platform(), flag, found));
  // A "!=" point may stick out: the first candidate matches.
  c.points[1].op = kOpNotEqual;
  ASSERT_TRUE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(found, (Point{15, 0}));
}

TEST_F(ColorTestTest, FixedModeKeepsTheStoredFoundPoint) {
  Frame f;
  f.Resize(10, 10, 0);
  f.Set(2, 3, 0x123456);
  sim.SetScreen(f);
  ScreenCondition c;
  c.points = {Pt(2, 3, kOpEqual, 0x123456), Pt(4, 4, kOpNotEqual, 0x123456)};
  c.found_point.Store(Point{-5, 9});
  Point found;
  ASSERT_TRUE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(found, (Point{-5, 9}));
  EXPECT_EQ(c.found_point.Load(), (Point{-5, 9}));
}

TEST_F(ColorTestTest, ClearedRunFlagEndsTheTestUnmatched) {
  sim.SetScreenSize(30, 30, 0x445566);
  ScreenCondition c = RectCondition(Rect{0, 0, 30, 30}, {Pt(0, 0, kOpEqual, 0x445566)});
  c.found_point.Store(Point{1, 2});
  RunFlag stopped;
  Point found{9, 9};
  EXPECT_FALSE(ColorTest(c, sim.platform(), stopped, found));
  EXPECT_EQ(c.found_point.Load(), (Point{1, 2}));
  c.search_in_rect = false;
  EXPECT_FALSE(ColorTest(c, sim.platform(), stopped, found));
  // The same with a pattern that needs the plain walk (no bounding point).
  c.search_in_rect = true;
  c.points = {Pt(0, 0, kOpNotEqual, 0)};
  EXPECT_FALSE(ColorTest(c, sim.platform(), stopped, found));
  EXPECT_TRUE(ColorTest(c, sim.platform(), flag, found));
}

TEST_F(ColorTestTest, HugeRectanglesEndAtOnce) {
  sim.SetScreenSize(64, 48, 0x010203);
  Point found;
  // Bounded by the frame through its "==" point: no match, no long walk.
  ScreenCondition c = RectCondition(Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                                    {Pt(INT32_MAX, INT32_MIN, kOpEqual, 0x040506), Pt(INT32_MIN, 0, kOpNotEqual, 1)});
  EXPECT_FALSE(ColorTest(c, sim.platform(), flag, found));
  // Nothing bounds it and every point matches outside: the first candidate wins.
  c.points = {Pt(0, 0, kOpNotEqual, 0x010203), Pt(3, 3, kOpNotNear, 0x010203)};
  ASSERT_TRUE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(found, (Point{INT32_MIN, INT32_MIN}));
}

TEST_F(ColorTestTest, ImagePointsAreOffsetsFromTheCandidate) {
  Frame f;
  f.Resize(40, 30, 0);
  f.Set(12, 7, 0xAA);
  f.Set(12, 8, 0xBB);
  f.Set(14, 8, 0xCC);
  sim.SetScreen(f);
  ScreenCondition c = RectCondition(Rect{0, 0, 40, 30}, {Pt(0, 0, kOpEqual, 0xAA), Pt(0, 1, kOpEqual, 0xBB),
                                                         Pt(2, 1, kOpEqual, 0xCC)});
  c.points_are_offsets = true;
  Point found;
  ASSERT_TRUE(ColorTest(c, sim.platform(), flag, found));
  EXPECT_EQ(found, (Point{12, 7}));
  // A sample that would fall outside the screen at the only place fails.
  c.points.push_back(Pt(0, 30, kOpEqual, 0));
  EXPECT_FALSE(ColorTest(c, sim.platform(), flag, found));
}

// The fast search must answer exactly as the plain walk on any frame and
// pattern. Small frames with few colours make matches, near misses and
// points off the edge common.
TEST_F(ColorTestTest, FastSearchAgreesWithThePlainWalk) {
  std::mt19937 rng(12345);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const uint32_t palette[] = {0x000000, 0x0000FF, 0x1010F0, 0x00FF00, 0xFFFFFF, kInvalidColour};
  int matched = 0;
  for (int round = 0; round < 3000; ++round) {
    Frame f;
    f.Resize(pick(0, 40), pick(0, 24), 0);
    for (auto& p : f.pixels) p = palette[pick(0, 4)];
    ScreenCondition c;
    c.search_in_rect = true;
    c.points_are_offsets = pick(0, 1) == 1;
    c.tolerance = pick(-2, 40);
    const int n = pick(1, 5);
    for (int i = 0; i < n; ++i) {
      int op = pick(1, 4);
      if (pick(0, 10) == 0) op = pick(5, 9);
      if (pick(0, 1) == 0) op = kOpEqual;
      c.points.push_back(Pt(pick(-6, 45), pick(-6, 30), op, palette[pick(0, 5)]));
    }
    c.rect = Rect{pick(-10, 45), pick(-10, 30), pick(-10, 600), pick(-10, 50)};
    if (round % 2 == 0) c.rect = Rect{0, 0, f.width, f.height};
    Point want, got;
    const bool want_match = NaiveMatch(c, f, want);
    const bool got_match = MatchCondition(c, f, flag, got, nullptr);
    ASSERT_EQ(got_match, want_match) << "round " << round;
    if (want_match) {
      ASSERT_EQ(got, want) << "round " << round;
      ++matched;
    }
  }
  EXPECT_GT(matched, 300);
}

// Frames wider than one scan strip and rows longer than one block.
TEST_F(ColorTestTest, FastSearchAgreesOnWideFrames) {
  std::mt19937 rng(777);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 40; ++round) {
    Frame f;
    f.Resize(pick(500, 1300), pick(3, 12), 0x202020);
    for (int k = 0; k < 30; ++k) f.Set(pick(0, f.width - 1), pick(0, f.height - 1), 0x3040FF);
    ScreenCondition c = RectCondition(Rect{pick(-5, 600), 0, f.width, f.height},
                                      {Pt(0, 0, round % 3 == 0 ? kOpNear : kOpEqual, 0x3040F0),
                                       Pt(0, 1, kOpEqual, 0x202020), Pt(pick(-3, 3), 2, kOpNotNear, 0x3040FF)});
    Point want, got;
    const bool want_match = NaiveMatch(c, f, want);
    ASSERT_EQ(MatchCondition(c, f, flag, got, nullptr), want_match) << round;
    if (want_match) {
      ASSERT_EQ(got, want) << round;
    }
  }
}

}  // namespace
}  // namespace tora
