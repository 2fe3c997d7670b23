// A condition tested on a given screen: the answer is the live search's, and
// a miss is explained exactly as a plain count of every candidate gives it.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "engine/text_util.h"
#include "engine/texts.h"
#include "vision/color_test.h"
#include "vision/condition_check.h"
#include "vision/prepared_condition.h"

namespace tora {
namespace {

// The plain model: every candidate of the rectangle in the search's order
// (or the points at their own positions), every point read one by one.
struct Model {
  bool met = false;
  bool has_place = false;
  Point at;
  uint64_t matched = 0;
  std::vector<PointDifference> differences;
  int32_t tolerance = 0;  // 0: none
};

// Where point p is read from candidate (x, y).
void PointAt(const ScreenCondition& c, const ColorPoint& p, int64_t x, int64_t y, int64_t& px, int64_t& py) {
  if (!c.search_in_rect) {
    px = p.x;
    py = p.y;
    return;
  }
  const ColorPoint first = c.points.front();
  px = c.points_are_offsets ? x + p.x : x + p.x - first.x;
  py = c.points_are_offsets ? y + p.y : y + p.y - first.y;
}

uint64_t CountAt(const ScreenCondition& c, const Frame& f, int64_t x, int64_t y, int32_t tolerance) {
  uint64_t n = 0;
  for (const ColorPoint& p : c.points) {
    int64_t px, py;
    PointAt(c, p, x, y, px, py);
    n += PointMatches(p.op, f.At(px, py), p.colour, tolerance) ? 1 : 0;
  }
  return n;
}

Model PlainModel(const ScreenCondition& c, const Frame& f) {
  Model m;
  const uint64_t n = c.points.size();
  if (c.search_in_rect) {
    int64_t best = -1;
    for (int64_t x = c.rect.left; x < c.rect.right; ++x)
      for (int64_t y = c.rect.top; y < c.rect.bottom; ++y) {
        const int64_t k = static_cast<int64_t>(CountAt(c, f, x, y, c.tolerance));
        if (k > best) {
          best = k;
          m.at = Point{static_cast<int32_t>(x), static_cast<int32_t>(y)};
        }
      }
    m.has_place = best >= 0;
    m.matched = best < 0 ? 0 : static_cast<uint64_t>(best);
    m.met = m.has_place && m.matched == n;
  } else {
    m.matched = CountAt(c, f, 0, 0, c.tolerance);
    m.met = m.matched == n;
  }
  if (m.met || (c.search_in_rect && !m.has_place)) return m;
  bool only_near = true;
  for (size_t i = 0; i < c.points.size(); ++i) {
    const ColorPoint p = c.points[i];
    int64_t px, py;
    PointAt(c, p, m.at.x, m.at.y, px, py);
    const uint32_t got = f.At(px, py);
    if (PointMatches(p.op, got, p.colour, c.tolerance)) continue;
    only_near = only_near && p.op == kOpNear;
    if (m.differences.size() < kMaxDifferences)
      m.differences.push_back(PointDifference{i, px, py, p.op, p.colour, got, !f.Contains(px, py)});
  }
  if (only_near)
    for (int32_t t = 1; t <= 300 && m.tolerance == 0; ++t)
      if (CountAt(c, f, m.at.x, m.at.y, t) == n) m.tolerance = t;
  return m;
}

void ExpectAgrees(const ScreenCondition& c, const Frame& f, const ConditionCheck& got, int round) {
  const Model want = PlainModel(c, f);
  ASSERT_FALSE(got.stopped) << round;
  ASSERT_EQ(got.met, want.met) << round;
  ASSERT_EQ(got.of, c.points.size()) << round;
  if (got.met) {
    ASSERT_EQ(got.has_found, c.search_in_rect) << round;
    return;
  }
  ASSERT_EQ(got.has_nearest, c.search_in_rect && want.has_place) << round;
  if (got.has_nearest) {
    ASSERT_EQ(got.nearest, want.at) << round;
  }
  ASSERT_EQ(got.matched, want.matched) << round;
  ASSERT_EQ(got.differences.size(), want.differences.size()) << round;
  for (size_t k = 0; k < got.differences.size(); ++k) {
    const PointDifference &a = got.differences[k], &b = want.differences[k];
    ASSERT_TRUE(a.point == b.point && a.x == b.x && a.y == b.y && a.op == b.op && a.want == b.want &&
                a.got == b.got && a.off_screen == b.off_screen)
        << round << " difference " << k;
  }
  ASSERT_EQ(got.has_tolerance, want.tolerance != 0) << round;
  if (got.has_tolerance) {
    ASSERT_EQ(got.tolerance, want.tolerance) << round;
  }
}

class ConditionCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { flag.Set(); }
  RunFlag flag;
};

// Random screens of few colours, patterns of every operator near the
// edges and off them, rectangles inside and outside the screen; wide
// screens so that rows hold many blocks, and patterns drawn in with a few
// pixels changed, so that the nearest place is a near miss.
TEST_F(ConditionCheckTest, AgreesWithThePlainCountOnRandomScreens) {
  std::mt19937 rng(31337);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const uint32_t palette[] = {0x000000, 0x0000FF, 0x1010F0, 0x00FF00, 0xFFFFFF, 0x2020E0, kInvalidColour};
  int met = 0, near_misses = 0, tolerances = 0;
  for (int round = 0; round < 2500; ++round) {
    const bool wide = round % 10 == 0;
    Frame f;
    f.Resize(wide ? pick(60, 260) : pick(0, 40), wide ? pick(20, 60) : pick(0, 30), 0);
    for (auto& p : f.pixels) p = palette[pick(0, 5)];
    ScreenCondition c;
    c.search_in_rect = round % 4 != 0;
    c.points_are_offsets = pick(0, 1) == 1;
    c.tolerance = pick(-2, 40);
    const int points = wide && pick(0, 1) ? pick(10, 40) : pick(1, 7);
    for (int i = 0; i < points; ++i) {
      const int op = pick(0, 2) ? kOpEqual : pick(0, 10) ? pick(1, 4) : pick(5, 9);
      c.points.push_back(ColorPoint{pick(-6, 45), pick(-6, 32), op, palette[pick(0, 6)]});
    }
    const int left = pick(-12, wide ? 100 : 40), top = pick(-12, 35);
    c.rect = round % 3 ? Rect{left, top, left + pick(-1, wide ? 300 : 50), top + pick(-1, 50)}
                       : Rect{0, 0, f.width, f.height};
    if (pick(0, 2) == 0 && f.width > 0 && f.height > 0) {  // draw the pattern in, then spoil a point or two
      const int x = pick(0, f.width - 1), y = pick(0, f.height - 1);
      for (const ColorPoint& p : c.points) {
        int64_t px, py;
        PointAt(c, p, x, y, px, py);
        const bool spoil = pick(0, points) == 0;
        uint32_t colour = p.colour;
        if (p.op == kOpNear && spoil) colour ^= static_cast<uint32_t>(pick(1, 60)) << (8 * pick(0, 2));
        else if (spoil) colour = palette[pick(0, 5)];
        if (px >= 0 && py >= 0 && px < f.width && py < f.height && colour != kInvalidColour)
          f.Set(static_cast<int32_t>(px), static_cast<int32_t>(py), colour);
      }
    }
    if (pick(0, 1)) PrepareCondition(c);
    const ConditionCheck got = CheckCondition(c, f, flag);
    ASSERT_NO_FATAL_FAILURE(ExpectAgrees(c, f, got, round));
    // Whether and where it holds is the live search's answer.
    Point live{-1, -1};
    ScreenCondition copy = c;
    ASSERT_EQ(got.met, MatchCondition(copy, f, flag, live, nullptr)) << round;
    if (got.has_found) {
      ASSERT_EQ(got.found, live) << round;
    }
    met += got.met;
    near_misses += !got.met && got.matched + 2 >= got.of && got.of > 2;
    tolerances += got.has_tolerance;
  }
  EXPECT_GT(met, 200);
  EXPECT_GT(near_misses, 100);
  EXPECT_GT(tolerances, 20);
}

// Pictures: samples read where their list holds them, screens that show the
// picture with a few pixels changed, pictures that stick out of the screen.
TEST_F(ConditionCheckTest, PicturesAgreeWithThePlainCount) {
  std::mt19937 rng(2718);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const uint32_t palette[] = {0x000000, 0x0000FF, 0x00FF00, 0xFFFFFF, 0x3C6E9A};
  for (int round = 0; round < 300; ++round) {
    Frame source;
    source.Resize(pick(1, 12), pick(1, 12));
    for (auto& p : source.pixels) p = palette[pick(0, 4)];
    std::vector<PictureSample> samples;
    for (int x = 0; x < source.width; ++x)
      for (int y = 0; y < source.height; ++y)
        if (samples.size() < 5 || pick(0, 2) > 0)
          samples.push_back(PictureSample{static_cast<uint16_t>(x), static_cast<uint16_t>(y), source.At(x, y)});
    ScreenCondition c;
    c.points = PointList(Point{pick(-3, 3), pick(-3, 3)}, std::move(samples));
    c.points_are_offsets = true;
    c.search_in_rect = round % 5 != 0;
    Frame f;
    f.Resize(pick(20, 120), pick(10, 50));
    for (auto& p : f.pixels) p = palette[pick(0, 4) ? 4 : pick(0, 3)];
    for (int copies = pick(0, 3); copies > 0; --copies) {
      const int ax = pick(-4, f.width), ay = pick(-4, f.height);
      for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) f.Set(ax + x, ay + y, pick(0, 30) ? source.At(x, y) : palette[pick(0, 3)]);
    }
    c.rect = round % 2 ? Rect{0, 0, f.width, f.height} : Rect{pick(-10, 20), pick(-10, 20), pick(0, 140), pick(0, 60)};
    PrepareCondition(c);
    ASSERT_NO_FATAL_FAILURE(ExpectAgrees(c, f, CheckCondition(c, f, flag), round));
  }
}

