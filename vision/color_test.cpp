// ColorTest: one capture of the screen, then a search in memory.
//
// The rectangle search must give exactly the answer of the plain walk
// (columns left to right, each column top to bottom, points in order, the
// first candidate whose points all match wins), but it has to run every
// 10 ms on a full-size screen. So:
//  - A point that cannot match the invalid colour read outside the frame
//    ("required") bounds the candidates to the positions where it lies
//    inside the frame; intersecting those bounds clips the search exactly.
//    Where no candidate is left on the screen (a picture larger than the
//    screen), nothing is captured at all.
//  - The required point that passes least often on this screen is the
//    anchor, whatever its operator: a sample of the screen's pixels tells
//    how often each point passes (a picture on a flat screen of its own
//    colour passes nearly everywhere at its first sample, and nowhere at a
//    sample of another colour). A tight loop over frame rows, vectorised for
//    every operator, finds the pixels that pass the anchor, and only those
//    candidates are tested against the other points.
//  - Memory is read along rows, not down columns: a row scan that never
//    goes right of the best x found so far ends with the smallest x, and
//    among those the smallest y, which is the column walk's answer.
// Neither the anchor nor the order in which points are tested changes
// which candidate matches, only how soon a wrong one is rejected.
//
// Everything that does not depend on the screen is in the condition's
// prepared form, built once; a test allocates nothing that grows with the
// condition's points, and every loop that can run long looks at the run
// flag every few thousand reads, so that a stop ends it at once.
#include "vision/color_test.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/text_util.h"
#include "engine/texts.h"
#include "vision/condition_points.h"
#include "vision/pixel_test.h"
#include "vision/prepared_condition.h"
#include "vision/selectivity.h"

namespace tora {

namespace {

// Reads between two looks at the run flag in a loop that can run long: a
// few hundred microseconds of work at most.
constexpr int kReadsBetweenLooks = 1 << 14;

template <typename Points>
class Searcher {
 public:
  // origin: the screen position of the frame's pixel (0, 0).
  Searcher(const Points& points, const PreparedCondition& prepared, const Frame& frame, Point origin,
           const RunFlag& run_flag)
      : points_(points), prepared_(prepared), frame_(frame), origin_(origin), run_flag_(run_flag) {}

  // The first matching candidate of region (frame positions) in column
  // order, if any; found is its screen position. False too when the run
  // was stopped meanwhile.
  bool Search(Region r, Point& found) {
    if (r.Empty()) return false;
    if (prepared_.required_count() == 0) return WalkColumns(r, found);
    // Only where every required point lies inside the frame can a
    // candidate match.
    const Region& q = prepared_.required();
    r.left = std::max(r.left, -q.left);
    r.right = std::min<int64_t>(r.right, frame_.width - (q.right - 1));
    r.top = std::max(r.top, -q.top);
    r.bottom = std::min<int64_t>(r.bottom, frame_.height - (q.bottom - 1));
    if (r.Empty()) return false;
    const size_t anchor = ChooseAnchor(r);
    if (stopped_) return false;
    return ScanAnchor(r, anchor, found);
  }

 private:
  // Below this many candidates the scan costs less than telling the points
  // apart; up to kMaxSample pixels (one in 64 of the candidates) tell them.
  static constexpr int64_t kEstimateFrom = 64 * 64;
  static constexpr size_t kMaxOtherCounted = 16;
  static constexpr size_t kNone = SIZE_MAX;
  static constexpr size_t kRecent = 4;

  // Counts one read or one point looked at; every kReadsBetweenLooks of
  // them looks at the run flag. False once the run has been stopped.
  bool Tick() {
    if (--budget_ > 0) return !stopped_;
    budget_ = kReadsBetweenLooks;
    if (!run_flag_.IsSet()) stopped_ = true;
    return !stopped_;
  }
  bool Running() {
    if (!run_flag_.IsSet()) stopped_ = true;
    return !stopped_;
  }

  // The cost of scanning for a test, among tests that pass equally often.
  static int ScanCost(PixelTest::Kind kind) {
    return kind == PixelTest::Kind::kEqual || kind == PixelTest::Kind::kNotEqual ? 0 : 1;
  }
  static int Rank(PixelTest::Kind kind) {
    return kind == PixelTest::Kind::kEqual ? 0 : kind == PixelTest::Kind::kWithin ? 1 : 2;
  }

