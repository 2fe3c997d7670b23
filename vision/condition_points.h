// A prepared condition's points as its searches read them: each as an offset
// from the candidate with its test, and whether it holds where it falls
// outside the screen. Written points come from the prepared list of
// offsets; a picture's samples are read where its list holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/registry.h"
#include "platform/platform.h"
#include "vision/pixel_test.h"
#include "vision/prepared_condition.h"

namespace tora {

// Written points as the search reads them.
class WrittenPoints {
 public:
  static constexpr bool kAllEqual = false;
  explicit WrittenPoints(const std::vector<Offset>& offsets) : o_(offsets.data()), n_(offsets.size()) {}
  size_t size() const { return n_; }
  int64_t dx(size_t i) const { return o_[i].dx; }
  int64_t dy(size_t i) const { return o_[i].dy; }
  bool required(size_t i) const { return !o_[i].matches_outside; }
  PixelTest::Kind kind(size_t i) const { return o_[i].test.kind(); }
  uint32_t colour(size_t i) const { return o_[i].test.colour(); }
  bool Pass(size_t i, uint32_t pixel) const { return o_[i].test(pixel); }
  const PixelTest& Test(size_t i) const { return o_[i].test; }

 private:
  const Offset* o_;
  size_t n_;
};

// A picture's samples, read where its list holds them: each at base plus
// its position from the candidate, tested with "==".
class PicturePoints {
 public:
  static constexpr bool kAllEqual = true;
  PicturePoints(const PointList::Picture& picture, int64_t base_x, int64_t base_y)
      : s_(picture.samples.data()), n_(picture.samples.size()), base_x_(base_x), base_y_(base_y) {}
  size_t size() const { return n_; }
  int64_t dx(size_t i) const { return base_x_ + s_[i].x; }
  int64_t dy(size_t i) const { return base_y_ + s_[i].y; }
  bool required(size_t i) const { return s_[i].colour != kInvalidColour; }
  PixelTest::Kind kind(size_t) const { return PixelTest::Kind::kEqual; }
  uint32_t colour(size_t i) const { return s_[i].colour; }
  bool Pass(size_t i, uint32_t pixel) const { return pixel == s_[i].colour; }
  PixelTest Test(size_t i) const { return PixelTest(kOpEqual, s_[i].colour, 0); }

 private:
  const PictureSample* s_;
  size_t n_;
  int64_t base_x_;
  int64_t base_y_;
};

// f(points) with the prepared condition's points in rectangle mode, in the
// form its list holds them.
template <typename F>
auto WithPoints(const PreparedCondition& prepared, F&& f) {
  if (const PointList::Picture* picture = prepared.picture())
    return f(PicturePoints(*picture, prepared.base_x(), prepared.base_y()));
  return f(WrittenPoints(prepared.offsets()));
}

}  // namespace tora
