// The nearest miss of a rectangle search: every candidate's count of
// passing points, the best one kept, found fast enough to answer at once on
// a full screen.
//
//  - Candidates at which no point reads the frame all read the invalid
//    colour everywhere, so they share one count; only the first of them in
//    the search's order can matter, and it is computed, not visited.
//  - The others are counted thirty-two side by side, in vector lanes, over a
//    copy of the frame with margins of the invalid colour wide enough for
//    every point of every candidate, so that the counting loop never tests
//    a position.
//  - A block of candidates is dropped as soon as none of them can reach the
//    best count so far (or equal it while coming earlier in the search's
//    order). Points are counted rarest first on this screen, so a wrong
//    place runs out of chances after a few of them; and the places where
//    the rarest points pass are counted before the rest, so that the best
//    count is high from the start when the condition nearly holds.
//  - Where no place has come near that way, the "==" points whose colour is
//    on no pixel are left out of the counts: they pass nowhere. A picture
//    that is not on the screen mostly has colours that are not either.
// The order in which candidates and points are counted never changes the
// answer: the count is exact, and ties go to the first in the search's
// order.
#include "vision/nearest_miss.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

#include "vision/condition_points.h"
#include "vision/pixel_test.h"
#include "vision/prepared_condition.h"
#include "vision/selectivity.h"

namespace tora {

namespace {

// Reads between two looks at the run flag, as in the live search.
constexpr int64_t kReadsBetweenLooks = 1 << 14;
// Candidates counted side by side: eight vectors of four lanes.
constexpr int kVectors = 8;
constexpr int64_t kBlock = 4 * kVectors;
// The largest copy of the frame with its margins (64 MB); a condition that
// reaches farther is counted one candidate at a time.
constexpr int64_t kMaxCopyPixels = int64_t{1} << 24;
// Points beyond this many are counted in list order, not ordered first.
constexpr size_t kMaxOrdered = size_t{1} << 22;
// From this many points on, "==" points whose colour the frame does not
// hold may be found (a look at every pixel) and left out of the counts.
constexpr size_t kColoursLookedUpFrom = 64;
// Points other than "==" whose passes are counted on the sample (each
// costs a pass over it); the rest count as passing everywhere.
constexpr size_t kMaxOtherCounted = 4096;
// The rarest points whose passing places are counted first, and how many
// places each.
constexpr size_t kAnchors = 3;
constexpr int kPlacesPerAnchor = 1024;

struct Best {
  int64_t count = -1;  // none yet
  int64_t x = 0;
  int64_t y = 0;
};

// Whether candidate (x, y) comes before (bx, by) in the search's order.
bool Before(int64_t x, int64_t y, int64_t bx, int64_t by) { return x < bx || (x == bx && y < by); }

void Offer(Best& best, int64_t count, int64_t x, int64_t y) {
  if (count > best.count || (count == best.count && Before(x, y, best.x, best.y))) best = Best{count, x, y};
}

// The count a candidate at (x, y) must reach to take the best's place.
int64_t Needed(const Best& best, int64_t x, int64_t y) {
  if (best.count < 0) return 0;
  return best.count + (Before(x, y, best.x, best.y) ? 0 : 1);
}

// Each lane the larger of a's and b's, into a (vectors by reference: see
// pixel_test.h).
void TakeLarger(Mask4& a, const Mask4& b) {
  const Mask4 a_larger = a > b;
  a = (a & a_larger) | (b & ~a_larger);
}

template <typename Points>
class NearestSearch {
 public:
  NearestSearch(const Points& points, const PreparedCondition& prepared, const Frame& frame, const RunFlag& run_flag)
      : points_(points), prepared_(prepared), frame_(frame), run_flag_(run_flag), n_(points.size()) {}

  // The best candidate of r (frame positions); false when the run was
  // stopped meanwhile.
  bool Run(const Region& r, Best& best) {
    if (r.Empty() || n_ == 0) return Running();
    for (size_t i = 0; i < n_; ++i) {
      if (!Tick()) return false;
      outside_count_ += points_.required(i) ? 0 : 1;
    }
    OrderPoints();
    if (stopped_) return false;
    // The candidates at which at least one point may read the frame.
    const Region& reach = prepared_.reach();
    Region touching;
    if (frame_.width > 0 && frame_.height > 0)
      touching = Region{1 - reach.right, 1 - reach.bottom, frame_.width - reach.left, frame_.height - reach.top};
    FirstOutside(r, touching, best);
    const Region inside{std::max(r.left, touching.left), std::max(r.top, touching.top),
                        std::min(r.right, touching.right), std::min(r.bottom, touching.bottom)};
    if (inside.Empty()) return Running();
    CountRarestPlaces(inside, best);
    if (!stopped_) LeaveOutAbsentColours(best);
    if (!stopped_ && !CountInBlocks(inside, best)) CountEach(inside, best);
    return !stopped_ && Running();
  }

