// The simulated DIB renderer draws every uncompressed format the way the
// real renderer does (top row first, red in the low byte) and refuses what
// it cannot decode.
#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"
#include "tests/native/bmp_builder.h"

namespace tora {
namespace {

using test::BmpRecipe;
using test::BuildBmp;

uint32_t OffsetOf(const std::string& file) {
  return static_cast<uint8_t>(file[10]) | static_cast<uint8_t>(file[11]) << 8 |
         static_cast<uint8_t>(file[12]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(file[13])) << 24;
}

bool Render(const std::string& file, Frame& out) {
  const auto* data = reinterpret_cast<const uint8_t*>(file.data());
  const uint32_t offset = OffsetOf(file);
  return SimRenderDib(data + 14, file.size() - 14, data + offset, file.size() - offset, out);
}

void ExpectFrame(const Frame& frame, int32_t width, int32_t height,
                 const std::function<uint32_t(int32_t, int32_t)>& expected) {
  ASSERT_EQ(frame.width, width);
  ASSERT_EQ(frame.height, height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) EXPECT_EQ(frame.At(x, y), expected(x, y)) << "at " << x << "," << y;
}

TEST(SimRenderDib, TrueColourRowsComeOutTopFirstWithRedInTheLowByte) {
  // Width 3 at 24 bits pads every row by three bytes.
  for (bool top_down : {false, true}) {
    BmpRecipe recipe;
    recipe.width = 3;
    recipe.height = 2;
    recipe.top_down = top_down;
    for (uint16_t bits : {24, 32}) {
      recipe.bits = bits;
      Frame frame;
      ASSERT_TRUE(Render(BuildBmp(recipe, test::PositionColour), frame)) << bits << " bits";
      ExpectFrame(frame, 3, 2, test::PositionColour);
    }
  }
  BmpRecipe recipe;
  recipe.width = 1;
  recipe.height = 1;
  const std::string file = BuildBmp(recipe, [](int32_t, int32_t) { return 0x000000FFu; });
  // B, G, R order on disk.
  EXPECT_EQ(static_cast<uint8_t>(file[OffsetOf(file) + 2]), 0xFF);
  Frame frame;
  ASSERT_TRUE(Render(file, frame));
  EXPECT_EQ(frame.At(0, 0), 0x000000FFu);
}

TEST(SimRenderDib, PaletteFormatsIndexTheColourTable) {
  const std::vector<uint32_t> palette16 = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456, 0xABCDEF,
                                           0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112,
                                           0x131415, 0x161718, 0x191A1B, 0xFFFFFF};
  auto index = [](int32_t x, int32_t y) { return static_cast<uint32_t>((x * 7 + y * 3) % 16); };

  BmpRecipe four;
  four.bits = 4;
  four.width = 5;  // odd: the last byte of a row holds one pixel
  four.height = 3;
  four.palette = palette16;
  Frame frame;
  ASSERT_TRUE(Render(BuildBmp(four, index), frame));
  ExpectFrame(frame, 5, 3, [&](int32_t x, int32_t y) { return palette16[index(x, y)]; });

  BmpRecipe one;
  one.bits = 1;
  one.width = 11;  // crosses a byte, and the row is padded to four bytes
  one.height = 2;
  one.palette = {0x00FF00, 0x0000FF};
  auto bit = [](int32_t x, int32_t y) { return static_cast<uint32_t>((x + y) % 3 == 0); };
  ASSERT_TRUE(Render(BuildBmp(one, bit), frame));
  ExpectFrame(frame, 11, 2, [&](int32_t x, int32_t y) { return bit(x, y) ? 0x0000FFu : 0x00FF00u; });

