// Colour matching: operators, the fixed and the rectangle search, stop, and
// the fast search checked against the plain column-by-column walk.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <random>
#include <thread>

#include "platform/sim/sim_platform.h"
#include "vision/color_test.h"
#include "vision/pixel_test.h"
#include "vision/prepared_condition.h"
#include "vision/selectivity.h"

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
        all = all && PointMatches(p.op, frame.At(px, py), p.colour, c.tolerance);
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
  bool Test(ScreenCondition& c) { return ColorTest(c, sim.platform(), flag, found); }
  RunFlag flag;
  SimPlatform sim;
  Point found;
};

TEST(PointMatchesTest, OperatorsAndToleranceEdges) {
  const uint32_t red128 = 0x000080;
  EXPECT_TRUE(PointMatches(kOpNear, 99, red128, 30));
  EXPECT_TRUE(PointMatches(kOpNear, 157, red128, 30));
  EXPECT_FALSE(PointMatches(kOpNear, 98, red128, 30));
  EXPECT_FALSE(PointMatches(kOpNear, 158, red128, 30));
  EXPECT_TRUE(PointMatches(kOpNotNear, 158, red128, 30));
  EXPECT_FALSE(PointMatches(kOpNotNear, 99, red128, 30));
  // Green and blue count; the top byte does not.
  EXPECT_FALSE(PointMatches(kOpNear, 128 | (30u << 8), red128, 30));
  EXPECT_FALSE(PointMatches(kOpNear, 128 | (30u << 16), red128, 30));
  EXPECT_TRUE(PointMatches(kOpNear, 0xFF000080u, red128, 30));
  EXPECT_FALSE(PointMatches(kOpEqual, 0xFF000080u, red128, 30));
  // Tolerance 0 or below: "~=" never, "!~" always; no overflow at the ends.
  EXPECT_FALSE(PointMatches(kOpNear, 0x123456, 0x123456, 0));
  EXPECT_TRUE(PointMatches(kOpNotNear, 0x123456, 0x123456, 0));
  EXPECT_FALSE(PointMatches(kOpNear, 0x123456, 0x123456, INT32_MIN));
  EXPECT_TRUE(PointMatches(kOpNear, 0xFFFFFF, 0, INT32_MAX));
  for (int32_t op : {0, 5, -1}) EXPECT_TRUE(PointMatches(op, 1, 2, 30)) << op;
}

// The four-pixel form of each operator answers as the one-pixel form and as
// PointMatches: at both edges of the tolerance in every channel, with the
// top byte set, for tolerances that leave no colour near or every colour.
TEST(PixelTestTest, BothFormsAnswerAsPointMatches) {
  std::mt19937 rng(99);
  const int32_t tolerances[] = {INT32_MIN, -1, 0, 1, 2, 30, 127, 128, 129, 255, 256, INT32_MAX};
  for (int round = 0; round < 20000; ++round) {
    const int32_t op = static_cast<int32_t>(rng() % 7) - 1;
    const int32_t t = round % 2 ? tolerances[rng() % 12] : static_cast<int32_t>(rng() % 300);
    const uint32_t colour = rng() % 4 ? rng() & 0xFFFFFF : rng();
    Pixels4 v;
    for (int lane = 0; lane < 4; ++lane) {
      uint32_t p = (rng() % 2 ? rng() : 0) & 0xFF000000u;
      for (int k = 0; k < 3; ++k) {  // each channel at an edge of the range, or anywhere
        const int64_t c = (colour >> (8 * k)) & 0xFF;
        const int64_t d = static_cast<int64_t>(rng() % 3) - 1;
        int64_t x = rng() % 2 ? c + (rng() % 2 ? 1 : -1) * (static_cast<int64_t>(t) - 1 + d) : rng() % 256;
        x = std::min<int64_t>(255, std::max<int64_t>(0, x));
        p |= static_cast<uint32_t>(x) << (8 * k);
      }
      v[lane] = p;
    }
    const PixelTest test(op, colour, t);
    Mask4 m;
    ForKind(test, [&](auto pass) { pass(v, m); });
    for (int lane = 0; lane < 4; ++lane) {
      const bool want = PointMatches(op, v[lane], colour, t);
      ASSERT_EQ(m[lane], want ? -1 : 0) << std::hex << op << " " << colour << " " << v[lane] << " " << std::dec << t;
      ASSERT_EQ(test(v[lane]), want);
    }
  }
}