  // The required point to scan for: the one that passes least often on a
  // sample of the candidates' pixels (the first of those, and among equals
  // one that scans cheaper); for a small area, the first "==" point, else
  // the first "~=", else the first. Only "==" points and the first few
  // others are counted; nothing is allocated for the points.
  size_t ChooseAnchor(const Region& r) {
    const int64_t area = (r.right - r.left) * (r.bottom - r.top);  // within the frame's size
    size_t best = kNone;
    if (prepared_.required_count() > 1 && area >= kEstimateFrom) {
      const size_t count = std::min<size_t>(SampleColours::kMaxSample, static_cast<size_t>(area / 64));
      const std::vector<uint32_t> sample = SampleFrame(frame_, r.left, r.top, r.right, r.bottom, count);
      const SampleColours colours(sample.data(), sample.size());
      size_t best_passes = 0, other = 0;
      int best_cost = 0;
      for (size_t i = 0; i < points_.size(); ++i) {
        if (!points_.required(i)) continue;
        if (!Tick()) return kNone;
        const PixelTest::Kind kind = points_.kind(i);
        size_t passes = sample.size() + 1;
        if (kind == PixelTest::Kind::kEqual)
          passes = colours.Count(points_.colour(i));
        else if (other++ < kMaxOtherCounted)
          passes = CountPasses(points_.Test(i), sample);
        const int cost = ScanCost(kind);
        if (best == kNone || passes < best_passes || (passes == best_passes && cost < best_cost)) {
          best = i;
          best_passes = passes;
          best_cost = cost;
          if (passes == 0 && cost == 0) break;  // nothing later can do better
        }
      }
      return best;
    }
    for (size_t i = 0; i < points_.size(); ++i) {
      if (!points_.required(i)) continue;
      if (!Tick()) return kNone;
      if (best == kNone || Rank(points_.kind(i)) < Rank(points_.kind(best))) best = i;
      if (Rank(points_.kind(best)) == 0) break;
    }
    return best;
  }

  uint32_t Read(int64_t x, int64_t y) const { return frame_.At(x, y); }

  // Every point except skip at candidate (x, y). The few points that last
  // rejected a candidate are read first: on a screen that agrees with most
  // of a picture (a flat background) the one point that tells them apart is
  // then read first, not last. The order never changes which candidate
  // matches. False also when the run was stopped meanwhile.
  bool RestMatches(int64_t x, int64_t y, size_t skip) {
    for (size_t k = 0; k < recent_count_; ++k) {
      const size_t i = recent_[k];
      if (!points_.Pass(i, Read(x + points_.dx(i), y + points_.dy(i)))) {
        std::rotate(recent_, recent_ + k, recent_ + k + 1);
        return false;
      }
    }
    for (size_t i = 0; i < points_.size(); ++i) {
      if (i == skip) continue;
      if (!Tick()) return false;
      if (!points_.Pass(i, Read(x + points_.dx(i), y + points_.dy(i)))) {
        // It passed none of the recent ones' places here, so it is not
        // among them.
        if (recent_count_ < kRecent) ++recent_count_;
        std::copy_backward(recent_, recent_ + recent_count_ - 1, recent_ + recent_count_);
        recent_[0] = i;
        return false;
      }
    }
    return true;
  }

  // No point bounds the candidates (each matches outside the frame), so
  // the region may be huge. Every candidate that fails has a point inside
  // the frame, so the walk visits at most points x frame size failures
  // before it ends.
  bool WalkColumns(const Region& r, Point& found) {
    for (int64_t x = r.left; x < r.right; ++x) {
      if (!Running()) return false;
      for (int64_t y = r.top; y < r.bottom; ++y) {
        if (RestMatches(x, y, kNone)) {
          found = OnScreen(x, y);
          return true;
        }
        if (stopped_) return false;
      }
    }
    return false;
  }

  // The anchor lies inside the frame for every candidate of r.
  bool ScanAnchor(const Region& r, size_t anchor, Point& found) {
    const PixelTest test = points_.Test(anchor);
    return ForKind(test, [&](auto pass) { return ScanRows(r, anchor, found, pass); });
  }

  // Rows top to bottom, each from the left up to the best column found so
  // far: the first passing candidate of a row is that row's leftmost, and a
  // later row can only win with a smaller x. Whole rows are read in memory
  // order; a narrower window of columns would end a search for a match far
  // left sooner but makes every other search slower.
  template <typename Pass>
  bool ScanRows(const Region& r, size_t anchor, Point& found, const Pass& pass) {
    const int64_t adx = points_.dx(anchor), ady = points_.dy(anchor);
    const size_t stride = static_cast<size_t>(frame_.width);
    int64_t limit = r.right;  // candidates right of a match need no look
    int64_t best_y = 0;
    for (int64_t y = r.top; y < r.bottom && r.left < limit; ++y) {
      if (!Running()) return false;
      const uint32_t* row =
          frame_.pixels.data() + static_cast<size_t>(y + ady) * stride + static_cast<size_t>(r.left + adx);
      const int64_t n = limit - r.left;
      for (int64_t i = FindFirst(row, 0, n, pass); i >= 0; i = FindFirst(row, i + 1, n, pass)) {
        if (RestMatches(r.left + i, y, anchor)) {
          limit = r.left + i;
          best_y = y;
          break;
        }
        if (stopped_ || !Tick()) return false;
      }
    }
    if (limit == r.right) return false;
    found = OnScreen(limit, best_y);
    return true;
  }

