#include "vision/bmp_writer.h"

#include <algorithm>

namespace tora {

namespace {

void PutLe(std::string& s, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFFu);
}

}  // namespace

std::string EncodeBmp24(const Frame& frame) {
  if (frame.width <= 0 || frame.height <= 0) return {};
  constexpr size_t kHeaders = 14 + 40;
  const size_t width = static_cast<size_t>(frame.width);
  const size_t height = static_cast<size_t>(frame.height);
  const size_t stride = (24 * width + 31) / 32 * 4;
  std::string file(kHeaders + stride * height, '\0');
  file[0] = 'B';
  file[1] = 'M';
  PutLe(file, 2, static_cast<uint32_t>(file.size()), 4);
  PutLe(file, 10, kHeaders, 4);
  PutLe(file, 14, 40, 4);
  PutLe(file, 18, static_cast<uint32_t>(frame.width), 4);
  PutLe(file, 22, static_cast<uint32_t>(frame.height), 4);  // positive: bottom row first
  PutLe(file, 26, 1, 2);
  PutLe(file, 28, 24, 2);
  // Compression, image size, resolutions and colour counts stay 0.
  for (size_t row = 0; row < height; ++row) {
    const size_t y = height - 1 - row;
    char* out = &file[kHeaders + row * stride];
    for (size_t x = 0; x < width; ++x) {
      const uint32_t c = frame.pixels[y * width + x];  // 0x00BBGGRR
      *out++ = static_cast<char>((c >> 16) & 0xFFu);
      *out++ = static_cast<char>((c >> 8) & 0xFFu);
      *out++ = static_cast<char>(c & 0xFFu);
    }
  }
  return file;
}

Frame CropFrame(const Frame& frame, int32_t left, int32_t top, int32_t width, int32_t height) {
  Frame out;
  const int64_t x0 = std::max<int64_t>(left, 0), y0 = std::max<int64_t>(top, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{left} + width, frame.width);
  const int64_t y1 = std::min<int64_t>(int64_t{top} + height, frame.height);
  if (x1 <= x0 || y1 <= y0) return out;
  out.Resize(static_cast<int32_t>(x1 - x0), static_cast<int32_t>(y1 - y0));
  for (int64_t y = y0; y < y1; ++y)
    for (int64_t x = x0; x < x1; ++x) out.Set(static_cast<int32_t>(x - x0), static_cast<int32_t>(y - y0), frame.At(x, y));
  return out;
}

}  // namespace tora