// A pattern reaching too far for a copy of the screen with margins is
// counted one candidate at a time, with the same answer; candidates far off
// the screen read the invalid colour at every point.
TEST_F(ConditionCheckTest, FarReachingPatternsAndRectanglesOffTheScreen) {
  Frame f;
  f.Resize(40, 30, 0x00FF00);
  f.Set(5, 6, 0xFF);
  ScreenCondition c;
  c.search_in_rect = true;
  c.rect = Rect{0, 0, 40, 30};
  c.points = {ColorPoint{100, 100, kOpEqual, 0xFF}, ColorPoint{6100, 6100, kOpNotEqual, 0x00FF00},
              ColorPoint{101, 100, kOpNear, 0x00F000}};
  c.tolerance = 10;
  ASSERT_NO_FATAL_FAILURE(ExpectAgrees(c, f, CheckCondition(c, f, flag), 0));
  const ConditionCheck near = CheckCondition(c, f, flag);
  EXPECT_EQ(near.nearest, (Point{5, 6}));
  EXPECT_EQ(near.tolerance, 16);
  // A rectangle wholly off the screen: its first candidate, where every
  // point reads the invalid colour ("!=" passes there).
  c.rect = Rect{-5000, -5000, -4990, 2000};
  const ConditionCheck off = CheckCondition(c, f, flag);
  EXPECT_TRUE(off.has_nearest);
  EXPECT_EQ(off.nearest, (Point{-5000, -5000}));
  EXPECT_EQ(off.matched, 1u);
  ASSERT_EQ(off.differences.size(), 2u);
  EXPECT_TRUE(off.differences[0].off_screen);
  EXPECT_EQ(off.differences[0].got, kInvalidColour);
  // A colour the screen never shows: every candidate has nothing, and the
  // first of the whole plane is off the screen.
  c.points = {ColorPoint{0, 0, kOpEqual, 0x123456}};
  c.rect = Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  EXPECT_EQ(CheckCondition(c, f, flag).nearest, (Point{INT32_MIN, INT32_MIN}));
  c.rect = Rect{10, 10, 10, 20};  // no candidate at all
  const ConditionCheck none = CheckCondition(c, f, flag);
  EXPECT_FALSE(none.met || none.has_nearest);
}