// A sample reads only the area asked for, however the area lies.
TEST(SampleFrameTest, ReadsInsideTheAreaOnly) {
  std::mt19937 rng(5);
  for (int round = 0; round < 500; ++round) {
    Frame f;
    f.Resize(static_cast<int32_t>(rng() % 300), static_cast<int32_t>(rng() % 200), 1);
    const int64_t left = static_cast<int64_t>(rng() % 320) - 10, top = static_cast<int64_t>(rng() % 220) - 10;
    const int64_t right = left + rng() % 300, bottom = top + rng() % 200;
    for (int64_t y = top; y < bottom; ++y)
      for (int64_t x = left; x < right; ++x) f.Set(static_cast<int32_t>(x), static_cast<int32_t>(y), 2);
    const size_t count = rng() % 1500;
    const std::vector<uint32_t> sample = SampleFrame(f, left, top, right, bottom, count);
    EXPECT_LE(sample.size(), count);
    for (uint32_t p : sample) ASSERT_EQ(p, 2u) << round;
    const bool inside = std::max<int64_t>(left, 0) < std::min<int64_t>(right, f.width) &&
                        std::max<int64_t>(top, 0) < std::min<int64_t>(bottom, f.height);
    EXPECT_EQ(sample.empty(), !inside || count == 0) << round;
  }
}

TEST_F(ColorTestTest, CapturesOncePerTestAndNotForAnEmptyCondition) {
  ScreenCondition empty = RectCondition(Rect{0, 0, 10, 10}, {});
  empty.found_point.Store(Point{7, 8});
  EXPECT_TRUE(Test(empty));
  EXPECT_EQ(found, (Point{7, 8}));
  EXPECT_EQ(sim.CaptureCount(), 0);
  sim.SetScreenSize(50, 40, 0x111111);
  ScreenCondition c = RectCondition(Rect{0, 0, 50, 40}, {Pt(0, 0, kOpEqual, 0x222222), Pt(1, 1, kOpEqual, 0)});
  EXPECT_FALSE(Test(c));
  c.search_in_rect = false;
  EXPECT_FALSE(Test(c));
  EXPECT_EQ(sim.CaptureCount(), 2);
}

// A screen that cannot be captured (a locked desktop, no memory).
class FailingScreen : public ScreenPort {
 public:
  Size ScreenSize() override { return Size{50, 40}; }
  bool CaptureScreen(Frame&) override { return false; }
  bool CaptureArea(const Rect&, Frame&, Point&) override { return false; }
};

TEST_F(ColorTestTest, FailedCaptureIsNotMatchedAgainstAnEarlierScreen) {
  sim.SetScreenSize(50, 40, 0x222222);
  ScreenCondition c = RectCondition(Rect{0, 0, 50, 40}, {Pt(0, 0, kOpEqual, 0x222222)});
  ASSERT_TRUE(Test(c));
  FailingScreen failing;
  Platform& p = sim.platform();
  Platform broken{failing, p.input, p.clipboard, p.windows, p.clock, p.threads, p.user, p.files, p.images, p.trace};
  EXPECT_FALSE(ColorTest(c, broken, flag, found));
  c.search_in_rect = false;
  EXPECT_FALSE(ColorTest(c, broken, flag, found));
}