  // The screen position of a frame position; the candidate lies in the
  // condition's rectangle, so it fits.
  Point OnScreen(int64_t x, int64_t y) const {
    return Point{static_cast<int32_t>(x + origin_.x), static_cast<int32_t>(y + origin_.y)};
  }

  const Points& points_;
  const PreparedCondition& prepared_;
  const Frame& frame_;
  const Point origin_;
  const RunFlag& run_flag_;
  int budget_ = kReadsBetweenLooks;
  bool stopped_ = false;
  size_t recent_[kRecent] = {};  // the points that last rejected a candidate, the latest first
  size_t recent_count_ = 0;
};

void TraceLine(TracePort* trace, const char* format, int a, int b = 0) {
  if (trace != nullptr) trace->Trace(Format(format, a, b));
}

}  // namespace

bool PointMatches(int32_t op, uint32_t pixel, uint32_t colour, int32_t tolerance) {
  switch (op) {
    case kOpEqual:
      return pixel == colour;
    case kOpNotEqual:
      return pixel != colour;
    case kOpNear:
    case kOpNotNear: {
      bool within = true;
      for (int k = 0; k < 3; ++k) {
        const int64_t p = (pixel >> (8 * k)) & 0xFF;
        const int64_t c = (colour >> (8 * k)) & 0xFF;
        within = within && c - tolerance < p && p < c + tolerance;
      }
      return op == kOpNear ? within : !within;
    }
    default:
      return true;  // an operator without a test
  }
}

namespace {

// The area of the screen the condition can read on a screen of this size:
// its points' bounding box in fixed mode; in rectangle mode every position
// a point reaches from a candidate that has all its required points on the
// screen. False when no such candidate exists, or in fixed mode when a
// required point lies off the screen: then the condition cannot hold and
// nothing need be copied.
bool ReadArea(const PreparedCondition& prepared, Size screen, Region& area) {
  const Region& reach = prepared.reach();
  const Region& q = prepared.required();
  const bool bounded = prepared.required_count() > 0;
  if (!prepared.search_in_rect()) {
    if (bounded && (q.left < 0 || q.top < 0 || q.right > screen.width || q.bottom > screen.height)) return false;
    area = reach;
    return true;
  }
  const Rect& r = prepared.rect();
  Region c{r.left, r.top, r.right, r.bottom};
  if (bounded) {
    c.left = std::max(c.left, -q.left);
    c.right = std::min<int64_t>(c.right, screen.width - (q.right - 1));
    c.top = std::max(c.top, -q.top);
    c.bottom = std::min<int64_t>(c.bottom, screen.height - (q.bottom - 1));
  }
  if (c.Empty()) return false;
  // A candidate (x, y) reads (x + dx, y + dy) for x in [left, right).
  area = Region{c.left + reach.left, c.top + reach.top, c.right - 1 + reach.right, c.bottom - 1 + reach.bottom};
  return true;
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX));
}

// Every point at its own position, the run flag read before each one.
bool MatchFixed(const PreparedCondition& prepared, const Frame& f, Point origin, const RunFlag& run_flag) {
  const PointList& points = prepared.points();
  if (const PointList::Picture* picture = points.picture()) {
    for (size_t i = 0; i < picture->samples.size(); ++i) {
      if (!run_flag.IsSet()) return false;
      const ColorPoint p = PointList::Decode(*picture, i);
      if (f.At(static_cast<int64_t>(p.x) - origin.x, static_cast<int64_t>(p.y) - origin.y) != p.colour)
        return false;
    }
    return true;
  }
  for (const ColorPoint& p : points.written()) {
    if (!run_flag.IsSet()) return false;
    if (!PointMatches(p.op, f.At(static_cast<int64_t>(p.x) - origin.x, static_cast<int64_t>(p.y) - origin.y),
                      p.colour, prepared.tolerance()))
      return false;
  }
  return true;
}

