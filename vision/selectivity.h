// How often each point of a pattern would pass on a given screen, estimated
// from a sample of its pixels: the search scans for the point that passes
// least, as one colour rare on this screen rules out nearly every place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "vision/pixel_test.h"

namespace tora {

// Up to count pixels of the frame's area [left, right) x [top, bottom)
// (inside the frame), spread over evenly spaced rows, each row read left to
// right so that the sample costs few cache misses.
std::vector<uint32_t> SampleFrame(const Frame& frame, int64_t left, int64_t top, int64_t right, int64_t bottom,
                                  size_t count);

// How many pixels of a sample have each colour, for the "==" points: a
// table of fixed size, since a sample holds at most kMaxSample pixels, so
// that a picture of any number of samples is counted without allocating.
class SampleColours {
 public:
  static constexpr size_t kMaxSample = 1024;
  // Counts the first min(size, kMaxSample) pixels of sample.
  SampleColours(const uint32_t* sample, size_t size);
  size_t Count(uint32_t colour) const { return counts_[Slot(colour)]; }

 private:
  static constexpr int kBits = 11;  // twice kMaxSample slots
  size_t Slot(uint32_t colour) const;
  uint32_t keys_[size_t{1} << kBits] = {};
  uint16_t counts_[size_t{1} << kBits] = {};  // 0: an empty slot
};

// How many pixels of the sample pass the test.
size_t CountPasses(const PixelTest& test, const std::vector<uint32_t>& sample);

}  // namespace tora