TEST_F(ColorTestTest, LeftmostThenTopmostMatchWinsWithinExclusiveBounds) {
  Frame f;
  f.Resize(1024, 768, 0);
  auto place = [&](int x, int y) {  // red, and green one right and two below
    f.Set(x, y, 0x0000FF);
    f.Set(x + 1, y + 2, 0x00FF00);
  };
  for (Point p : {Point{60, 5}, Point{30, 80}, Point{30, 40}, Point{70, 1}, Point{799, 597}, Point{800, 0}}) place(p.x, p.y);
  sim.SetScreen(f);
  ScreenCondition c =
      RectCondition(Rect{0, 0, 800, 600}, {Pt(500, 600, kOpEqual, 0x0000FF), Pt(501, 602, kOpEqual, 0x00FF00)});
  ASSERT_TRUE(Test(c));
  EXPECT_EQ(found, (Point{30, 40}));
  EXPECT_EQ(c.found_point.Load(), (Point{30, 40}));
  c.rect.left = 31;
  ASSERT_TRUE(Test(c));
  EXPECT_EQ(found, (Point{60, 5}));
  // "0,0,800,600" tries x up to 799 and y up to 599, not beyond.
  c.rect.left = 71;
  ASSERT_TRUE(Test(c));
  EXPECT_EQ(found, (Point{799, 597}));
  c.rect.bottom = 597;
  EXPECT_FALSE(Test(c));
}

TEST_F(ColorTestTest, PositionsOutsideTheFrameReadTheInvalidColour) {
  sim.SetScreenSize(20, 20, 0);
  ScreenCondition fixed;
  fixed.points = {Pt(-1, 5, kOpEqual, 0)};
  EXPECT_FALSE(Test(fixed));
  fixed.points = {Pt(3, 3, kOpEqual, 0), Pt(20, 5, kOpNotEqual, 0), Pt(3, 20, kOpEqual, kInvalidColour)};
  fixed.found_point.Store(Point{-5, 9});
  EXPECT_TRUE(Test(fixed));
  EXPECT_EQ(found, (Point{-5, 9}));  // fixed mode keeps the stored point

  ScreenCondition c = RectCondition(Rect{15, 0, 20, 20}, {Pt(0, 0, kOpEqual, 0), Pt(5, 0, kOpEqual, 0)});
  EXPECT_FALSE(Test(c));
  c.points.Edit()[1].op = kOpNotEqual;  // may stick out: the first candidate matches
  ASSERT_TRUE(Test(c));
  EXPECT_EQ(found, (Point{15, 0}));
}

TEST_F(ColorTestTest, ClearedRunFlagEndsTheTestUnmatched) {
  sim.SetScreenSize(30, 30, 0x445566);
  ScreenCondition c = RectCondition(Rect{0, 0, 30, 30}, {Pt(0, 0, kOpEqual, 0x445566)});
  c.found_point.Store(Point{1, 2});
  RunFlag stopped;
  EXPECT_FALSE(ColorTest(c, sim.platform(), stopped, found));
  EXPECT_EQ(c.found_point.Load(), (Point{1, 2}));
  c.points = {Pt(0, 0, kOpNotEqual, 0)};  // a pattern that nothing bounds
  EXPECT_FALSE(ColorTest(c, sim.platform(), stopped, found));
  c.search_in_rect = false;
  EXPECT_FALSE(ColorTest(c, sim.platform(), stopped, found));
  EXPECT_TRUE(Test(c));
}

TEST_F(ColorTestTest, HugeRectanglesEndAtOnce) {
  sim.SetScreenSize(64, 48, 0x010203);
  ScreenCondition c = RectCondition(Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                                    {Pt(INT32_MAX, INT32_MIN, kOpEqual, 0x040506), Pt(INT32_MIN, 0, kOpNotEqual, 1)});
  EXPECT_FALSE(Test(c));
  c.points = {Pt(0, 0, kOpNotEqual, 0x010203), Pt(3, 3, kOpNotNear, 0x010203)};
  ASSERT_TRUE(Test(c));
  EXPECT_EQ(found, (Point{INT32_MIN, INT32_MIN}));
}

