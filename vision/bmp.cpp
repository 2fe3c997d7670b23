#include "vision/bmp.h"

#include "engine/text_util.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "engine/texts.h"

namespace tora {

namespace {

constexpr size_t kFileHeaderSize = 14;
// The smallest info header whose width and height sit where we read them.
constexpr uint32_t kMinInfoHeaderSize = 40;
// Per-sample trace lines are a debugging aid; a picture of a million samples
// must not flood the debugger output with a million lines.
constexpr size_t kMaxSampleTraceLines = 1000;

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

int32_t SaturatedSum(int32_t a, int32_t b) {
  const int64_t sum = int64_t{a} + int64_t{b};
  if (sum > INT32_MAX) return INT32_MAX;
  if (sum < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(sum);
}

thread_local uint32_t thinning_state = 1;

}  // namespace

BmpError CheckBmp(const uint8_t* data, size_t size, BmpLayout& layout) {
  if (data == nullptr || size < 2) return BmpError::kReadError;
  if (data[0] != 'B' || data[1] != 'M') return BmpError::kNotBmp;
  if (size < kFileHeaderSize + kMinInfoHeaderSize) return BmpError::kReadError;
  layout.bits_offset = ReadU32(data + 10);
  layout.header_size = ReadU32(data + 14);
  layout.width = ReadI32(data + 18);
  layout.height = ReadI32(data + 22);
  // A smaller header (the old core layout) keeps its sizes elsewhere: what
  // we would read as width and height is not that picture's size.
  if (layout.header_size < kMinInfoHeaderSize || layout.header_size > size - kFileHeaderSize)
    return BmpError::kReadError;
  if (layout.bits_offset >= size) return BmpError::kReadError;
  const int64_t width = layout.width;
  const int64_t rows = layout.height < 0 ? -int64_t{layout.height} : int64_t{layout.height};
  // A picture without pixels would give a condition without samples, which
  // is met on any screen.
  if (width <= 0 || rows == 0) return BmpError::kReadError;
  if (width > kMaxBmpSide || rows > kMaxBmpSide || width * rows > kMaxBmpPixels) return BmpError::kReadError;
  return BmpError::kNone;
}

BmpError RenderBmp(const std::string& file, ImagePort& images, Frame& picture) {
  const auto* data = reinterpret_cast<const uint8_t*>(file.data());
  BmpLayout layout;
  const BmpError error = CheckBmp(data, file.size(), layout);
  if (error != BmpError::kNone) return error;
  // The renderer gets everything from the info header to the end of the
  // file, so that it finds the colour table or masks after the header and
  // can never be sent past the end of the file.
  const uint8_t* info = data + kFileHeaderSize;
  const size_t info_size = file.size() - kFileHeaderSize;
  const uint8_t* bits = data + layout.bits_offset;
  const size_t bits_size = file.size() - layout.bits_offset;
  picture = Frame();
  if (!images.RenderDib(info, info_size, bits, bits_size, picture)) return BmpError::kReadError;
  const int32_t rows = layout.height < 0 ? -layout.height : layout.height;
  if (picture.width != layout.width || picture.height != rows ||
      picture.pixels.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height))
    return BmpError::kReadError;
  return BmpError::kNone;
}

BmpError ReadBmp(const std::string& path, FilePort& files, std::string& file, BmpLayout& layout) {
  // A path the file functions cannot hold, or one that a NUL byte would cut
  // short and so name another file, is not opened at all.
  if (path.empty() || path.size() > kMaxBmpPathBytes || path.find('\0') != std::string::npos)
    return BmpError::kReadError;
  if (!files.ReadFile(path, file) || file.empty()) return BmpError::kReadError;
  return CheckBmp(reinterpret_cast<const uint8_t*>(file.data()), file.size(), layout);
}

BmpError LoadBmp(const std::string& path, FilePort& files, ImagePort& images, Frame& picture) {
  std::string file;
  BmpLayout layout;
  const BmpError error = ReadBmp(path, files, file, layout);
  if (error != BmpError::kNone) return error;
  return RenderBmp(file, images, picture);
}

int32_t ThinningRand() {
  thinning_state = thinning_state * 214013u + 2531011u;
  return static_cast<int32_t>((thinning_state >> 16) & 0x7FFFu);
}

void SetThinningRandState(uint32_t state) { thinning_state = state; }

uint32_t ThinningRandState() { return thinning_state; }

namespace {

// The first five pixels are always taken, so that a search rejects most
// wrong places after reading one to five of them whatever the thinning.
constexpr int64_t kAlwaysTaken = 5;

// Draws for the pixel after the first five: whether the thinning keeps it.
bool Kept(int32_t percent, ThinningRule rule) {
  const int32_t r = ThinningRand() % 100;
  return rule == ThinningRule::kDropBelow ? r >= percent : r > percent;
}

}  // namespace

int64_t CountSamples(int64_t width, int64_t height, int32_t percent, ThinningRule rule) {
  if (width <= 0 || height <= 0) return 0;
  const int64_t total = width * height;
  if (percent <= 0) return total;
  const uint32_t saved = thinning_state;
  int64_t kept = std::min(total, kAlwaysTaken);
  for (int64_t i = kAlwaysTaken; i < total; ++i) kept += Kept(percent, rule) ? 1 : 0;
  thinning_state = saved;
  return kept;
}

uint64_t BytesToSample(int64_t width, int64_t height, int64_t samples) {
  const uint64_t pixels = static_cast<uint64_t>(std::max<int64_t>(width, 0)) * static_cast<uint64_t>(std::max<int64_t>(height, 0));
  return pixels * 2 * sizeof(uint32_t) + static_cast<uint64_t>(std::max<int64_t>(samples, 0)) * sizeof(PictureSample);
}

PointList SamplePicture(const Frame& picture, int32_t percent, ThinningRule rule, Point origin, TracePort* trace) {
  if (picture.width <= 0 || picture.height <= 0) return PointList(origin, {});
  const int64_t total = int64_t{picture.width} * picture.height;
  // Positions are held in 16 bits; a frame wider or higher than that (never
  // a checked BMP) keeps its samples written out.
  const bool compact = picture.width <= 65536 && picture.height <= 65536;
  std::vector<PictureSample> samples;
  std::vector<ColorPoint> written;
  const size_t kept = static_cast<size_t>(CountSamples(picture.width, picture.height, percent, rule));
  if (compact)
    samples.reserve(kept);
  else
    written.reserve(kept);
  int64_t count = 0;
  size_t taken = 0;
  for (int32_t x = 0; x < picture.width; ++x) {
    for (int32_t y = 0; y < picture.height; ++y) {
      ++count;
      if (count > kAlwaysTaken && percent > 0 && !Kept(percent, rule)) continue;
      const uint32_t colour = picture.At(x, y);
      ColorPoint point{SaturatedSum(origin.x, x), SaturatedSum(origin.y, y), kOpEqual, colour};
      if (compact)
        samples.push_back(PictureSample{static_cast<uint16_t>(x), static_cast<uint16_t>(y), colour});
      else
        written.push_back(point);
      if (trace && ++taken <= kMaxSampleTraceLines)
        trace->Trace(Format(texts::kTraceImageSample, point.x, point.y, static_cast<int>(point.colour)));
    }
  }
  PointList list = compact ? PointList(origin, std::move(samples)) : PointList(std::move(written));
  if (trace)
    trace->Trace(Format(texts::kTraceImageSamplesAdded, static_cast<int>(list.size()), static_cast<int>(total)));
  return list;
}

}  // namespace tora
