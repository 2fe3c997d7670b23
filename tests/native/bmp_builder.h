// Builds BMP files byte by byte for the tests, so that no picture needs to
// be committed and every header field can be set to a wrong value on purpose.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tora::test {

struct BmpRecipe {
  int32_t width = 1;
  int32_t height = 1;  // rows; top_down stores it negated
  bool top_down = false;
  uint16_t bits = 24;
  uint32_t header_size = 40;
  uint32_t compression = 0;
  std::vector<uint32_t> palette;  // 0x00BBGGRR, written as B, G, R, 0
  uint32_t colours_used = 0;
  uint32_t masks[3] = {0, 0, 0};  // with compression 3: after a 40-byte header, else inside it
};

inline void PutU32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void PutU16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}

// value(x, y) gives, for (x, y) with y = 0 the top row: a palette index at
// 1, 4 and 8 bits, the raw word at 16 bits and with bit fields, and a colour
// 0x00BBGGRR at 24 and plain 32 bits.
inline std::string BuildBmp(const BmpRecipe& recipe, const std::function<uint32_t(int32_t, int32_t)>& value) {
  const bool field_masks_after = recipe.compression == 3 && recipe.header_size == 40;
  const size_t table = recipe.palette.size() * 4 + (field_masks_after ? 12 : 0);
  const size_t offset = 14 + recipe.header_size + table;
  const size_t stride = (static_cast<size_t>(recipe.width) * recipe.bits + 31) / 32 * 4;
  std::string s(offset + stride * static_cast<size_t>(recipe.height), '\0');
  s[0] = 'B';
  s[1] = 'M';
  PutU32(s, 2, static_cast<uint32_t>(s.size()));
  PutU32(s, 10, static_cast<uint32_t>(offset));
  PutU32(s, 14, recipe.header_size);
  PutU32(s, 18, static_cast<uint32_t>(recipe.width));
  PutU32(s, 22, static_cast<uint32_t>(recipe.top_down ? -recipe.height : recipe.height));
  PutU16(s, 26, 1);
  PutU16(s, 28, recipe.bits);
  PutU32(s, 30, recipe.compression);
  PutU32(s, 34, static_cast<uint32_t>(stride * static_cast<size_t>(recipe.height)));
  PutU32(s, 46, recipe.colours_used);
  size_t at = 14 + recipe.header_size;
  if (recipe.compression == 3) {
    const size_t m = field_masks_after ? at : 14 + 40;
    for (int i = 0; i < 3; ++i) PutU32(s, m + 4 * i, recipe.masks[i]);
    if (field_masks_after) at += 12;
  }
  for (uint32_t c : recipe.palette) {
    s[at] = static_cast<char>((c >> 16) & 0xFF);
    s[at + 1] = static_cast<char>((c >> 8) & 0xFF);
    s[at + 2] = static_cast<char>(c & 0xFF);
    at += 4;
  }
  for (int32_t row = 0; row < recipe.height; ++row) {
    const int32_t y = recipe.top_down ? row : recipe.height - 1 - row;
    const size_t base = offset + static_cast<size_t>(row) * stride;
    for (int32_t x = 0; x < recipe.width; ++x) {
      const uint32_t v = value(x, y);
      switch (recipe.bits) {
        case 1:
        case 4:
        case 8: {
          const size_t bit = static_cast<size_t>(x) * recipe.bits;
          const int shift = 8 - recipe.bits - static_cast<int>(bit % 8);
          s[base + bit / 8] = static_cast<char>(static_cast<uint8_t>(s[base + bit / 8]) | (v << shift));
          break;
        }
        case 16:
          PutU16(s, base + 2 * static_cast<size_t>(x), static_cast<uint16_t>(v));
          break;
        case 24:
          s[base + 3 * x] = static_cast<char>((v >> 16) & 0xFF);
          s[base + 3 * x + 1] = static_cast<char>((v >> 8) & 0xFF);
          s[base + 3 * x + 2] = static_cast<char>(v & 0xFF);
          break;
        case 32:
          if (recipe.compression == 3) {
            PutU32(s, base + 4 * static_cast<size_t>(x), v);
          } else {
            s[base + 4 * x] = static_cast<char>((v >> 16) & 0xFF);
            s[base + 4 * x + 1] = static_cast<char>((v >> 8) & 0xFF);
            s[base + 4 * x + 2] = static_cast<char>(v & 0xFF);
            s[base + 4 * x + 3] = static_cast<char>(0x5A);  // alpha/padding byte, never drawn
          }
          break;
      }
    }
  }
  return s;
}

// A 24-bit picture whose pixel (x, y) has the colour colour(x, y).
inline std::string BuildBmp24(int32_t width, int32_t height, const std::function<uint32_t(int32_t, int32_t)>& colour,
                              bool top_down = false) {
  BmpRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.top_down = top_down;
  return BuildBmp(recipe, colour);
}

// A colour that differs at every position of a small picture.
inline uint32_t PositionColour(int32_t x, int32_t y) {
  return static_cast<uint32_t>(0x100000 + x * 0x101 + y * 0x10001) & 0xFFFFFF;
}

// Writes bytes to a file; true on success.
inline bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace tora::test