TEST_F(ColorTestTest, ImagePointsAreOffsetsFromTheCandidate) {
  Frame f;
  f.Resize(40, 30, 0);
  f.Set(12, 7, 0xAA);
  f.Set(14, 8, 0xCC);
  sim.SetScreen(f);
  ScreenCondition c = RectCondition(Rect{0, 0, 40, 30}, {Pt(0, 0, kOpEqual, 0xAA), Pt(2, 1, kOpEqual, 0xCC)});
  c.points_are_offsets = true;
  ASSERT_TRUE(Test(c));
  EXPECT_EQ(found, (Point{12, 7}));
  c.points.push_back(Pt(0, 23, kOpEqual, 0));  // falls just off the bottom
  EXPECT_FALSE(Test(c));
}

// The fast search must answer exactly as the plain walk. Small frames with
// few colours make matches, near misses and points off the edge common;
// wide ones run rows many vector blocks long.
TEST_F(ColorTestTest, FastSearchAgreesWithThePlainWalk) {
  std::mt19937 rng(12345);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const uint32_t palette[] = {0x000000, 0x0000FF, 0x1010F0, 0x00FF00, 0xFFFFFF, kInvalidColour};
  int matched = 0;
  for (int round = 0; round < 3000; ++round) {
    const bool wide = round % 50 == 0;
    Frame f;
    f.Resize(wide ? pick(200, 1300) : pick(0, 40), pick(0, wide ? 12 : 24), 0);
    for (auto& p : f.pixels) p = palette[wide ? pick(0, 20) / 20 : pick(0, 4)];
    ScreenCondition c;
    c.search_in_rect = true;
    c.points_are_offsets = pick(0, 1) == 1;
    c.tolerance = pick(-2, 40);
    for (int i = pick(1, 5); i > 0; --i) {
      const int op = pick(0, 1) ? kOpEqual : pick(0, 10) ? pick(1, 4) : pick(5, 9);
      c.points.push_back(Pt(pick(-6, 45), pick(-6, 30), op, palette[pick(0, 5)]));
    }
    c.rect = round % 2 ? Rect{pick(-10, 45), pick(-10, 30), pick(-10, 600), pick(-10, 50)}
                       : Rect{0, 0, f.width, f.height};
    if (wide && f.height > 0)  // plant the pattern once
      for (const ColorPoint& p : c.points) f.Set(f.width / 2 + p.x, p.y % f.height, p.colour);
    Point want, got;
    const bool want_match = NaiveMatch(c, f, want);
    ASSERT_EQ(MatchCondition(c, f, flag, got, nullptr), want_match) << "round " << round;
    if (want_match) {
      ASSERT_EQ(got, want) << "round " << round;
      ++matched;
    }
  }
  EXPECT_GT(matched, 300);
}