// A frame whose buffer disagrees with its size is read as an empty one
// (every position outside) rather than past its end.
const Frame& SoundFrame(const Frame& frame) {
  static const Frame kEmpty;
  const bool sound = frame.width >= 0 && frame.height >= 0 &&
                     frame.pixels.size() == static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
  return sound ? frame : kEmpty;
}

// The search proper, on a sound frame with at least one point.
bool Search(const PreparedCondition& prepared, const Frame& f, Point origin, const RunFlag& run_flag, Point& at) {
  if (!prepared.search_in_rect()) return MatchFixed(prepared, f, origin, run_flag);
  const Rect& rect = prepared.rect();
  const Region region{static_cast<int64_t>(rect.left) - origin.x, static_cast<int64_t>(rect.top) - origin.y,
                      static_cast<int64_t>(rect.right) - origin.x, static_cast<int64_t>(rect.bottom) - origin.y};
  const bool hit = WithPoints(prepared, [&](const auto& points) {
    using Points = std::decay_t<decltype(points)>;
    return Searcher<Points>(points, prepared, f, origin, run_flag).Search(region, at);
  });
  // A stop during the search must not pass for a match.
  return hit && run_flag.IsSet();
}

// The condition on a frame whose pixel (0, 0) is the screen's origin. The
// frame must hold every on-screen position the condition can read; a
// position outside it reads as off the screen.
bool MatchAt(ScreenCondition& condition, const PreparedCondition& prepared, const Frame& frame, Point origin,
             const RunFlag& run_flag, Point& found, TracePort* trace) {
  if (prepared.points().empty()) {
    found = condition.found_point.Load();
    return true;
  }
  const Frame& f = SoundFrame(frame);
  TraceLine(trace, texts::kTracePointCount, static_cast<int>(prepared.points().size()));
  if (prepared.search_in_rect()) TraceLine(trace, texts::kTraceSearchStart, 0);
  Point at;
  if (!Search(prepared, f, origin, run_flag, at)) {
    if (prepared.search_in_rect() && run_flag.IsSet()) TraceLine(trace, texts::kTraceSearchEnd, 0);
    return false;
  }
  if (!prepared.search_in_rect()) {
    found = condition.found_point.Load();
    return true;
  }
  TraceLine(trace, texts::kTraceFound, at.x, at.y);
  condition.found_point.Store(at);
  found = at;
  return true;
}

// The condition's prepared form, or one made for this test alone when the
// condition was never prepared.
const PreparedCondition& PreparedFor(const ScreenCondition& condition, std::unique_ptr<PreparedCondition>& own) {
  if (condition.prepared) return *condition.prepared;
  own = std::make_unique<PreparedCondition>(condition);
  return *own;
}

}  // namespace

bool SearchCondition(const PreparedCondition& prepared, const Frame& frame, const RunFlag& run_flag, Point& at) {
  if (prepared.points().empty()) return true;
  return Search(prepared, SoundFrame(frame), Point{}, run_flag, at);
}

bool MatchCondition(ScreenCondition& condition, const Frame& frame, const RunFlag& run_flag, Point& found,
                    TracePort* trace) {
  std::unique_ptr<PreparedCondition> own;
  return MatchAt(condition, PreparedFor(condition, own), frame, Point{}, run_flag, found, trace);
}

bool ColorTest(ScreenCondition& condition, Platform& platform, const RunFlag& run_flag, Point& found) {
  if (condition.points.empty()) {
    found = condition.found_point.Load();
    return true;
  }
  std::unique_ptr<PreparedCondition> own;
  const PreparedCondition& prepared = PreparedFor(condition, own);
  // Only what the condition can read crosses from the screen: the copy is
  // nearly all of an evaluation's cost. A condition that cannot hold on
  // this screen (a picture larger than it) copies nothing.
  Region area;
  if (!ReadArea(prepared, platform.screen.ScreenSize(), area)) return false;
  // Kept per worker thread so that a capture every few milliseconds reuses
  // its buffer, and two workers testing one condition never share it.
  thread_local Frame frame;
  const Rect wanted = area.Empty() ? Rect{}
                                   : Rect{ClampToInt32(area.left), ClampToInt32(area.top), ClampToInt32(area.right),
                                          ClampToInt32(area.bottom)};
  Point origin;
  // A failed capture must not leave the previous screen in place to be
  // matched again: it reads as no screen at all.
  if (!platform.screen.CaptureArea(wanted, frame, origin)) {
    frame.Resize(0, 0);
    origin = Point{};
  }
  return MatchAt(condition, prepared, frame, origin, run_flag, found, &platform.trace);
}

}  // namespace tora
