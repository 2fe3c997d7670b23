// Feeds BMP files to the check in front of the system's DIB renderer and
// holds it to its promise: what GDI will read of the header copy, and the
// pixel rows the header declares, lie inside the buffers handed over.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vision/dib_header.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

uint32_t Le32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A file: 14-byte file header, the info header and table up to the pixel
  // offset, then the pixels. Odd offsets are taken as they come.
  if (size < 14) return 0;
  size_t offset = Le32(data + 10);
  if (offset < 14 || offset > size) offset = size;
  // Copies, so that the sanitizer sees the exact ends of both buffers.
  const std::vector<uint8_t> info(data + 14, data + offset);
  const std::vector<uint8_t> bits(data + offset, data + size);
  tora::DibLayout layout;
  if (!tora::CheckDib(info.data(), info.size(), bits.size(), layout)) return 0;
  Require(layout.width > 0 && layout.height > 0);
  Require(layout.info_bytes <= info.size());
  const std::vector<uint32_t> copy = tora::GdiHeaderCopy(info.data(), layout);
  const auto* header = reinterpret_cast<const uint8_t*>(copy.data());
  Require(tora::GdiHeaderReads(header, layout.info_bytes) <= layout.info_bytes);

  // Uncompressed rows: the header's own width, height and depth.
  const uint32_t header_size = Le32(header);
  uint32_t compression = 0;
  uint16_t bit_count = 0;
  if (header_size == 12) {
    std::memcpy(&bit_count, header + 10, 2);
  } else {
    std::memcpy(&bit_count, header + 14, 2);
    compression = Le32(header + 16);
  }
  if (compression == 0 || compression == 3) {
    const uint64_t stride = ((uint64_t(layout.width) * bit_count + 31) / 32) * 4;
    Require(stride * uint64_t(layout.height) <= bits.size());
  }
  return 0;
}