 private:
  size_t Index(size_t j) const { return order_.empty() ? j : order_[j]; }

  bool Tick(int64_t reads = 1) {
    budget_ -= reads;
    if (budget_ > 0) return !stopped_;
    budget_ = kReadsBetweenLooks;
    return Running();
  }
  bool Running() {
    if (!run_flag_.IsSet()) stopped_ = true;
    return !stopped_;
  }

  // Rarest first on a sample of the frame, list order among equals.
  void OrderPoints() {
    if (n_ > kMaxOrdered) return;
    const std::vector<uint32_t> sample =
        SampleFrame(frame_, 0, 0, frame_.width, frame_.height, SampleColours::kMaxSample);
    if (sample.empty()) return;
    const SampleColours colours(sample.data(), sample.size());
    std::vector<uint32_t> passes(n_);
    size_t others = 0;
    for (size_t i = 0; i < n_; ++i) {
      if (!Tick()) return;
      if (points_.kind(i) == PixelTest::Kind::kEqual)
        passes[i] = static_cast<uint32_t>(colours.Count(points_.colour(i)));
      else if (others++ < kMaxOtherCounted)
        passes[i] = static_cast<uint32_t>(CountPasses(points_.Test(i), sample));
      else
        passes[i] = static_cast<uint32_t>(sample.size());
    }
    // A counting sort: passes lie within the sample's size, and points of
    // equal passes keep their list order.
    std::vector<size_t> first(sample.size() + 2, 0);
    for (size_t i = 0; i < n_; ++i) ++first[passes[i] + 1];
    for (size_t k = 1; k < first.size(); ++k) first[k] += first[k - 1];
    order_.resize(n_);
    for (size_t i = 0; i < n_; ++i) {
      if (!Tick()) return;
      order_[first[passes[i]]++] = static_cast<uint32_t>(i);
    }
  }

  // Moves the "==" points whose colour the frame does not hold behind the
  // others, out of the counts: they pass nowhere, on the frame or off it.
  // Worth a look at every pixel only where no place has come near so far,
  // so that counting would not drop many places early.
  void LeaveOutAbsentColours(const Best& best) {
    if (order_.empty() || n_ < kColoursLookedUpFrom || best.count >= static_cast<int64_t>(n_ / 2)) return;
    const std::vector<uint64_t> held = ColoursOfFrame();
    if (held.empty()) return;
    std::vector<uint32_t> absent;
    size_t kept = 0;
    for (size_t j = 0; j < n_; ++j) {
      if (!Tick()) return;
      const size_t i = order_[j];
      const uint32_t colour = points_.colour(i);
      if (points_.kind(i) == PixelTest::Kind::kEqual && colour != kInvalidColour && !Held(held, colour))
        absent.push_back(order_[j]);
      else
        order_[kept++] = order_[j];
    }
    std::copy(absent.begin(), absent.end(), order_.begin() + static_cast<std::ptrdiff_t>(kept));
    live_ = kept;
  }

  // Which 24-bit colours the frame holds, by their low 24 bits, one bit
  // each: a colour that is not marked is on no pixel.
  std::vector<uint64_t> ColoursOfFrame() {
    std::vector<uint64_t> held(size_t{1} << 18);
    for (size_t i = 0; i < frame_.pixels.size(); ++i) {
      if ((i & 0xFFFF) == 0 && !Tick(0x10000)) return {};
      const uint32_t c = frame_.pixels[i] & 0xFFFFFF;
      held[c >> 6] |= uint64_t{1} << (c & 63);
    }
    return held;
  }
  static bool Held(const std::vector<uint64_t>& held, uint32_t colour) {
    const uint32_t c = colour & 0xFFFFFF;
    return (held[c >> 6] >> (c & 63)) & 1;
  }