// Screens large enough for the search to sample them before it picks the
// point to scan for: flat screens with a few odd pixels, on which a pattern
// cut from the screen agrees with most of its points; screens of a few
// colours; "~=" first points; the pattern painted again in its column and
// its row, so that matches tie in x or in y. Each answer must be the walk's.
TEST_F(ColorTestTest, FastSearchAgreesWithThePlainWalkOnSampledScreens) {
  std::mt19937 rng(777);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const uint32_t palette[] = {0x3C6E9A, 0x3C6E9B, 0x0000FF, 0x00FF00, 0xFFFFFF, 0x000000};
  int matched = 0;
  for (int round = 0; round < 200; ++round) {
    Frame f;
    f.Resize(pick(80, 160), pick(80, 100), palette[0]);
    if (round % 2)
      for (auto& p : f.pixels) p = palette[pick(0, 3) ? 0 : pick(1, 5)];
    else
      for (int k = pick(0, 30); k > 0; --k) f.Set(pick(0, f.width - 1), pick(0, f.height - 1), palette[pick(1, 5)]);
    ScreenCondition c;
    c.search_in_rect = true;
    c.points_are_offsets = pick(0, 1) == 1;
    c.tolerance = pick(-1, 40);
    const int ax = pick(-4, f.width + 4), ay = pick(-4, f.height + 4);
    for (int i = pick(2, 8); i > 0; --i) {
      const int dx = pick(-3, 12), dy = pick(-3, 12);
      const bool first = c.points.empty();
      const int op = first && pick(0, 1) ? kOpNear : pick(0, 3) ? kOpEqual : pick(1, 4);
      uint32_t colour = pick(0, 5) ? f.At(ax + dx, ay + dy) : palette[pick(0, 5)];
      if (op == kOpNear && colour != kInvalidColour) colour ^= static_cast<uint32_t>(pick(0, 3)) << (8 * pick(0, 2));
      // As a picture: offsets from the candidate; as colour points: screen
      // positions whose first one is the candidate.
      c.points.push_back(c.points_are_offsets ? Pt(dx, dy, op, colour) : Pt(500 + dx, 300 + dy, op, colour));
    }
    for (int copies = pick(0, 3); copies > 0; --copies) {
      const int shift = pick(1, 20);
      const bool down = pick(0, 1) == 1;
      for (const ColorPoint& p : c.points) {
        const int dx = c.points_are_offsets ? p.x : p.x - 500, dy = c.points_are_offsets ? p.y : p.y - 300;
        if (p.op == kOpEqual || p.op == kOpNear)
          f.Set(ax + dx + (down ? 0 : shift), ay + dy + (down ? shift : 0), p.colour);
      }
    }
    c.rect = round % 4 ? Rect{0, 0, f.width, f.height}
                       : Rect{pick(-10, 10), pick(-10, 10), pick(60, 200), pick(60, 120)};
    Point want, got;
    const bool want_match = NaiveMatch(c, f, want);
    ASSERT_EQ(MatchCondition(c, f, flag, got, nullptr), want_match) << "round " << round;
    if (!want_match) continue;
    ASSERT_EQ(got, want) << "round " << round;
    ++matched;
  }
  EXPECT_GT(matched, 60);
}

