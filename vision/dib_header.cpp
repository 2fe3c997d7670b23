#include "vision/dib_header.h"

#include <cstring>

namespace tora {

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;
constexpr size_t kColoursUsedOffset = 32;
// GDI takes the three masks of a bit-field picture from offset 40, where a
// plain info header ends, whatever size the header claims: a header of 52
// bytes or more holds them, a shorter one is followed by them.
constexpr uint32_t kMasksEnd = 40 + 12;

// Anything larger is no picture a script could mean, and would only exhaust
// memory.
constexpr int64_t kMaxDimension = 1 << 16;
constexpr int64_t kMaxPixels = int64_t{1} << 25;

template <typename T>
T ReadLe(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

bool CheckDib(const uint8_t* info, size_t info_size, size_t bits_size, DibLayout& layout) {
  if (!info || info_size < 12) return false;
  const uint32_t header_size = ReadLe<uint32_t>(info);
  int64_t width = 0, height = 0;
  uint32_t bit_count = 0, compression = kBiRgb, colours_used = 0, image_size = 0;
  size_t entry_size = 4;
  if (header_size == 12) {  // the old core header: 16-bit sizes, 3-byte colour entries
    width = ReadLe<uint16_t>(info + 4);
    height = ReadLe<uint16_t>(info + 6);
    if (ReadLe<uint16_t>(info + 8) != 1) return false;
    bit_count = ReadLe<uint16_t>(info + 10);
    entry_size = 3;
  } else if (header_size >= 40 && header_size <= info_size) {
    width = ReadLe<int32_t>(info + 4);
    height = ReadLe<int32_t>(info + 8);
    if (ReadLe<uint16_t>(info + 12) != 1) return false;
    bit_count = ReadLe<uint16_t>(info + 14);
    compression = ReadLe<uint32_t>(info + 16);
    image_size = ReadLe<uint32_t>(info + 20);
    colours_used = ReadLe<uint32_t>(info + 32);
  } else {
    return false;
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension ||
      width * height > kMaxPixels)
    return false;

  switch (bit_count) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  // The colour table (or the three masks of a bit-field DIB whose header is
  // too short to hold them) must lie inside the info buffer.
  uint64_t table = 0;
  if (bit_count <= 8) {
    const uint64_t max_entries = uint64_t{1} << bit_count;
    const uint64_t entries = colours_used == 0 ? max_entries : colours_used;
    if (entries > max_entries) return false;
    table = entries * entry_size;
  }
  switch (compression) {
    case kBiRgb: break;
    case kBiRle8: if (bit_count != 8 || top_down) return false; break;
    case kBiRle4: if (bit_count != 4 || top_down) return false; break;
    case kBiBitfields:
      if (bit_count != 16 && bit_count != 32) return false;
      if (header_size < kMasksEnd) table = kMasksEnd - header_size;
      break;
    default: return false;  // embedded JPEG/PNG and the rest: no screen renderer draws them
  }
  if (header_size + table > info_size) return false;

  if (compression == kBiRle8 || compression == kBiRle4) {
    // A run-length stream is bounded only by its declared size.
    if (image_size == 0 || image_size > bits_size) return false;
  } else {
    const uint64_t stride = ((static_cast<uint64_t>(width) * bit_count + 31) / 32) * 4;
    if (stride * static_cast<uint64_t>(height) > bits_size) return false;
  }
  layout.width = static_cast<int32_t>(width);
  layout.height = static_cast<int32_t>(height);
  layout.info_bytes = static_cast<size_t>(header_size + table);
  return true;
}


std::vector<uint32_t> GdiHeaderCopy(const uint8_t* info, const DibLayout& layout) {
  std::vector<uint32_t> header((layout.info_bytes + 3) / 4, 0);
  std::memcpy(header.data(), info, layout.info_bytes);
  auto* bytes = reinterpret_cast<uint8_t*>(header.data());
  const uint32_t header_size = ReadLe<uint32_t>(bytes);
  if (header_size >= 40 && ReadLe<uint16_t>(bytes + 14) > 8) {
    const uint32_t none = 0;
    std::memcpy(bytes + kColoursUsedOffset, &none, sizeof none);
  }
  return header;
}

size_t GdiHeaderReads(const uint8_t* header, size_t size) {
  if (size < 12) return 12;
  const uint32_t header_size = ReadLe<uint32_t>(header);
  if (header_size == 12) {
    const uint16_t bits = ReadLe<uint16_t>(header + 10);
    return 12 + (bits <= 8 ? (size_t{1} << bits) * 3 : 0);
  }
  if (header_size < 40 || header_size > size) return header_size < 40 ? 40 : header_size;
  const uint16_t bits = ReadLe<uint16_t>(header + 14);
  const uint32_t compression = ReadLe<uint32_t>(header + 16);
  const uint32_t used = ReadLe<uint32_t>(header + kColoursUsedOffset);
  size_t reads = header_size;
  if (bits <= 8)
    reads += size_t{used ? used : (1u << bits)} * 4;
  else
    reads += size_t{used} * 4;
  if (compression == kBiBitfields && reads < kMasksEnd) reads = kMasksEnd;
  return reads;
}

}  // namespace tora