// A stop ends the check as stopped, also in the middle of a search that
// would take hours: a picture of a million samples over a full-HD screen.
TEST_F(ConditionCheckTest, AStopEndsTheCheck) {
  Frame f;
  f.Resize(1920, 1080);
  std::mt19937 rng(5);
  for (auto& p : f.pixels) p = rng() & 0xFFFFFF;
  std::vector<PictureSample> samples;
  for (uint16_t x = 0; x < 1000; ++x)
    for (uint16_t y = 0; y < 1000; ++y) samples.push_back(PictureSample{x, y, static_cast<uint32_t>(rng() & 0xFFFFFF)});
  ScreenCondition c;
  c.points = PointList(Point{}, std::move(samples));
  c.points_are_offsets = true;
  c.search_in_rect = true;
  c.rect = Rect{0, 0, 1920, 1080};
  PrepareCondition(c);
  RunFlag cleared;
  EXPECT_TRUE(CheckCondition(c, f, cleared).stopped);
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    flag.Clear();
  });
  const ConditionCheck check = CheckCondition(c, f, flag);
  stopper.join();
  EXPECT_TRUE(check.stopped);
  EXPECT_EQ(DescribeCheck(c, check), std::vector<std::string>{texts::kCheckStopped});
}

// The words of each kind of answer.
TEST_F(ConditionCheckTest, DescribesEachKindOfAnswer) {
  Frame f;
  f.Resize(30, 20, 0x101010);
  f.Set(7, 8, 0xFFFFFF);
  f.Set(9, 8, 0x0000F0);
  ScreenCondition c;
  c.search_in_rect = true;
  c.rect = Rect{0, 0, 30, 20};
  c.points = {ColorPoint{100, 50, kOpEqual, 0xFFFFFF}, ColorPoint{102, 50, kOpNear, 0x0000FF}};
  c.tolerance = 20;
  EXPECT_EQ(DescribeCheck(c, CheckCondition(c, f, flag)), std::vector<std::string>{Format(texts::kCheckFoundAt, 7, 8)});
  c.tolerance = 5;
  c.points.push_back(ColorPoint{100, 70, kOpEqual, 0x123456});  // off the bottom
  const std::vector<std::string> miss = DescribeCheck(c, CheckCondition(c, f, flag));
  const std::vector<std::string> want_miss = {
      Format(texts::kCheckNearest, 7, 8, 3, texts::kCheckUnitPoint, 1),
      Format(texts::kCheckDifference, 2, texts::kCheckUnitPoint, 9LL, 8LL, "~=", 0x0000FFu, 0x0000F0u),
      Format(texts::kCheckDifferenceOffScreen, 3, texts::kCheckUnitPoint, 7LL, 28LL, "==", 0x123456u)};
  EXPECT_EQ(miss, want_miss);
  c.points.Edit().pop_back();
  c.search_in_rect = false;
  c.points.Edit()[0] = ColorPoint{7, 8, kOpEqual, 0xFFFFFF};
  c.points.Edit()[1] = ColorPoint{9, 8, kOpNear, 0x0000FF};
  const std::vector<std::string> fixed = DescribeCheck(c, CheckCondition(c, f, flag));
  ASSERT_EQ(fixed.size(), 3u);
  EXPECT_EQ(fixed[0], Format(texts::kCheckFixedMiss, 2, texts::kCheckUnitPoint, 1));
  EXPECT_EQ(fixed[2], Format(texts::kCheckToleranceHolds, 5, 16));
  c.tolerance = 16;
  EXPECT_EQ(DescribeCheck(c, CheckCondition(c, f, flag)),
            std::vector<std::string>{Format(texts::kCheckHolds, texts::kCheckUnitPoint)});
  // More than five differences are counted, not listed.
  c.points = {};
  for (int i = 0; i < 8; ++i) c.points.push_back(ColorPoint{i, 0, kOpEqual, 0xABCDEF});
  c.picture = "a.bmp";
  const std::vector<std::string> many = DescribeCheck(c, CheckCondition(c, f, flag));
  ASSERT_EQ(many.size(), 7u);
  EXPECT_EQ(many.back(), Format(texts::kCheckMoreDifferences, 3, texts::kCheckUnitSample));
}

}  // namespace
}  // namespace tora
