// The simulated DIB renderer: what the platform's renderer draws for the
// uncompressed formats, into a frame of 0x00BBGGRR pixels, top row first.
// Everything it cannot decode it refuses rather than guessing.
#include <cstring>

#include "platform/sim/sim_platform.h"

namespace tora {

namespace {

constexpr uint32_t kInfoHeader = 40;
constexpr uint32_t kV2Header = 52;  // INFO + RGB masks
constexpr uint32_t kV3Header = 56;  // INFO + RGBA masks
constexpr uint32_t kV4Header = 108;
constexpr uint32_t kV5Header = 124;

constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionBitfields = 3;

// The renderer's own bound on what it allocates, whoever calls it.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxPixels = int64_t{1} << 24;

uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16; }

// One channel of a bit-field pixel, widened to eight bits by repeating its
// top bits (31 of 5 bits becomes 255, 0 stays 0).
class Channel {
 public:
  explicit Channel(uint32_t mask) {
    if (mask == 0) return;
    while (((mask >> shift_) & 1u) == 0) ++shift_;
    uint32_t top = 31;
    while (((mask >> top) & 1u) == 0) --top;
    bits_ = top - shift_ + 1;
    mask_ = mask;
  }
  uint32_t Of(uint32_t pixel) const {
    if (bits_ == 0) return 0;
    uint32_t v = (pixel & mask_) >> shift_;
    if (bits_ >= 8) return v >> (bits_ - 8);
    uint32_t wide = 0;
    int filled = 0;
    while (filled < 8) {
      const int s = 8 - filled - static_cast<int>(bits_);
      wide |= s >= 0 ? v << s : v >> -s;
      filled += static_cast<int>(bits_);
    }
    return wide & 0xFF;
  }

 private:
  uint32_t mask_ = 0;
  uint32_t shift_ = 0;
  uint32_t bits_ = 0;
};

struct Masks {
  uint32_t red = 0, green = 0, blue = 0;
};

bool KnownHeaderSize(uint32_t size) {
  return size == kInfoHeader || size == kV2Header || size == kV3Header || size == kV4Header || size == kV5Header;
}

}  // namespace

bool SimRenderDib(const uint8_t* info, size_t info_size, const uint8_t* bits, size_t bits_size, Frame& out) {
  if (info == nullptr || bits == nullptr || info_size < kInfoHeader) return false;
  const uint32_t header_size = U32(info);
  if (!KnownHeaderSize(header_size) || header_size > info_size) return false;
  const int64_t width = static_cast<int32_t>(U32(info + 4));
  const int64_t signed_height = static_cast<int32_t>(U32(info + 8));
  const uint16_t bit_count = U16(info + 14);
  const uint32_t compression = U32(info + 16);
  const uint32_t colours_used = U32(info + 32);

  const bool top_down = signed_height < 0;
  const int64_t height = top_down ? -signed_height : signed_height;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
    return false;
  if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 && bit_count != 24 && bit_count != 32)
    return false;
  if (compression != kCompressionRgb &&
      !(compression == kCompressionBitfields && (bit_count == 16 || bit_count == 32)))
    return false;

  // What follows the header: the colour table, or with a plain info header
  // and bit fields the three masks.
  const uint8_t* after_header = info + header_size;
  const size_t after_size = info_size - header_size;

  std::vector<uint32_t> palette;
  if (bit_count <= 8) {
    const uint32_t most = 1u << bit_count;
    const uint32_t entries = colours_used == 0 || colours_used > most ? most : colours_used;
    if (after_size / 4 < entries) return false;
    palette.resize(most, 0);  // an index past a short table draws black
    for (uint32_t i = 0; i < entries; ++i) {
      const uint8_t* q = after_header + 4 * i;
      palette[i] = Rgb(q[2], q[1], q[0]);
    }
  }

  Masks masks;
  if (compression == kCompressionBitfields) {
    const uint8_t* m = nullptr;
    if (header_size == kInfoHeader) {
      if (after_size < 12) return false;
      m = after_header;
    } else {
      m = info + 40;  // every longer header holds the masks itself
    }
    masks.red = U32(m);
    masks.green = U32(m + 4);
    masks.blue = U32(m + 8);
  } else if (bit_count == 16) {
    masks = Masks{0x7C00, 0x03E0, 0x001F};
  }

  const int64_t stride = (width * bit_count + 31) / 32 * 4;
  if (stride * height > static_cast<int64_t>(bits_size)) return false;

  out.Resize(static_cast<int32_t>(width), static_cast<int32_t>(height));
  const Channel red(masks.red), green(masks.green), blue(masks.blue);
  for (int64_t row = 0; row < height; ++row) {
    const uint8_t* src = bits + static_cast<size_t>(row * stride);
    const int64_t y = top_down ? row : height - 1 - row;
    uint32_t* dst = out.pixels.data() + static_cast<size_t>(y * width);
    switch (bit_count) {
      case 1:
      case 4:
      case 8: {
        const uint32_t per_byte = 8u / bit_count;
        const uint32_t index_mask = (1u << bit_count) - 1;
        for (int64_t x = 0; x < width; ++x) {
          const uint8_t byte = src[x / per_byte];
          const uint32_t shift = 8u - bit_count * (static_cast<uint32_t>(x % per_byte) + 1);
          dst[x] = palette[(byte >> shift) & index_mask];
        }
        break;
      }
      case 16:
        for (int64_t x = 0; x < width; ++x) {
          const uint32_t v = U16(src + 2 * x);
          dst[x] = Rgb(red.Of(v), green.Of(v), blue.Of(v));
        }
        break;
      case 24:
        for (int64_t x = 0; x < width; ++x) {
          const uint8_t* p = src + 3 * x;
          dst[x] = Rgb(p[2], p[1], p[0]);
        }
        break;
      case 32:
        if (compression == kCompressionBitfields) {
          for (int64_t x = 0; x < width; ++x) {
            const uint32_t v = U32(src + 4 * x);
            dst[x] = Rgb(red.Of(v), green.Of(v), blue.Of(v));
          }
        } else {
          for (int64_t x = 0; x < width; ++x) {
            const uint8_t* p = src + 4 * x;
            dst[x] = Rgb(p[2], p[1], p[0]);
          }
        }
        break;
    }
  }
  return true;
}

}  // namespace tora