  // A short table: colours_used 2; an index past it draws black.
  BmpRecipe eight;
  eight.bits = 8;
  eight.width = 3;
  eight.height = 1;
  eight.palette = {0x111111, 0x222222};
  eight.colours_used = 2;
  ASSERT_TRUE(Render(BuildBmp(eight, [](int32_t x, int32_t) { return static_cast<uint32_t>(x == 2 ? 200 : x); }),
                     frame));
  ExpectFrame(frame, 3, 1, [](int32_t x, int32_t) { return x == 0 ? 0x111111u : x == 1 ? 0x222222u : 0u; });
}

TEST(SimRenderDib, SixteenBitsAre555UnlessBitFieldsSayOtherwise) {
  BmpRecipe plain;
  plain.bits = 16;
  plain.width = 4;
  plain.height = 1;
  const uint16_t words[] = {0x7FFF, 0x7C00, 0x03E0, 0x0001};
  Frame frame;
  ASSERT_TRUE(Render(BuildBmp(plain, [&](int32_t x, int32_t) { return words[x]; }), frame));
  // Five bits widen by repeating their top bits: 31 -> 255, 1 -> 8.
  ExpectFrame(frame, 4, 1, [](int32_t x, int32_t) {
    const uint32_t expected[] = {0xFFFFFF, 0x0000FF, 0x00FF00, 0x080000};
    return expected[x];
  });

  // 565 masks after a plain info header, then inside a version-5 header.
  for (uint32_t header : {40u, 124u}) {
    BmpRecipe fields;
    fields.bits = 16;
    fields.width = 3;
    fields.height = 1;
    fields.compression = 3;
    fields.header_size = header;
    fields.masks[0] = 0xF800;
    fields.masks[1] = 0x07E0;
    fields.masks[2] = 0x001F;
    const uint16_t w565[] = {0xF800, 0x07E0, 0x0021};
    ASSERT_TRUE(Render(BuildBmp(fields, [&](int32_t x, int32_t) { return w565[x]; }), frame)) << header;
    ExpectFrame(frame, 3, 1, [](int32_t x, int32_t) {
      const uint32_t expected[] = {0x0000FF, 0x00FF00, 0x080400};
      return expected[x];
    });
  }
}

TEST(SimRenderDib, ThirtyTwoBitFieldsPlaceChannelsByTheirMasks) {
  BmpRecipe recipe;
  recipe.bits = 32;
  recipe.width = 2;
  recipe.height = 1;
  recipe.compression = 3;
  recipe.header_size = 108;
  recipe.masks[0] = 0x000000FF;  // red in the lowest byte on disk
  recipe.masks[1] = 0x0000FF00;
  recipe.masks[2] = 0x00FF0000;
  Frame frame;
  ASSERT_TRUE(Render(BuildBmp(recipe, [](int32_t x, int32_t) { return x == 0 ? 0xAA123456u : 0x00000001u; }), frame));
  ExpectFrame(frame, 2, 1, [](int32_t x, int32_t) { return x == 0 ? 0x123456u : 0x000001u; });
}

TEST(SimRenderDib, RefusesWhatItCannotDecodeOrWhatIsCutShort) {
  BmpRecipe good;
  good.width = 4;
  good.height = 4;
  const std::string file = BuildBmp(good, test::PositionColour);
  const auto* data = reinterpret_cast<const uint8_t*>(file.data());
  const uint32_t offset = OffsetOf(file);
  Frame frame;
  // Pixel data one byte short, and a header cut short.
  EXPECT_FALSE(SimRenderDib(data + 14, file.size() - 14, data + offset, file.size() - offset - 1, frame));
  EXPECT_FALSE(SimRenderDib(data + 14, 39, data + offset, file.size() - offset, frame));

  auto refused = [](std::string bytes, size_t at, uint32_t value, bool wide) {
    if (wide) {
      test::PutU32(bytes, at, value);
    } else {
      test::PutU16(bytes, at, static_cast<uint16_t>(value));
    }
    Frame out;
    return !Render(bytes, out) && out.pixels.empty();
  };
  EXPECT_TRUE(refused(file, 30, 1, true)) << "run-length compression";
  EXPECT_TRUE(refused(file, 30, 4, true)) << "embedded JPEG";
  EXPECT_TRUE(refused(file, 30, 3, true)) << "bit fields at 24 bits";
  EXPECT_TRUE(refused(file, 28, 2, false)) << "2 bits per pixel";
  EXPECT_TRUE(refused(file, 28, 0, false)) << "0 bits per pixel";
  EXPECT_TRUE(refused(file, 14, 12, true)) << "core header";
  EXPECT_TRUE(refused(file, 14, 64, true)) << "unknown header size";
  EXPECT_TRUE(refused(file, 18, 0, true)) << "width 0";
  EXPECT_TRUE(refused(file, 18, static_cast<uint32_t>(-4), true)) << "negative width";
  EXPECT_TRUE(refused(file, 22, 0, true)) << "height 0";
  EXPECT_TRUE(refused(file, 22, 0x80000000u, true)) << "height that has no positive counterpart";
  EXPECT_TRUE(refused(file, 18, 20000, true)) << "too wide";
  EXPECT_TRUE(refused(file, 18, 0x7FFFFFFF, true)) << "absurdly wide";

  // A colour table that the file does not hold.
  BmpRecipe eight;
  eight.bits = 8;
  eight.width = 1;
  eight.height = 1;
  eight.palette = {0x111111};
  eight.colours_used = 200;
  const std::string cut = BuildBmp(eight, [](int32_t, int32_t) { return 0u; });
  const auto* c = reinterpret_cast<const uint8_t*>(cut.data());
  EXPECT_FALSE(SimRenderDib(c + 14, 40 + 4, c + OffsetOf(cut), cut.size() - OffsetOf(cut), frame));
}

}  // namespace
}  // namespace tora
