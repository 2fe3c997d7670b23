// Screen capture and the DIB renderer against real GDI.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>

#include "platform/win32/win32_ports.h"
#include "tests/win/win_test_util.h"

namespace tora {
namespace {

using test::TestWindow;

// 0x00BBGGRR, the way the program reads a pixel.
constexpr uint32_t Bgr(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16); }

void FillColour(HDC dc, int l, int t, int r, int b, COLORREF c) {
  RECT rect{l, t, r, b};
  HBRUSH brush = CreateSolidBrush(c);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

TEST(ScreenCapture, SizeIsThePrimaryDisplay) {
  Win32Screen screen;
  const Size size = screen.ScreenSize();
  EXPECT_EQ(size.width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(size.height, GetSystemMetrics(SM_CYSCREEN));
  Frame frame;
  ASSERT_TRUE(screen.CaptureScreen(frame));
  EXPECT_EQ(frame.width, size.width);
  EXPECT_EQ(frame.height, size.height);
  EXPECT_EQ(frame.pixels.size(), static_cast<size_t>(size.width) * size.height);
}

// A window paints four coloured quarters and a one-pixel marker; the
// capture must show each at its screen position, with red in the low byte.
TEST(ScreenCapture, ReadsBackAPaintedWindowAtItsPosition) {
  TestWindow::Options o;
  o.title = L"Capture target";
  o.ex_style = WS_EX_TOPMOST;
  o.rect = RECT{200, 150, 360, 270};  // 160 x 120
  o.paint = [](HDC dc, const RECT&) {
    FillColour(dc, 0, 0, 80, 60, RGB(0xFF, 0x00, 0x00));
    FillColour(dc, 80, 0, 160, 60, RGB(0x00, 0xFF, 0x00));
    FillColour(dc, 0, 60, 80, 120, RGB(0x00, 0x00, 0xFF));
    FillColour(dc, 80, 60, 160, 120, RGB(0x12, 0x34, 0x56));
    SetPixel(dc, 100, 90, RGB(0xAB, 0xCD, 0xEF));
  };
  TestWindow window(o);
  ASSERT_NE(window.hwnd(), nullptr);
  RECT r;
  GetWindowRect(window.hwnd(), &r);
  ASSERT_EQ(r.left, 200);
  ASSERT_EQ(r.top, 150);

  Win32Screen screen;
  Frame frame;
  // The X server shows the window a moment after it is mapped.
  ASSERT_TRUE(test::PumpUntil([&] {
    return screen.CaptureScreen(frame) && frame.At(210, 160) == Bgr(0xFF, 0, 0) &&
           frame.At(300 + 59, 150 + 119) == Bgr(0x12, 0x34, 0x56);
  }));
  EXPECT_EQ(frame.At(200, 150), Bgr(0xFF, 0, 0));           // top-left corner pixel
  EXPECT_EQ(frame.At(279, 209), Bgr(0xFF, 0, 0));           // last red pixel
  EXPECT_EQ(frame.At(280, 150), Bgr(0, 0xFF, 0));           // first green pixel
  EXPECT_EQ(frame.At(200, 210), Bgr(0, 0, 0xFF));           // first blue pixel
  EXPECT_EQ(frame.At(359, 269), Bgr(0x12, 0x34, 0x56));     // bottom-right corner
  EXPECT_EQ(frame.At(300, 240), Bgr(0xAB, 0xCD, 0xEF));     // the marker
  EXPECT_NE(frame.At(301, 240), Bgr(0xAB, 0xCD, 0xEF));
  EXPECT_NE(frame.At(360, 270), Bgr(0x12, 0x34, 0x56));     // outside the window
  for (uint32_t p : frame.pixels) ASSERT_EQ(p >> 24, 0u) << "the top byte is always clear";

  // An area holds exactly the full capture's pixels from its origin on:
  // across the four quarters, and clipped at the screen's edges.
  const Rect areas[] = {{270, 200, 291, 221},
                        {-5, -7, 12, 9},
                        {frame.width - 9, frame.height - 4, frame.width + 30, frame.height + 1}};
  for (const Rect& a : areas) {
    Frame part;
    Point origin{-1, -1};
    ASSERT_TRUE(screen.CaptureArea(a, part, origin));
    EXPECT_EQ(origin, (Point{std::max(a.left, 0), std::max(a.top, 0)}));
    ASSERT_EQ(part.width, std::min(a.right, frame.width) - origin.x);
    ASSERT_EQ(part.height, std::min(a.bottom, frame.height) - origin.y);
    for (int32_t y = 0; y < part.height; ++y)
      for (int32_t x = 0; x < part.width; ++x)
        ASSERT_EQ(part.At(x, y), frame.At(origin.x + x, origin.y + y))
            << a.left << "," << a.top << " +" << x << "," << y;
  }
  Frame off;
  off.Resize(3, 3);
  Point origin;
  ASSERT_TRUE(screen.CaptureArea(Rect{frame.width, 0, frame.width + 50, 50}, off, origin));
  EXPECT_EQ(off.width * off.height, 0) << "an area off the screen holds no pixel";
}

// --- BMP pieces built by hand, as a file stores them ---

void PutLe(std::string& s, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string InfoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0,
                       uint32_t colours = 0, uint32_t image_size = 0) {
  std::string h(40, '\0');
  PutLe(h, 0, 40, 4);
  PutLe(h, 4, static_cast<uint32_t>(width), 4);
  PutLe(h, 8, static_cast<uint32_t>(height), 4);
  PutLe(h, 12, 1, 2);
  PutLe(h, 14, bits, 2);
  PutLe(h, 16, compression, 4);
  PutLe(h, 20, image_size, 4);
  PutLe(h, 32, colours, 4);
  return h;
}

bool Render(const std::string& info, const std::string& bits, Frame& out) {
  // The header sits at an odd offset of a file buffer, as it does when it
  // comes straight from a mapped BMP.
  std::string file = std::string(14, 'x') + info;
  return Win32Images().RenderDib(reinterpret_cast<const uint8_t*>(file.data()) + 14, info.size(),
                                 reinterpret_cast<const uint8_t*>(bits.data()), bits.size(), out);
}

// 3 x 2, 24 bits, bottom-up: rows are padded to 12 bytes and the file's
// first row is the picture's bottom row.
std::string Bits24() {
  std::string bits(24, '\0');
  auto px = [&](int row, int col, uint8_t r, uint8_t g, uint8_t b) {
    bits[row * 12 + col * 3 + 0] = static_cast<char>(b);
    bits[row * 12 + col * 3 + 1] = static_cast<char>(g);
    bits[row * 12 + col * 3 + 2] = static_cast<char>(r);
  };
  px(1, 0, 0xFF, 0, 0);  // top row (stored second)
  px(1, 1, 0, 0xFF, 0);
  px(1, 2, 0, 0, 0xFF);
  px(0, 0, 0x10, 0x20, 0x30);  // bottom row
  px(0, 1, 0xFE, 0xFD, 0xFC);
  px(0, 2, 0x01, 0x02, 0x03);
  bits[9] = bits[10] = bits[11] = '\x77';  // padding never shows
  return bits;
}

TEST(RenderDib, TwentyFourBitBottomUpWithPadding) {
  Frame f;
  ASSERT_TRUE(Render(InfoHeader(3, 2, 24), Bits24(), f));
  ASSERT_EQ(f.width, 3);
  ASSERT_EQ(f.height, 2);
  EXPECT_EQ(f.At(0, 0), Bgr(0xFF, 0, 0));
  EXPECT_EQ(f.At(1, 0), Bgr(0, 0xFF, 0));
  EXPECT_EQ(f.At(2, 0), Bgr(0, 0, 0xFF));
  EXPECT_EQ(f.At(0, 1), Bgr(0x10, 0x20, 0x30));
  EXPECT_EQ(f.At(1, 1), Bgr(0xFE, 0xFD, 0xFC));
  EXPECT_EQ(f.At(2, 1), Bgr(0x01, 0x02, 0x03));
}

TEST(RenderDib, TwentyFourBitTopDownKeepsRowOrder) {
  std::string bits = Bits24();
  std::string swapped = bits.substr(12, 12) + bits.substr(0, 12);
  Frame f;
  ASSERT_TRUE(Render(InfoHeader(3, -2, 24), swapped, f));
  ASSERT_EQ(f.height, 2);
  EXPECT_EQ(f.At(0, 0), Bgr(0xFF, 0, 0));
  EXPECT_EQ(f.At(2, 1), Bgr(0x01, 0x02, 0x03));
}

// 8 bits with a four-entry palette (colours used 4): indexes map through
// the table, entries stored blue, green, red, reserved.
TEST(RenderDib, EightBitThroughTheColourTable) {
  std::string info = InfoHeader(5, 2, 8, 0, 4);
  const uint8_t table[4][4] = {{0, 0, 0, 0}, {0x30, 0x20, 0x10, 0}, {0xFF, 0, 0, 0}, {0x56, 0x34, 0x12, 0}};
  info.append(reinterpret_cast<const char*>(table), sizeof table);
  std::string bits(16, '\0');  // rows of 5 bytes padded to 8
  const char bottom[5] = {3, 3, 2, 1, 0};
  const char top[5] = {1, 2, 3, 0, 2};
  std::memcpy(&bits[0], bottom, 5);
  std::memcpy(&bits[8], top, 5);
  Frame f;
  ASSERT_TRUE(Render(info, bits, f));
  ASSERT_EQ(f.width, 5);
  EXPECT_EQ(f.At(0, 0), Bgr(0x10, 0x20, 0x30));
  EXPECT_EQ(f.At(1, 0), Bgr(0, 0, 0xFF));
  EXPECT_EQ(f.At(2, 0), Bgr(0x12, 0x34, 0x56));
  EXPECT_EQ(f.At(3, 0), Bgr(0, 0, 0));
  EXPECT_EQ(f.At(0, 1), Bgr(0x12, 0x34, 0x56));
  EXPECT_EQ(f.At(4, 1), Bgr(0, 0, 0));
}

TEST(RenderDib, ThirtyTwoBitAndBitFields) {
  // plain 32 bits: B, G, R, unused
  std::string bits = {'\x03', '\x02', '\x01', '\x7F', '\x30', '\x20', '\x10', '\x00'};
  Frame f;
  ASSERT_TRUE(Render(InfoHeader(2, 1, 32), bits, f));
  EXPECT_EQ(f.At(0, 0), Bgr(1, 2, 3));
  EXPECT_EQ(f.At(1, 0), Bgr(0x10, 0x20, 0x30));
  // 16 bits 5-6-5 with its masks after the header
  std::string info = InfoHeader(2, 1, 16, BI_BITFIELDS);
  std::string masks(12, '\0');
  PutLe(masks, 0, 0xF800, 4);
  PutLe(masks, 4, 0x07E0, 4);
  PutLe(masks, 8, 0x001F, 4);
  std::string bits16(4, '\0');
  PutLe(bits16, 0, 0xF800, 2);  // pure red
  PutLe(bits16, 2, 0x001F, 2);  // pure blue
  ASSERT_TRUE(Render(info + masks, bits16, f));
  EXPECT_EQ(f.At(0, 0) & 0xFF, 0xFFu);
  EXPECT_EQ(f.At(0, 0) >> 8, 0u);
  EXPECT_EQ(f.At(1, 0), Bgr(0, 0, 0xFF));
}

// Whatever the header claims, GDI must never be handed a buffer it would
// read past, and absurd pictures are refused before any memory is taken.
TEST(RenderDib, RefusesHeadersThatDoNotFitTheirBuffers) {
  Frame f;
  f.Resize(1, 1, 0x123456);
  const std::string bits = Bits24();
  EXPECT_FALSE(Render(InfoHeader(3, 3, 24), bits, f)) << "pixel data shorter than 3 rows";
  EXPECT_FALSE(Render(InfoHeader(3, 2, 24).substr(0, 39), bits, f)) << "header cut short";
  EXPECT_FALSE(Render(InfoHeader(5, 2, 8, 0, 4), std::string(16, '\0'), f)) << "colour table missing";
  EXPECT_FALSE(Render(InfoHeader(5, 2, 8, 0, 300), std::string(16, '\0'), f)) << "more colours than 8 bits index";
  EXPECT_FALSE(Render(InfoHeader(0, 2, 24), bits, f));
  EXPECT_FALSE(Render(InfoHeader(3, 0, 24), bits, f));
  EXPECT_FALSE(Render(InfoHeader(-3, 2, 24), bits, f));
  EXPECT_FALSE(Render(InfoHeader(3, INT32_MIN, 24), bits, f));
  EXPECT_FALSE(Render(InfoHeader(0x7FFFFFFF, 0x7FFFFFFF, 24), bits, f));
  EXPECT_FALSE(Render(InfoHeader(100000, 100000, 1), std::string(1 << 20, '\0'), f));
  EXPECT_FALSE(Render(InfoHeader(3, 2, 7), bits, f)) << "no such bit count";
  EXPECT_FALSE(Render(InfoHeader(3, 2, 24, 4 /* embedded JPEG */), bits, f));
  EXPECT_FALSE(Render(InfoHeader(4, 2, 8, BI_RLE8, 0, 0) + std::string(1024, '\0'), bits, f))
      << "a run-length stream without a declared size";
  EXPECT_FALSE(Render(InfoHeader(4, 2, 8, BI_RLE8, 0, 1000) + std::string(1024, '\0'), bits, f))
      << "declared size larger than the data";
  std::string bad_planes = InfoHeader(3, 2, 24);
  PutLe(bad_planes, 12, 2, 2);
  EXPECT_FALSE(Render(bad_planes, bits, f));
  EXPECT_FALSE(Win32Images().RenderDib(nullptr, 0, nullptr, 0, f));
  EXPECT_EQ(f.width, 1) << "a refused picture leaves the frame alone";
  EXPECT_EQ(f.At(0, 0), 0x123456u);
}

TEST(RenderDib, RunLengthEightBit) {
  std::string info = InfoHeader(4, 2, 8, BI_RLE8, 2);
  const uint8_t table[2][4] = {{0, 0, 0xFF, 0}, {0xFF, 0, 0, 0}};  // red, blue
  info.append(reinterpret_cast<const char*>(table), sizeof table);
  // bottom row: 4 x index 0; end of line; top row: 4 x index 1; end of picture
  const std::string rle = {4, 0, 0, 0, 4, 1, 0, 1};
  PutLe(info, 20, static_cast<uint32_t>(rle.size()), 4);
  Frame f;
  ASSERT_TRUE(Render(info, rle, f));
  EXPECT_EQ(f.At(0, 0), Bgr(0, 0, 0xFF));
  EXPECT_EQ(f.At(3, 0), Bgr(0, 0, 0xFF));
  EXPECT_EQ(f.At(0, 1), Bgr(0xFF, 0, 0));
  EXPECT_EQ(f.At(3, 1), Bgr(0xFF, 0, 0));
}

}  // namespace
}  // namespace tora
