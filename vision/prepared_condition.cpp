// A condition's frame-independent part, built once.
#include "vision/prepared_condition.h"

#include <algorithm>
#include <climits>

#include "vision/color_test.h"

namespace tora {

namespace {

void Include(Region& r, int64_t x, int64_t y) {
  r.left = std::min(r.left, x);
  r.top = std::min(r.top, y);
  r.right = std::max(r.right, x + 1);
  r.bottom = std::max(r.bottom, y + 1);
}

// Whether every sample reads at exactly origin + position: then the search
// adds the origin itself instead of holding an offset per sample.
bool ExactInPlace(const PointList::Picture& picture) {
  constexpr int32_t kMaxPosition = 65535;
  return picture.origin.x <= INT32_MAX - kMaxPosition && picture.origin.y <= INT32_MAX - kMaxPosition;
}

}  // namespace

PreparedCondition::PreparedCondition(const ScreenCondition& condition)
    : search_in_rect_(condition.search_in_rect),
      rect_(condition.rect),
      tolerance_(condition.tolerance),
      points_(condition.points) {
  if (points_.empty()) return;
  // In rectangle mode written points count from the first one; a
  // picture's samples, and fixed positions, from nothing.
  const ColorPoint first = points_.front();
  const bool from_first = search_in_rect_ && !condition.points_are_offsets;
  const int64_t from_x = from_first ? first.x : 0, from_y = from_first ? first.y : 0;
  const PointList::Picture* picture = points_.picture();
  if (search_in_rect_ && picture && ExactInPlace(*picture)) {
    picture_ = picture;
    base_x_ = picture->origin.x - from_x;
    base_y_ = picture->origin.y - from_y;
  }
  const bool written_offsets = search_in_rect_ && !picture_;
  if (written_offsets) offsets_.reserve(points_.size());
  for (size_t i = 0; i < points_.size(); ++i) {
    const ColorPoint p = points_[i];
    const int64_t dx = p.x - from_x, dy = p.y - from_y;
    const bool matches_outside = PointMatches(p.op, kInvalidColour, p.colour, tolerance_);
    Include(reach_, dx, dy);
    if (!matches_outside) {
      Include(required_, dx, dy);
      ++required_count_;
    }
    if (written_offsets) offsets_.push_back(Offset{dx, dy, PixelTest(p.op, p.colour, tolerance_), matches_outside});
  }
}

void PrepareCondition(ScreenCondition& condition) {
  condition.prepared = std::make_shared<const PreparedCondition>(condition);
}

}  // namespace tora
