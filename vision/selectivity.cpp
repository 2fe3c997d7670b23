// Pass counts of a pattern's points on a sample of the screen.
#include "vision/selectivity.h"

#include <algorithm>
#include <cmath>

namespace tora {

std::vector<uint32_t> SampleFrame(const Frame& frame, int64_t left, int64_t top, int64_t right, int64_t bottom,
                                  size_t count) {
  std::vector<uint32_t> sample;
  left = std::max<int64_t>(left, 0);
  top = std::max<int64_t>(top, 0);
  right = std::min<int64_t>(right, frame.width);
  bottom = std::min<int64_t>(bottom, frame.height);
  if (left >= right || top >= bottom || count == 0) return sample;
  const int64_t width = right - left, height = bottom - top;
  // About as many rows as columns per row, for the area's shape.
  int64_t rows = static_cast<int64_t>(std::sqrt(static_cast<double>(count) * height / width));
  rows = std::clamp<int64_t>(rows, 1, height);
  const int64_t per_row = std::clamp<int64_t>(static_cast<int64_t>(count) / rows, 1, width);
  const int64_t step = width / per_row;
  sample.reserve(static_cast<size_t>(rows * per_row));
  for (int64_t j = 0; j < rows; ++j) {
    const int64_t y = top + (2 * j + 1) * height / (2 * rows);
    const uint32_t* row = frame.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(frame.width);
    // Each row starts at another column, so that a pattern repeating with
    // the step (a grid, text) is not read at the same phase every time.
    const int64_t start = left + (j * 7919) % step;
    for (int64_t i = 0; i < per_row; ++i) sample.push_back(row[start + i * step]);
  }
  return sample;
}

SampleColours::SampleColours(const uint32_t* sample, size_t size) {
  size = std::min(size, kMaxSample);
  for (size_t i = 0; i < size; ++i) {
    const size_t slot = Slot(sample[i]);
    keys_[slot] = sample[i];
    ++counts_[slot];
  }
}

size_t SampleColours::Slot(uint32_t colour) const {
  // The high bits of a multiplicative hash: colours that differ in one
  // channel only spread over the table. Never full: it has twice as many
  // slots as a sample has pixels.
  constexpr size_t kMask = (size_t{1} << kBits) - 1;
  size_t i = static_cast<uint32_t>(colour * 0x9E3779B1u) >> (32 - kBits);
  while (counts_[i] != 0 && keys_[i] != colour) i = (i + 1) & kMask;
  return i;
}

size_t CountPasses(const PixelTest& test, const std::vector<uint32_t>& sample) {
  return ForKind(test, [&](auto pass) {
    size_t n = 0;
    for (uint32_t p : sample) n += pass(p) ? 1 : 0;
    return n;
  });
}

}  // namespace tora
