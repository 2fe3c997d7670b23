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

// For each test, how many pixels of the sample pass it. All "==" tests are
// counted through one table of their colours (a picture may have thousands
// of samples); of the others only the first max_other are counted, the rest
// get sample.size() + 1, more than any counted test.
std::vector<size_t> CountPasses(const std::vector<const PixelTest*>& tests, const std::vector<uint32_t>& sample,
                                size_t max_other);

}  // namespace tora