  // The first candidate of r, in the search's order, at which no point
  // reads the frame: every point there reads the invalid colour.
  void FirstOutside(const Region& r, const Region& t, Best& best) {
    const int64_t count = static_cast<int64_t>(outside_count_);
    if (t.Empty() || r.left < t.left || r.left >= t.right || r.top < t.top) return Offer(best, count, r.left, r.top);
    // The first column lies within t's columns: it leaves t below, or the
    // first column right of t does.
    if (r.bottom > t.bottom) return Offer(best, count, r.left, std::max(r.top, t.bottom));
    if (r.right > t.right) Offer(best, count, t.right, r.top);
  }

  // One candidate, point by point, ended once it cannot take the best's
  // place; positions off the frame read the invalid colour.
  void CountOne(int64_t x, int64_t y, Best& best) {
    const int64_t allowed_fails = static_cast<int64_t>(live_) - Needed(best, x, y);
    if (allowed_fails < 0) return;
    int64_t fails = 0;
    for (size_t j = 0; j < live_; ++j) {
      if (!Tick()) return;
      const size_t i = Index(j);
      if (!points_.Pass(i, frame_.At(x + points_.dx(i), y + points_.dy(i))) && ++fails > allowed_fails) return;
    }
    Offer(best, static_cast<int64_t>(live_) - fails, x, y);
  }

  // The places of r where each of the rarest points passes, up to a
  // number: where a condition nearly holds, these are among them.
  void CountRarestPlaces(const Region& r, Best& best) {
    size_t anchors = 0;
    for (size_t j = 0; j < live_ && anchors < kAnchors && !stopped_; ++j) {
      const size_t a = Index(j);
      if (!points_.required(a)) continue;
      ++anchors;
      const int64_t adx = points_.dx(a), ady = points_.dy(a);
      const int64_t left = std::max<int64_t>(0, r.left + adx), right = std::min<int64_t>(frame_.width, r.right + adx);
      const int64_t top = std::max<int64_t>(0, r.top + ady), bottom = std::min<int64_t>(frame_.height, r.bottom + ady);
      if (left >= right || top >= bottom) continue;
      int places = 0;
      const PixelTest test = points_.Test(a);
      ForKind(test, [&](auto pass) {
        for (int64_t v = top; v < bottom && places < kPlacesPerAnchor; ++v) {
          if (!Tick(right - left)) return;
          const uint32_t* row = frame_.pixels.data() + static_cast<size_t>(v) * static_cast<size_t>(frame_.width) +
                                static_cast<size_t>(left);
          const int64_t n = right - left;
          for (int64_t i = FindFirst(row, 0, n, pass); i >= 0 && places < kPlacesPerAnchor;
               i = FindFirst(row, i + 1, n, pass)) {
            ++places;
            CountOne(left + i - adx, v - ady, best);
            if (stopped_) return;
          }
        }
      });
    }
  }

  // Every candidate of r, one at a time: for a condition that reaches too
  // far for a copy with margins.
  void CountEach(const Region& r, Best& best) {
    for (int64_t x = r.left; x < r.right; ++x)
      for (int64_t y = r.top; y < r.bottom; ++y) {
        if (!Tick()) return;
        CountOne(x, y, best);
      }
  }

  // Every candidate of r in blocks, over a copy of the frame with margins.
  // False when the copy would be too large.
  bool CountInBlocks(const Region& r, Best& best) {
    const Region& reach = prepared_.reach();
    const int64_t left = r.left + reach.left, top = r.top + reach.top;
    // The last block may reach past r by up to a block less one.
    const int64_t width = (r.right - r.left) + (reach.right - reach.left) - 1 + kBlock;
    const int64_t height = (r.bottom - r.top) + (reach.bottom - reach.top) - 1;
    if (width > kMaxCopyPixels || height > kMaxCopyPixels || width * height > kMaxCopyPixels) return false;
    std::vector<uint32_t> copy;
    try {
      copy.assign(static_cast<size_t>(width * height), kInvalidColour);
    } catch (const std::bad_alloc&) {
      return false;
    }
    const int64_t from = std::max<int64_t>(left, 0), to = std::min<int64_t>(left + width, frame_.width);
    for (int64_t v = 0; v < height && from < to; ++v) {
      const int64_t y = top + v;
      if (y < 0 || y >= frame_.height) continue;
      std::memcpy(&copy[static_cast<size_t>(v * width + (from - left))],
                  &frame_.pixels[static_cast<size_t>(y * frame_.width + from)],
                  static_cast<size_t>(to - from) * sizeof(uint32_t));
    }
    for (int64_t y = r.top; y < r.bottom; ++y) {
      if (!Running()) return true;
      for (int64_t x = r.left; x < r.right; x += kBlock) {
        // The copy's index of the pixel at the candidate's own position.
        const int64_t at = (y - top) * width + (x - left);
        CountBlock(copy.data(), width, at, x, y, std::min(kBlock, r.right - x), best);
        if (stopped_) return true;
      }
    }
    return true;
  }