// A condition prepared once answers as the plain walk on every screen it is
// tested on, whether its points are a picture's samples (read where the
// list holds them) or the same points written out, in both modes, at
// origins where the positions saturate too.
TEST_F(ColorTestTest, PreparedConditionsAgreeWithThePlainWalkOnEveryScreen) {
  std::mt19937 rng(4242);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const uint32_t palette[] = {0x000000, 0x0000FF, 0x00FF00, 0xFFFFFF, kInvalidColour};
  auto fill = [&](Frame& f, int w, int h, int invalid_one_in) {
    f.Resize(w, h);
    for (auto& p : f.pixels) p = palette[pick(1, invalid_one_in) == 1 ? 4 : pick(0, 3)];
  };
  int matched = 0;
  for (int round = 0; round < 400; ++round) {
    Frame source;
    fill(source, pick(1, 8), pick(1, 8), 6);  // some samples hold only off the screen
    std::vector<PictureSample> samples;
    for (int x = 0; x < source.width; ++x)
      for (int y = 0; y < source.height; ++y)
        if (samples.size() < 5 || pick(0, 2) > 0)
          samples.push_back(PictureSample{static_cast<uint16_t>(x), static_cast<uint16_t>(y), source.At(x, y)});
    const Point origin = pick(0, 9) == 0 ? Point{INT32_MAX - pick(0, 3), 0} : Point{pick(-5, 30), pick(-5, 20)};
    ScreenCondition picture;
    picture.points = PointList(origin, std::move(samples));
    picture.search_in_rect = round % 4 != 0;
    picture.points_are_offsets = pick(0, 3) != 0;
    picture.rect = Rect{pick(-10, 30), pick(-10, 20), pick(-10, 60), pick(-10, 40)};
    ScreenCondition written = picture;
    written.points.Edit();
    PrepareCondition(picture);
    PrepareCondition(written);
    for (int k = 0; k < 6; ++k) {
      Frame f;
      fill(f, pick(0, 40), pick(0, 30), 30);
      const Point at = !picture.search_in_rect && k % 2 && origin.x < 100 ? origin : Point{pick(-3, 40), pick(-3, 30)};
      for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) f.Set(at.x + x, at.y + y, source.At(x, y));
      Point want{-7, -9}, got;
      bool want_match = true;
      if (picture.search_in_rect)
        want_match = NaiveMatch(picture, f, want);
      else
        for (const ColorPoint& p : picture.points) want_match = want_match && f.At(p.x, p.y) == p.colour;
      for (ScreenCondition* c : {&picture, &written}) {
        c->found_point.Store(Point{-7, -9});
        ASSERT_EQ(MatchCondition(*c, f, flag, got, nullptr), want_match) << "round " << round;
        ASSERT_EQ(got, want_match ? want : got) << "round " << round;
      }
      sim.SetScreen(f);  // and through a copy of the area it reads
      ASSERT_EQ(Test(picture), want_match) << "round " << round;
      ASSERT_EQ(found, want_match ? want : found) << "round " << round;
      matched += want_match ? 1 : 0;
    }
  }
  EXPECT_GT(matched, 60);
}

// Only the area the condition can read is copied from the screen.
TEST_F(ColorTestTest, CapturesTheAreaTheConditionReads) {
  sim.SetScreenSize(64, 48, 0);
  ScreenCondition fixed;
  fixed.points = {Pt(5, 7, kOpEqual, 0), Pt(12, 3, kOpEqual, 0), Pt(8, 20, kOpNotEqual, 1)};
  ASSERT_TRUE(Test(fixed));
  EXPECT_EQ(sim.LastCaptureArea(), (Rect{5, 3, 13, 21}));
  // Rectangle mode: the rectangle widened by the reach of the points from
  // the first one.
  ScreenCondition rect = RectCondition(Rect{10, 10, 30, 20}, {Pt(4, 4, kOpEqual, 0), Pt(2, 9, kOpEqual, 0),
                                                              Pt(8, 3, kOpEqual, 0)});
  ASSERT_TRUE(Test(rect));
  EXPECT_EQ(sim.LastCaptureArea(), (Rect{8, 9, 34, 25}));
  rect.points_are_offsets = true;  // a picture's samples reach right and down from the candidate
  ASSERT_TRUE(Test(rect));
  EXPECT_EQ(sim.LastCaptureArea(), (Rect{12, 13, 38, 29}));
  EXPECT_EQ(found, (Point{10, 10}));
  // Reaches past the 32-bit range are clipped, not wrapped (points that
  // hold off the screen do not keep the candidates on it).
  ScreenCondition loose = rect;
  for (ColorPoint& p : loose.points.Edit()) p.op = kOpNotEqual;
  loose.rect = Rect{INT32_MAX - 3, 0, INT32_MAX, 5};
  EXPECT_TRUE(Test(loose));
  EXPECT_EQ(sim.LastCaptureArea(), (Rect{INT32_MAX - 1, 3, INT32_MAX, 14}));
  // Where no candidate has its points on the screen (a pattern larger than
  // the screen, a rectangle off it), nothing is copied at all.
  const int captures = sim.CaptureCount();
  rect.rect = Rect{INT32_MAX - 3, 0, INT32_MAX, 5};
  EXPECT_FALSE(Test(rect));
  rect.rect = Rect{0, 0, 64, 48};
  rect.points.push_back(Pt(0, 48, kOpEqual, 0));
  EXPECT_FALSE(Test(rect));
  fixed.points.push_back(Pt(64, 0, kOpEqual, 0));
  EXPECT_FALSE(Test(fixed));
  EXPECT_EQ(sim.CaptureCount(), captures);
}

