// ColorTest: one capture of the screen, then a search in memory.
//
// The rectangle search must give exactly the answer of the plain walk
// (columns left to right, each column top to bottom, points in order, the
// first candidate whose points all match wins), but it has to run every
// 10 ms on a full-size screen. So:
//  - A point that cannot match the invalid colour read outside the frame
//    ("required") bounds the candidates to the positions where it lies
//    inside the frame; intersecting those bounds clips the search exactly.
//  - The most selective required point (an "==" point, else a "~=" point)
//    is the anchor: a tight loop over frame rows finds the pixels that pass
//    it, and only those candidates are tested against the other points.
//  - Rows are scanned inside column strips, left to right: the first strip
//    that holds a match holds the smallest x, and inside the strip a row
//    scan that never goes right of the best x found so far gives the
//    smallest x, then the smallest y. Memory is read along rows, not
//    down columns.
// The order in which points are tested does not change which candidate
// matches, only how soon a wrong one is rejected.
#include "vision/color_test.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/texts.h"

namespace tora {

namespace {

// Candidate columns per strip: wide enough for long runs of contiguous
// reads, narrow enough that a match far left ends the search early.
constexpr int64_t kStripWidth = 512;
// Pixels tested together before the loop looks at the result; the compiler
// turns the block into vector compares.
constexpr int64_t kBlock = 16;

struct Offset {
  int64_t dx = 0;
  int64_t dy = 0;
  int32_t op = kOpEqual;
  uint32_t colour = 0;
  bool matches_outside = false;  // the point's result wherever it falls outside the frame
};

struct Region {
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
};

// Per-channel bounds of a "~=" test: channel k passes when
// (p_k - lo_k) as unsigned <= span_k. An empty range never passes.
struct NearBounds {
  uint32_t lo[3] = {0, 0, 0};
  uint32_t span[3] = {0, 0, 0};
  bool empty = false;
};

NearBounds MakeNearBounds(uint32_t colour, int32_t tolerance) {
  NearBounds b;
  for (int k = 0; k < 3; ++k) {
    const int64_t c = (colour >> (8 * k)) & 0xFF;
    // c - t < p < c + t over p in 0..255
    const int64_t lo = std::max<int64_t>(0, c - tolerance + 1);
    const int64_t hi = std::min<int64_t>(255, c + static_cast<int64_t>(tolerance) - 1);
    if (lo > hi) {
      b.empty = true;
      return b;
    }
    b.lo[k] = static_cast<uint32_t>(lo);
    b.span[k] = static_cast<uint32_t>(hi - lo);
  }
  return b;
}

inline bool PassesNear(uint32_t p, const NearBounds& b) {
  // Bitwise & keeps the three channel tests free of branches.
  return (((p & 0xFF) - b.lo[0]) <= b.span[0]) & ((((p >> 8) & 0xFF) - b.lo[1]) <= b.span[1]) &
         ((((p >> 16) & 0xFF) - b.lo[2]) <= b.span[2]);
}

class Searcher {
 public:
  Searcher(const ScreenCondition& condition, const Frame& frame, const RunFlag& run_flag)
      : frame_(frame), run_flag_(run_flag), tolerance_(condition.tolerance) {
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
      o.op = p.op;
      o.colour = p.colour;
      o.matches_outside = PointMatches(p.op, kInvalidColour, p.colour, tolerance_);
      points_.push_back(o);
    }
  }

  // The first matching candidate of rect in column order, if any.
  bool Search(const Rect& rect, Point& found) {
    Region r{rect.left, rect.top, rect.right, rect.bottom};
    if (r.Empty()) return false;
    int anchor = -1;
    for (size_t i = 0; i < points_.size(); ++i) {
      const Offset& o = points_[i];
      if (o.matches_outside) continue;
      // Only where this point lies inside the frame can a candidate match.
      r.left = std::max(r.left, -o.dx);
      r.right = std::min(r.right, frame_.width - o.dx);
      r.top = std::max(r.top, -o.dy);
      r.bottom = std::min(r.bottom, frame_.height - o.dy);
      if (anchor < 0 || Rank(o.op) < Rank(points_[static_cast<size_t>(anchor)].op)) anchor = static_cast<int>(i);
    }
    if (r.Empty()) return false;
    if (anchor < 0) return WalkColumns(r, found);
    return ScanStrips(r, static_cast<size_t>(anchor), found);
  }

 private:
  // Lower is more selective as an anchor.
  static int Rank(int32_t op) { return op == kOpEqual ? 0 : op == kOpNear ? 1 : 2; }

  uint32_t Read(int64_t x, int64_t y) const { return frame_.At(x, y); }