  // Adds one to the count of each candidate of the block at which point i
  // passes; p is the pixel point i reads from the block's first candidate.
  void AddPasses(size_t i, const uint32_t* p, Mask4* counts) const {
    if constexpr (Points::kAllEqual) {
      const uint32_t colour = points_.colour(i);
      for (int v = 0; v < kVectors; ++v) {
        Pixels4 pixels;
        std::memcpy(&pixels, p + 4 * v, sizeof pixels);
        counts[v] -= (Mask4)(pixels == colour);
      }
    } else {
      ForKind(points_.Test(i), [&](auto pass) {
        for (int v = 0; v < kVectors; ++v) {
          Pixels4 pixels;
          Mask4 passed;
          std::memcpy(&pixels, p + 4 * v, sizeof pixels);
          pass(pixels, passed);
          counts[v] -= passed;
        }
      });
    }
  }

  // The block of `valid` candidates from (x, y) rightwards, counted point by
  // point until none of them can take the best's place.
  void CountBlock(const uint32_t* copy, int64_t stride, int64_t at, int64_t x, int64_t y, int64_t valid, Best& best) {
    // The block's first candidate comes before all its others.
    const int64_t needed = Needed(best, x, y);
    if (static_cast<int64_t>(live_) < needed) return;
    Mask4 counts[kVectors];
    for (int v = 0; v < kVectors; ++v)
      for (int k = 0; k < 4; ++k) counts[v][k] = 4 * v + k < valid ? 0 : INT32_MIN / 2;  // lanes past r never win
    size_t j = 0;
    while (j < live_) {
      // Looked at often while a wrong place is still likely to drop out.
      const size_t end = std::min(live_, j < 16 ? j + 4 : j + 32);
      if (!Tick(kBlock * static_cast<int64_t>(end - j))) return;
      for (; j < end; ++j) {
        const size_t i = Index(j);
        AddPasses(i, copy + at + points_.dy(i) * stride + points_.dx(i), counts);
      }
      Mask4 most = counts[0];
      for (int v = 1; v < kVectors; ++v) TakeLarger(most, counts[v]);
      const int64_t top = std::max(std::max(most[0], most[1]), std::max(most[2], most[3]));
      if (top + static_cast<int64_t>(live_ - j) < needed) return;
    }
    for (int v = 0; v < kVectors; ++v)
      for (int k = 0; k < 4 && 4 * v + k < valid; ++k) Offer(best, counts[v][k], x + 4 * v + k, y);
  }

  const Points& points_;
  const PreparedCondition& prepared_;
  const Frame& frame_;
  const RunFlag& run_flag_;
  const size_t n_;
  // Points that can pass somewhere: the others are "==" points whose colour
  // the frame does not hold, which pass nowhere (on the frame or off it),
  // and are counted last, that is never.
  size_t live_ = n_;
  size_t outside_count_ = 0;  // points that pass on the invalid colour
  std::vector<uint32_t> order_;  // the order points are counted in; empty: list order
  int64_t budget_ = kReadsBetweenLooks;
  bool stopped_ = false;
};

}  // namespace

bool FindNearestPlace(const PreparedCondition& prepared, const Frame& frame, const RunFlag& run_flag,
                      NearestPlace& place) {
  place = NearestPlace{};
  if (!prepared.search_in_rect() || prepared.points().empty()) return run_flag.IsSet();
  const Rect& rect = prepared.rect();
  const Region r{rect.left, rect.top, rect.right, rect.bottom};
  Best best;
  const bool done = WithPoints(prepared, [&](const auto& points) {
    using Points = std::decay_t<decltype(points)>;
    return NearestSearch<Points>(points, prepared, frame, run_flag).Run(r, best);
  });
  if (!done) return false;
  if (best.count >= 0) {
    place.any = true;
    // A candidate lies in the condition's rectangle, so it fits.
    place.at = Point{static_cast<int32_t>(best.x), static_cast<int32_t>(best.y)};
    place.matched = static_cast<uint64_t>(best.count);
  }
  return true;
}

}  // namespace tora
