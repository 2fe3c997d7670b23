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

// Where point p is read from candidate (x, y).
void PointAt(const ScreenCondition& c, const ColorPoint& p, int64_t x, int64_t y, int64_t& px, int64_t& py) {
  const ColorPoint first = c.points.front();
  const bool from_first = c.search_in_rect && !c.points_are_offsets;
  px = c.search_in_rect ? x + p.x - (from_first ? first.x : 0) : p.x;
  py = c.search_in_rect ? y + p.y - (from_first ? first.y : 0) : p.y;
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

// The plain model: every candidate of the rectangle in the search's order
// (or the points at their own positions), every point read one by one,
// every tolerance tried.
ConditionCheck PlainModel(const ScreenCondition& c, const Frame& f) {
  ConditionCheck m;
  m.of = c.points.size();
  int64_t best = -1;
  for (int64_t x = c.rect.left; x < c.rect.right && c.search_in_rect; ++x)
    for (int64_t y = c.rect.top; y < c.rect.bottom; ++y)
      if (const int64_t k = static_cast<int64_t>(CountAt(c, f, x, y, c.tolerance)); k > best) {
        best = k;
        m.nearest = Point{static_cast<int32_t>(x), static_cast<int32_t>(y)};
      }
  m.has_nearest = best >= 0;
  m.matched = c.search_in_rect ? static_cast<uint64_t>(std::max<int64_t>(best, 0)) : CountAt(c, f, 0, 0, c.tolerance);
  m.met = m.matched == m.of && (m.has_nearest || !c.search_in_rect);
  if (m.met || (c.search_in_rect && !m.has_nearest)) return m;
  bool only_near = true;
  for (size_t i = 0; i < c.points.size(); ++i) {
    const ColorPoint p = c.points[i];
    int64_t px, py;
    PointAt(c, p, m.nearest.x, m.nearest.y, px, py);
    const uint32_t got = f.At(px, py);
    if (PointMatches(p.op, got, p.colour, c.tolerance)) continue;
    only_near = only_near && p.op == kOpNear;
    if (m.differences.size() < kMaxDifferences)
      m.differences.push_back(PointDifference{i, px, py, p.op, p.colour, got, !f.Contains(px, py)});
  }
  for (int32_t t = 1; t <= 300 && only_near && !m.has_tolerance; ++t)
    if (CountAt(c, f, m.nearest.x, m.nearest.y, t) == m.of) m.has_tolerance = true, m.tolerance = t;
  return m;
}

// What a miss says, as one text to compare.
std::string Said(const ConditionCheck& k) {
  if (k.stopped || k.met) return k.stopped ? "stopped" : "met";
  std::string s = k.has_nearest ? Format("at %d,%d ", k.nearest.x, k.nearest.y) : "";
  s += Format("%d/%d", static_cast<int>(k.matched), static_cast<int>(k.of));
  for (const PointDifference& d : k.differences)
    s += Format(" [%d %lld,%lld %d %x %x %d]", static_cast<int>(d.point), static_cast<long long>(d.x),
                static_cast<long long>(d.y), d.op, d.want, d.got, d.off_screen);
  return s + (k.has_tolerance ? Format(" t%d", k.tolerance) : "");
}

void ExpectAgrees(const ScreenCondition& c, const Frame& f, const ConditionCheck& got, int round) {
  ASSERT_EQ(Said(got), Said(PlainModel(c, f))) << round;
  ASSERT_EQ(got.of, c.points.size()) << round;
  ASSERT_EQ(got.has_found, got.met && c.search_in_rect) << round;
}

class ConditionCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { flag.Set(); }
  RunFlag flag;
};

// Random screens of few colours, patterns of every operator and pictures,
// near the edges and off them, rectangles inside and outside the screen;
// wide screens so that rows hold many blocks, and patterns drawn in with a
// few pixels changed, so that the nearest place is a near miss.
TEST_F(ConditionCheckTest, AgreesWithThePlainCountOnRandomScreens) {
  std::mt19937 rng(31337);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  // The last two are on no screen.
  const uint32_t palette[] = {0x000000, 0x0000FF, 0x1010F0, 0x00FF00, 0xFFFFFF, 0x2020E0, kInvalidColour, 0x123456};
  int met = 0, near_misses = 0, tolerances = 0;
  for (int round = 0; round < 2000; ++round) {
    const bool wide = round % 10 == 0;
    Frame f;
    f.Resize(wide ? pick(60, 260) : pick(0, 40), wide ? pick(20, 60) : pick(0, 30), 0);
    for (auto& p : f.pixels) p = palette[pick(0, 5)];
    ScreenCondition c;
    c.search_in_rect = round % 4 != 0;
    c.points_are_offsets = pick(0, 1) == 1;
    c.tolerance = pick(-2, 40);
    const int points = wide && pick(0, 1) ? pick(10, 90) : pick(1, 7);
    if (round % 5 == 1) {  // a picture's samples, read where their list holds them
      std::vector<PictureSample> samples;
      for (int i = 0; i < points; ++i)
        samples.push_back(PictureSample{static_cast<uint16_t>(pick(0, 12)), static_cast<uint16_t>(pick(0, 12)),
                                        palette[pick(0, 7)]});
      c.points = PointList(Point{pick(-3, 3), pick(-3, 3)}, std::move(samples));
      c.points_are_offsets = true;
    }
    for (int i = 0; i < points && !c.points.picture(); ++i) {
      const int op = pick(0, 2) ? kOpEqual : pick(0, 10) ? pick(1, 4) : pick(5, 9);
      c.points.push_back(ColorPoint{pick(-6, 45), pick(-6, 32), op, palette[pick(0, 7)]});
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
  EXPECT_GT(met, 150);
  EXPECT_GT(near_misses, 100);
  EXPECT_GT(tolerances, 20);
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

// The words of what the other tests leave out: a fixed condition that
// holds, and differences beyond the five listed, of a picture.
TEST_F(ConditionCheckTest, DescribesHoldingAndUnlistedDifferences) {
  Frame f;
  f.Resize(30, 20, 0x101010);
  ScreenCondition c;
  c.points = {ColorPoint{7, 8, kOpEqual, 0x101010}};
  EXPECT_EQ(DescribeCheck(c, CheckCondition(c, f, flag)),
            std::vector<std::string>{Format(texts::kCheckHolds, texts::kCheckUnitPoint)});
  for (int i = 0; i < 8; ++i) c.points.push_back(ColorPoint{i, 0, kOpEqual, 0xABCDEF});
  c.picture = "a.bmp";
  const std::vector<std::string> many = DescribeCheck(c, CheckCondition(c, f, flag));
  ASSERT_EQ(many.size(), 7u);
  EXPECT_EQ(many[0], Format(texts::kCheckFixedMiss, 9, texts::kCheckUnitSample, 1));
  EXPECT_EQ(many.back(), Format(texts::kCheckMoreDifferences, 3, texts::kCheckUnitSample));
}

}  // namespace
}  // namespace tora
