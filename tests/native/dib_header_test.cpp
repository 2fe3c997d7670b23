// The check in front of the system's DIB renderer: what it lets GDI read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "vision/dib_header.h"

namespace tora {
namespace {

// GDI takes a bit-field picture's masks from offset 40 whatever its header's
// size: for every size too short to hold them, an info buffer that ends
// before them is refused, and the copy GDI gets holds them.
TEST(DibHeader, BitFieldMasksAreKeptForEveryHeaderSizeThatDoesNotHoldThem) {
  for (uint32_t header_size = 40; header_size <= 64; ++header_size) {
    const uint32_t fields[] = {header_size, 2, 2, 1 | (16u << 16), 3, 0, 0, 0, 0, 0, 0xF800, 0x07E0, 0x001F, 0, 0, 0};
    std::vector<uint8_t> info(sizeof fields);
    std::memcpy(info.data(), fields, sizeof fields);
    const size_t needed = std::max<size_t>(header_size, 52);
    DibLayout layout;
    EXPECT_FALSE(CheckDib(info.data(), needed - 1, 8, layout)) << header_size;
    ASSERT_TRUE(CheckDib(info.data(), needed, 8, layout)) << header_size;
    EXPECT_EQ(layout.info_bytes, needed) << header_size;
    const std::vector<uint32_t> copy = GdiHeaderCopy(info.data(), layout);
    ASSERT_GE(copy.size(), 13u);
    EXPECT_EQ(copy[12], 0x001Fu) << header_size;
  }
}

}  // namespace
}  // namespace tora