// Both workers may test one condition at once; each copies into a buffer
// of its own, so neither sees the other's area.
TEST_F(ColorTestTest, TwoWorkersTestingOneConditionEachGetTheAnswer) {
  Frame f;
  f.Resize(300, 200, 0x101010);
  f.Set(250, 150, 0xAA);
  f.Set(252, 151, 0xBB);
  sim.SetScreen(f);
  ScreenCondition rect = RectCondition(Rect{0, 0, 300, 200}, {Pt(0, 0, kOpEqual, 0xAA), Pt(2, 1, kOpEqual, 0xBB)});
  ScreenCondition fixed;
  fixed.points = {Pt(3, 4, kOpEqual, 0x101010), Pt(5, 6, kOpEqual, 0x101010)};
  std::atomic<int> wrong{0};
  auto worker = [&] {
    for (int i = 0; i < 300; ++i) {
      Point at;
      if (!ColorTest(rect, sim.platform(), flag, at) || !(at == Point{250, 150})) ++wrong;
      if (!ColorTest(fixed, sim.platform(), flag, at)) ++wrong;
    }
  };
  std::thread a(worker), b(worker);
  a.join();
  b.join();
  EXPECT_EQ(wrong.load(), 0);
}

// A capture of the read area answers exactly as the plain walk on the whole
// screen, in both modes, with points and rectangles near every edge, inside
// and outside the screen, so that the area's origin is rarely the screen's.
TEST_F(ColorTestTest, AreaCaptureAgreesWithTheWalkOnTheWholeScreen) {
  std::mt19937 rng(2024);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const uint32_t palette[] = {0x000000, 0x0000FF, 0x1010F0, 0x00FF00, 0xFFFFFF, kInvalidColour};
  int matched = 0, fixed_matched = 0;
  for (int round = 0; round < 3000; ++round) {
    Frame f;
    f.Resize(pick(0, 40), pick(0, 30), 0);
    for (auto& p : f.pixels) p = palette[pick(0, 4)];
    sim.SetScreen(f);
    ScreenCondition c;
    c.search_in_rect = round % 3 != 0;
    c.points_are_offsets = pick(0, 1) == 1;
    c.tolerance = pick(-2, 40);
    for (int i = pick(1, 5); i > 0; --i) {
      const int op = pick(0, 1) ? kOpEqual : pick(0, 10) ? pick(1, 4) : pick(5, 9);
      c.points.push_back(Pt(pick(-6, 45), pick(-6, 35), op, palette[pick(0, 5)]));
    }
    const int left = pick(-10, 45), top = pick(-10, 35);
    c.rect = Rect{left, top, left + pick(-1, 40), top + pick(-1, 30)};
    if (!c.search_in_rect && pick(0, 1) == 1)  // copy what the screen holds, so that fixed tests pass too
      for (ColorPoint& p : c.points.Edit()) p.colour = f.At(p.x, p.y);
    c.found_point.Store(Point{-7, -9});
    Point want{-7, -9};
    bool want_match = true;
    if (c.search_in_rect) {
      want_match = NaiveMatch(c, f, want);
    } else {
      for (const ColorPoint& p : c.points)
        want_match = want_match && PointMatches(p.op, f.At(p.x, p.y), p.colour, c.tolerance);
    }
    ASSERT_EQ(Test(c), want_match) << "round " << round;
    if (!want_match) continue;
    ASSERT_EQ(found, want) << "round " << round;
    ++(c.search_in_rect ? matched : fixed_matched);
  }
  EXPECT_GT(matched, 200);
  EXPECT_GT(fixed_matched, 100);
}

}  // namespace
}  // namespace tora
