// The check in front of the system's DIB renderer: what it lets GDI read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "vision/dib_header.h"

namespace tora {
namespace {

// A 2 x 2 bit-field picture at 16 bits per pixel, GDI's masks at offset 40
// whatever the header's size, the info buffer cut to info_size bytes.
std::vector<uint8_t> BitFieldHeader(uint32_t header_size, size_t info_size) {
  std::vector<uint8_t> info(std::max<size_t>(info_size, 64), 0);
  const auto put = [&](size_t at, uint32_t v) { std::memcpy(&info[at], &v, 4); };
  put(0, header_size);
  put(4, 2);
  put(8, 2);
  put(12, 1 | (16u << 16));  // planes, bits per pixel
  put(16, 3);                // BI_BITFIELDS
  put(40, 0xF800);
  put(44, 0x07E0);
  put(48, 0x001F);
  info.resize(info_size);
  return info;
}

// Every header size too short to hold the masks has them after it, inside
// what GDI gets: a buffer that ends before them is refused.
TEST(DibHeader, BitFieldMasksAreKeptForEveryHeaderSizeThatDoesNotHoldThem) {
  for (uint32_t header_size = 40; header_size <= 64; ++header_size) {
    const size_t needed = std::max<size_t>(header_size, 52);
    DibLayout layout;
    const std::vector<uint8_t> short_info = BitFieldHeader(header_size, needed - 1);
    EXPECT_FALSE(CheckDib(short_info.data(), short_info.size(), 8, layout)) << header_size;

    const std::vector<uint8_t> info = BitFieldHeader(header_size, needed);
    ASSERT_TRUE(CheckDib(info.data(), info.size(), 8, layout)) << header_size;
    EXPECT_EQ(layout.info_bytes, needed) << header_size;
    const std::vector<uint32_t> copy = GdiHeaderCopy(info.data(), layout);
    ASSERT_GE(copy.size() * 4, size_t{52});
    EXPECT_EQ(copy[10], 0xF800u) << header_size;
    EXPECT_EQ(copy[12], 0x001Fu) << header_size;
    EXPECT_LE(GdiHeaderReads(reinterpret_cast<const uint8_t*>(copy.data()), layout.info_bytes), layout.info_bytes);
  }
}

}  // namespace
}  // namespace tora
