// What a condition's test needs that no screen changes: the points as
// offsets from a candidate with their tests, the bounds that the points
// which cannot match off the screen put on the candidates, and the area the
// condition reads. Built once when the script declares the condition and
// then only read, by every worker that tests it, so that a test allocates
// nothing that grows with the condition's points: a picture of a million
// samples is tested in place, in the compact form its list holds.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/registry.h"
#include "vision/pixel_test.h"

namespace tora {

// A half-open box of positions or offsets: [left, right) x [top, bottom).
struct Region {
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
};

// A written point as the rectangle search reads it.
struct Offset {
  int64_t dx = 0;
  int64_t dy = 0;
  PixelTest test;
  bool matches_outside = false;  // the point's result wherever it falls outside the screen
};

class PreparedCondition {
 public:
  explicit PreparedCondition(const ScreenCondition& condition);

  bool search_in_rect() const { return search_in_rect_; }
  const Rect& rect() const { return rect_; }
  int32_t tolerance() const { return tolerance_; }
  const PointList& points() const { return points_; }

  // Rectangle mode. A picture's samples are read where the list holds them,
  // at (base + position) from the candidate (picture() is then set);
  // written points as offsets().
  const PointList::Picture* picture() const { return picture_; }
  int64_t base_x() const { return base_x_; }
  int64_t base_y() const { return base_y_; }
  const std::vector<Offset>& offsets() const { return offsets_; }

  // The points that fail off the screen ("required"): how many, and the box
  // of their offsets (rectangle mode) or positions (fixed mode). Only where
  // all of them lie on the screen can the condition hold.
  size_t required_count() const { return required_count_; }
  const Region& required() const { return required_; }
  // The box of every point's offset or position.
  const Region& reach() const { return reach_; }

 private:
  bool search_in_rect_ = false;
  Rect rect_;
  int32_t tolerance_ = kDefaultTolerance;
  PointList points_;
  const PointList::Picture* picture_ = nullptr;
  int64_t base_x_ = 0;
  int64_t base_y_ = 0;
  std::vector<Offset> offsets_;
  size_t required_count_ = 0;
  Region required_{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
  Region reach_{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
};

// Builds the condition's prepared form into condition.prepared; called once
// the script has declared the whole condition.
void PrepareCondition(ScreenCondition& condition);

}  // namespace tora
