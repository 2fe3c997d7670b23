// ColorTest: one capture of the screen, then a search in memory.
//
// The rectangle search must give exactly the answer of the plain walk
// (columns left to right, each column top to bottom, points in order, the
// first candidate whose points all match wins), but it has to run every
// 10 ms on a full-size screen. So:
//  - A point that cannot match the invalid colour read outside the frame
//    ("required") bounds the candidates to the positions where it lies
//    inside the frame; intersecting those bounds clips the search exactly.
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
#include "vision/color_test.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/text_util.h"
#include "engine/texts.h"
#include "vision/pixel_test.h"
#include "vision/selectivity.h"

namespace tora {

namespace {

struct Offset {
  int64_t dx = 0;
  int64_t dy = 0;
  PixelTest test;
  bool matches_outside = false;  // the point's result wherever it falls outside the frame
};

struct Region {
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
};

class Searcher {
 public:
  // origin: the screen position of the frame's pixel (0, 0).
  Searcher(const ScreenCondition& condition, const Frame& frame, Point origin, const RunFlag& run_flag)
      : frame_(frame), origin_(origin), run_flag_(run_flag), tolerance_(condition.tolerance) {
    const ColorPoint& first = condition.points.front();
    for (const ColorPoint& p : condition.points) {
      Offset o;
      if (condition.points_are_offsets) {
        o.dx = p.x;
        o.dy = p.y;
      } else {
        o.dx = static_cast<int64_t>(p.x) - first.x;
        o.dy = static_cast<int64_t>(p.y) - first.y;
      }
      o.test = PixelTest(p.op, p.colour, tolerance_);
      o.matches_outside = o.test(kInvalidColour);
      points_.push_back(o);
    }
  }

  // The first matching candidate of region (frame positions) in column
  // order, if any; found is its screen position.
  bool Search(Region r, Point& found) {
    if (r.Empty()) return false;
    std::vector<size_t> required;
    for (size_t i = 0; i < points_.size(); ++i) {
      const Offset& o = points_[i];
      if (o.matches_outside) continue;
      // Only where this point lies inside the frame can a candidate match.
      r.left = std::max(r.left, -o.dx);
      r.right = std::min(r.right, frame_.width - o.dx);
      r.top = std::max(r.top, -o.dy);
      r.bottom = std::min(r.bottom, frame_.height - o.dy);
      required.push_back(i);
    }
    if (r.Empty()) return false;
    if (required.empty()) return WalkColumns(r, found);
    return ScanAnchor(r, ChooseAnchor(required, r), found);
  }

 private:
  // Below this many candidates the scan costs less than telling the points
  // apart; up to kSample pixels (one in 64 of the candidates) tell them.
  static constexpr int64_t kEstimateFrom = 64 * 64;
  static constexpr size_t kSample = 1024;
  static constexpr size_t kMaxOtherCounted = 16;

  // The cost of scanning for a test, among tests that pass equally often.
  static int ScanCost(PixelTest::Kind kind) {
    return kind == PixelTest::Kind::kEqual || kind == PixelTest::Kind::kNotEqual ? 0 : 1;
  }

  // The required point to scan for: the one that passes least often on a
  // sample of the candidates' pixels; for a small area, the first "=="
  // point, else the first "~=", else the first.
  size_t ChooseAnchor(const std::vector<size_t>& required, const Region& r) const {
    const int64_t area = (r.right - r.left) * (r.bottom - r.top);  // within the frame's size
    if (required.size() > 1 && area >= kEstimateFrom) {
      const size_t count = std::min<size_t>(kSample, static_cast<size_t>(area / 64));
      const std::vector<uint32_t> sample = SampleFrame(frame_, r.left, r.top, r.right, r.bottom, count);
      std::vector<const PixelTest*> tests;
      for (size_t i : required) tests.push_back(&points_[i].test);
      const std::vector<size_t> passes = CountPasses(tests, sample, kMaxOtherCounted);
      size_t best = 0;
      for (size_t k = 1; k < required.size(); ++k) {
        const int cost = ScanCost(tests[k]->kind()), best_cost = ScanCost(tests[best]->kind());
        if (passes[k] < passes[best] || (passes[k] == passes[best] && cost < best_cost)) best = k;
      }
      return required[best];
    }
    size_t best = required.front();
    for (size_t i : required)
      if (Rank(points_[i].test.kind()) < Rank(points_[best].test.kind())) best = i;
    return best;
  }

