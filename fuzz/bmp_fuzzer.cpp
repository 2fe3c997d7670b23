// Feeds arbitrary bytes to the BMP reader as a file, and to the renderer as
// a bare info header, then samples what was drawn. Besides the sanitizers'
// findings it traps on any broken promise of the reader: a drawn picture of
// another size than its header says, or a sample outside the picture or of
// another colour than the picture's pixel.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sim/sim_platform.h"
#include "vision/bmp.h"

namespace {

class SimImages : public tora::ImagePort {
 public:
  bool RenderDib(const uint8_t* info, size_t info_size, const uint8_t* bits, size_t bits_size,
                 tora::Frame& out) override {
    return tora::SimRenderDib(info, info_size, bits, bits_size, out);
  }
  uint64_t MemoryAvailable() override { return UINT64_MAX; }
};

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckSamples(const tora::Frame& picture, int32_t percent, tora::ThinningRule rule) {
  tora::SetThinningRandState(1);
  const int64_t counted = tora::CountSamples(picture.width, picture.height, percent, rule);
  const auto samples = tora::SamplePicture(picture, percent, rule, tora::Point{}, nullptr);
  Require(static_cast<int64_t>(samples.size()) == counted);
  const int64_t total = int64_t{picture.width} * picture.height;
  Require(static_cast<int64_t>(samples.size()) <= total);
  Require(static_cast<int64_t>(samples.size()) >= (total < 5 ? total : 5));
  int64_t last = -1;
  for (size_t i = 0; i < samples.size(); ++i) {
    const tora::ColorPoint p = samples[i];
    Require(picture.Contains(p.x, p.y));
    Require(p.colour == picture.At(p.x, p.y));
    // Column by column, top to bottom, each pixel at most once.
    const int64_t order = int64_t{p.x} * picture.height + p.y;
    Require(order > last);
    if (i < 5) Require(order == static_cast<int64_t>(i));
    last = order;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The file header's reserved bytes, which the reader never looks at,
  // choose the thinning.
  const int32_t percent = size > 6 ? static_cast<int8_t>(data[6]) : 0;
  const auto rule = size > 7 && (data[7] & 1) ? tora::ThinningRule::kDropAtOrBelow : tora::ThinningRule::kDropBelow;

  SimImages images;
  tora::Frame picture;
  const std::string file(reinterpret_cast<const char*>(data), size);
  if (tora::RenderBmp(file, images, picture) == tora::BmpError::kNone) {
    tora::BmpLayout layout;
    Require(tora::CheckBmp(data, size, layout) == tora::BmpError::kNone);
    Require(picture.width == layout.width);
    Require(picture.height == (layout.height < 0 ? -layout.height : layout.height));
    CheckSamples(picture, percent, rule);
  }

  // The renderer on its own, without the reader's checks in front of it:
  // the bytes after the file header as the info header, the pixels taken
  // from the same place.
  if (size > 14) {
    tora::Frame raw;
    if (tora::SimRenderDib(data + 14, size - 14, data + 14, size - 14, raw)) {
      Require(raw.width > 0 && raw.height > 0);
      Require(raw.pixels.size() == static_cast<size_t>(raw.width) * static_cast<size_t>(raw.height));
    }
  }
  return 0;
}