  // Every point except the anchor at candidate (x, y).
  bool RestMatches(int64_t x, int64_t y, size_t skip) const {
    for (size_t i = 0; i < points_.size(); ++i) {
      if (i == skip) continue;
      const Offset& o = points_[i];
      if (!PointMatches(o.op, Read(x + o.dx, y + o.dy), o.colour, tolerance_)) return false;
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
          found = Point{static_cast<int32_t>(x), static_cast<int32_t>(y)};
          return true;
        }
      }
    }
    return false;
  }

  // The anchor lies inside the frame for every candidate of r.
  bool ScanStrips(const Region& r, size_t anchor, Point& found) {
    const Offset& a = points_[anchor];
    NearBounds near;
    if (a.op == kOpNear) {
      near = MakeNearBounds(a.colour, tolerance_);
      if (near.empty) return false;
    }
    for (int64_t strip = r.left; strip < r.right; strip += kStripWidth) {
      const int64_t strip_end = std::min(r.right, strip + kStripWidth);
      int64_t limit = strip_end;  // candidates right of a match need no look
      int64_t best_y = 0;
      for (int64_t y = r.top; y < r.bottom && strip < limit; ++y) {
        if (!run_flag_.IsSet()) return false;
        const uint32_t* row = &frame_.pixels[static_cast<size_t>(y + a.dy) * static_cast<size_t>(frame_.width) +
                                             static_cast<size_t>(strip + a.dx)];
        const int64_t n = limit - strip;
        const int64_t hit = ScanRow(row, n, a, near, strip, y, anchor);
        if (hit >= 0) {
          limit = strip + hit;
          best_y = y;
        }
      }
      if (limit < strip_end) {
        found = Point{static_cast<int32_t>(limit), static_cast<int32_t>(best_y)};
        return true;
      }
    }
    return false;
  }

  // The first index of row[0..n) whose candidate matches, or -1.
  int64_t ScanRow(const uint32_t* row, int64_t n, const Offset& a, const NearBounds& near, int64_t x0, int64_t y,
                  size_t anchor) const {
    int64_t i = 0;
    while (i < n) {
      const int64_t block_end = std::min(n, i + kBlock);
      if (block_end - i == kBlock && !BlockHasCandidate(row + i, a, near)) {
        i = block_end;
        continue;
      }
      for (; i < block_end; ++i) {
        if (!AnchorPasses(row[i], a, near)) continue;
        if (!run_flag_.IsSet()) return -1;
        if (RestMatches(x0 + i, y, anchor)) return i;
      }
    }
    return -1;
  }

  bool AnchorPasses(uint32_t p, const Offset& a, const NearBounds& near) const {
    switch (a.op) {
      case kOpEqual:
        return p == a.colour;
      case kOpNear:
        return PassesNear(p, near);
      default:
        return PointMatches(a.op, p, a.colour, tolerance_);
    }
  }

  static bool BlockHasCandidate(const uint32_t* p, const Offset& a, const NearBounds& near) {
    unsigned any = 0;
    if (a.op == kOpEqual) {
      const uint32_t c = a.colour;
      for (int64_t k = 0; k < kBlock; ++k) any |= static_cast<unsigned>(p[k] == c);
    } else if (a.op == kOpNear) {
      for (int64_t k = 0; k < kBlock; ++k) any |= static_cast<unsigned>(PassesNear(p[k], near));
    } else {
      return true;  // other operators are tested one pixel at a time
    }
    return any != 0;
  }

  const Frame& frame_;
  const RunFlag& run_flag_;
  const int32_t tolerance_;
  std::vector<Offset> points_;
};

void TraceLine(TracePort* trace, const char* format, int a, int b = 0) {
  if (trace == nullptr) return;
  const int len = std::snprintf(nullptr, 0, format, a, b);
  if (len < 0) return;
  std::string line(static_cast<size_t>(len) + 1, '\0');
  std::snprintf(&line[0], line.size(), format, a, b);
  line.resize(static_cast<size_t>(len));
  trace->Trace(line);
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

bool MatchCondition(ScreenCondition& condition, const Frame& frame, const RunFlag& run_flag, Point& found,
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
      if (!PointMatches(p.op, f.At(p.x, p.y), p.colour, condition.tolerance)) return false;
    }
    found = condition.found_point.Load();
    return true;
  }
  TraceLine(trace, texts::kTraceSearchStart, 0);
  Searcher searcher(condition, f, run_flag);
  Point at;
  if (!searcher.Search(condition.rect, at)) {
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

bool ColorTest(ScreenCondition& condition, Platform& platform, const RunFlag& run_flag, Point& found) {
  if (condition.points.empty()) {
    found = condition.found_point.Load();
    return true;
  }
  // Kept per worker thread so that a capture every few milliseconds reuses
  // its buffer instead of allocating a screen's worth of memory each time.
  thread_local Frame frame;
  platform.screen.CaptureScreen(frame);
  return MatchCondition(condition, frame, run_flag, found, &platform.trace);
}

}  // namespace tora