  static int Rank(PixelTest::Kind kind) {
    return kind == PixelTest::Kind::kEqual ? 0 : kind == PixelTest::Kind::kWithin ? 1 : 2;
  }

  uint32_t Read(int64_t x, int64_t y) const { return frame_.At(x, y); }

  // Every point except the anchor at candidate (x, y). A point that
  // rejects a candidate moves to the front of the order: on a screen that
  // agrees with most of a picture (a flat background) the one point that
  // tells them apart is then read first, not last. The order never changes
  // which candidate matches.
  bool RestMatches(int64_t x, int64_t y, size_t skip) {
    if (!order_built_ || order_skip_ != skip) {
      order_.clear();
      for (size_t i = 0; i < points_.size(); ++i)
        if (i != skip) order_.push_back(i);
      order_skip_ = skip;
      order_built_ = true;
    }
    for (size_t k = 0; k < order_.size(); ++k) {
      const Offset& o = points_[order_[k]];
      if (!o.test(Read(x + o.dx, y + o.dy))) {
        if (k != 0) std::swap(order_[0], order_[k]);
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
      if (!run_flag_.IsSet()) return false;
      for (int64_t y = r.top; y < r.bottom; ++y) {
        if (RestMatches(x, y, points_.size())) {
          found = OnScreen(x, y);
          return true;
        }
      }
    }
    return false;
  }

  // The anchor lies inside the frame for every candidate of r.
  bool ScanAnchor(const Region& r, size_t anchor, Point& found) {
    return ForKind(points_[anchor].test, [&](auto pass) { return ScanRows(r, anchor, found, pass); });
  }

  // Rows top to bottom, each from the left up to the best column found so
  // far: the first passing candidate of a row is that row's leftmost, and a
  // later row can only win with a smaller x. Whole rows are read in memory
  // order; a narrower window of columns would end a search for a match far
  // left sooner but makes every other search slower.
  template <typename Pass>
  bool ScanRows(const Region& r, size_t anchor, Point& found, const Pass& pass) {
    const Offset& a = points_[anchor];
    const size_t stride = static_cast<size_t>(frame_.width);
    int64_t limit = r.right;  // candidates right of a match need no look
    int64_t best_y = 0;
    for (int64_t y = r.top; y < r.bottom && r.left < limit; ++y) {
      if (!run_flag_.IsSet()) return false;
      const uint32_t* row =
          frame_.pixels.data() + static_cast<size_t>(y + a.dy) * stride + static_cast<size_t>(r.left + a.dx);
      const int64_t n = limit - r.left;
      for (int64_t i = FindFirst(row, 0, n, pass); i >= 0; i = FindFirst(row, i + 1, n, pass)) {
        if (!run_flag_.IsSet()) return false;
        if (RestMatches(r.left + i, y, anchor)) {
          limit = r.left + i;
          best_y = y;
          break;
        }
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

  const Frame& frame_;
  const Point origin_;
  const RunFlag& run_flag_;
  const int32_t tolerance_;
  std::vector<Offset> points_;
  std::vector<size_t> order_;  // test order of the points other than the anchor
  size_t order_skip_ = 0;
  bool order_built_ = false;
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

// The area of the screen the condition can read: its points' bounding box
// in fixed mode; in rectangle mode every position a point reaches from a
// candidate of the rectangle. Empty when nothing is read.
Region ReadArea(const ScreenCondition& condition) {
  const ColorPoint& first = condition.points.front();
  Region reach{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
  for (const ColorPoint& p : condition.points) {
    int64_t x = p.x, y = p.y;
    if (condition.search_in_rect && !condition.points_are_offsets) {
      x -= first.x;
      y -= first.y;
    }
    reach.left = std::min(reach.left, x);
    reach.top = std::min(reach.top, y);
    reach.right = std::max(reach.right, x + 1);
    reach.bottom = std::max(reach.bottom, y + 1);
  }
  if (!condition.search_in_rect) return reach;
  const Rect& r = condition.rect;
  if (r.left >= r.right || r.top >= r.bottom) return Region{};
  // A candidate (x, y) reads (x + dx, y + dy) for x in [left, right).
  return Region{r.left + reach.left, r.top + reach.top, r.right - 1 + reach.right, r.bottom - 1 + reach.bottom};
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX));
}

// The condition on a frame whose pixel (0, 0) is the screen's origin. The
// frame must hold every on-screen position the condition can read; a
// position outside it reads as off the screen.
bool MatchAt(ScreenCondition& condition, const Frame& frame, Point origin, const RunFlag& run_flag, Point& found,
             TracePort* trace) {
  if (condition.points.empty()) {
    found = condition.found_point.Load();
    return true;
  }
  // A frame whose buffer disagrees with its size is read as an empty one
  // (every position outside) rather than past its end.
  static const Frame kEmpty;
  const bool sound = frame.width >= 0 && frame.height >= 0 &&
                     frame.pixels.size() == static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
  const Frame& f = sound ? frame : kEmpty;
  TraceLine(trace, texts::kTracePointCount, static_cast<int>(condition.points.size()));
  if (!condition.search_in_rect) {
    for (const ColorPoint& p : condition.points) {
      if (!run_flag.IsSet()) return false;
      if (!PointMatches(p.op, f.At(static_cast<int64_t>(p.x) - origin.x, static_cast<int64_t>(p.y) - origin.y),
                        p.colour, condition.tolerance))
        return false;
    }
    found = condition.found_point.Load();
    return true;
  }
  TraceLine(trace, texts::kTraceSearchStart, 0);
  Searcher searcher(condition, f, origin, run_flag);
  const Rect& rect = condition.rect;
  const Region region{static_cast<int64_t>(rect.left) - origin.x, static_cast<int64_t>(rect.top) - origin.y,
                      static_cast<int64_t>(rect.right) - origin.x, static_cast<int64_t>(rect.bottom) - origin.y};
  Point at;
  if (!searcher.Search(region, at)) {
    if (run_flag.IsSet()) TraceLine(trace, texts::kTraceSearchEnd, 0);
    return false;
  }
  // A stop during the search must not pass for a match.
  if (!run_flag.IsSet()) return false;
  TraceLine(trace, texts::kTraceFound, at.x, at.y);
  condition.found_point.Store(at);
  found = at;
  return true;
}

}  // namespace

bool MatchCondition(ScreenCondition& condition, const Frame& frame, const RunFlag& run_flag, Point& found,
                    TracePort* trace) {
  return MatchAt(condition, frame, Point{}, run_flag, found, trace);
}

bool ColorTest(ScreenCondition& condition, Platform& platform, const RunFlag& run_flag, Point& found) {
  if (condition.points.empty()) {
    found = condition.found_point.Load();
    return true;
  }
  // Kept per worker thread so that a capture every few milliseconds reuses
  // its buffer, and two workers testing one condition never share it.
  thread_local Frame frame;
  // Only what the condition can read crosses from the screen: the copy is
  // nearly all of an evaluation's cost.
  const Region area = ReadArea(condition);
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
  return MatchAt(condition, frame, origin, run_flag, found, &platform.trace);
}

}  // namespace tora
