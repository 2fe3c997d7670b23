// Pictures found on the real screen and windows held by window rules, each
// through a whole run: script file, script host, workers, real platform.
#include <gtest/gtest.h>

#include <memory>

#include "engine/registry.h"
#include "engine/script_host.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "tests/win/script_run_fixture.h"
#include "tests/win/win_test_util.h"
#include "vision/color_test.h"

namespace tora {
namespace {

using test::PumpUntil;
using test::TempFolder;
using test::TestWindow;

using PictureWindowRun = test::ScriptRunFixture;

// --- the picture ---

// An odd width, so that the rows of both files carry padding.
constexpr int kPicW = 13;
constexpr int kPicH = 9;
// Every pixel has its own colour: a picture read shifted, mirrored or
// upside down matches nowhere.
COLORREF PicColour(int x, int y) { return RGB(0x21 + 13 * x, 0x35 + 19 * y, 0xC7 - 7 * x - 5 * y); }

void PutLe(std::string& s, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The picture as a bottom-up BMP file of 24 bits, or of 8 bits with one
// colour-table entry per pixel.
std::string PictureBmp(int bits) {
  const size_t row = (static_cast<size_t>(kPicW) * bits / 8 + 3) & ~size_t{3};
  const size_t table = bits == 8 ? 4 * kPicW * kPicH : 0;
  const size_t offset = 14 + 40 + table;
  std::string f(offset + row * kPicH, '\0');
  f[0] = 'B';
  f[1] = 'M';
  PutLe(f, 2, static_cast<uint32_t>(f.size()), 4);
  PutLe(f, 10, static_cast<uint32_t>(offset), 4);
  PutLe(f, 14, 40, 4);
  PutLe(f, 18, kPicW, 4);
  PutLe(f, 22, kPicH, 4);
  PutLe(f, 26, 1, 2);
  PutLe(f, 28, static_cast<uint32_t>(bits), 2);
  if (bits == 8) PutLe(f, 46, kPicW * kPicH, 4);
  for (int y = 0; y < kPicH; ++y)
    for (int x = 0; x < kPicW; ++x) {
      const COLORREF c = PicColour(x, y);
      const char bgr[3] = {static_cast<char>(GetBValue(c)), static_cast<char>(GetGValue(c)),
                           static_cast<char>(GetRValue(c))};
      const size_t at = offset + (kPicH - 1 - y) * row;
      if (bits == 24) {
        f.replace(at + 3 * x, 3, bgr, 3);
      } else {
        const int index = y * kPicW + x;
        f[at + x] = static_cast<char>(index);
        f.replace(54 + 4 * index, 3, bgr, 3);
      }
    }
  return f;
}

// The window paints the picture pixel by pixel, not through the renderer the
// program reads its files with; the picture's top-left corner lands on
// (450, 325) of the screen.
TEST_F(PictureWindowRun, PictureFromABmpIsFoundWhereAWindowShowsIt) {
  constexpr int kLeft = 450, kTop = 325;
  TestWindow::Options o;
  o.title = L"找图目标";
  o.class_name = L"ToraPictureTarget";
  o.ex_style = WS_EX_TOPMOST;
  o.rect = RECT{kLeft - 20, kTop - 15, kLeft + 50, kTop + 35};
  o.paint = [](HDC dc, const RECT& client) {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int y = 0; y < kPicH; ++y)
      for (int x = 0; x < kPicW; ++x) SetPixel(dc, 20 + x, 15 + y, PicColour(x, y));
  };
  TestWindow window(o);
  const auto shown = [&] {
    Frame f;
    return platform_.platform().screen.CaptureScreen(f) && f.At(kLeft, kTop) == PicColour(0, 0) &&
           f.At(kLeft + kPicW - 1, kTop + kPicH - 1) == PicColour(kPicW - 1, kPicH - 1);
  };
  ASSERT_TRUE(PumpUntil(shown)) << "the window never showed the picture";
  ASSERT_TRUE(TempFolder::WriteBytes(folder_.File("图24.bmp"), PictureBmp(24)));
  ASSERT_TRUE(TempFolder::WriteBytes(folder_.File("图8.bmp"), PictureBmp(8)));
  const std::string p24 = LuaPath("图24.bmp"), p8 = LuaPath("图8.bmp");

  Start("找图像条件(\"全部\",\"活动\",\"全屏\",0,\"" + p24 + "\")\r\n" +
        "找图像条件(\"一半\",\"活动\",\"全屏\",50,\"" + p24 + "\")\r\n" +
        "找图像条件(\"八位\",\"活动\",\"0,0,800,600\",0,\"" + p8 + "\")\r\n" +
        "找图像条件(\"此处\",\"固定\",\"450,325\",0,\"" + p24 + "\")\r\n" +
        "找图像条件(\"别处\",\"固定\",\"451,325\",0,\"" + p24 + "\")\r\n" +
        "动作_1={\r\n{\"左键单击\",\"0,0,相对,0\"},\r\n}\r\n" +
        "重复动作(\"动作_1\",0.1,\"找图像条件(一半)\",\"0\",\"0\",0)\r\n");
  ASSERT_TRUE(user_.Shown().empty()) << user_.Shown().front();
  ASSERT_EQ(registry_.screen_conditions.Length(), 5);

  ASSERT_TRUE(PumpUntil([&] { return !window.Messages({WM_LBUTTONDOWN}).empty(); }, 10000))
      << "the gated click never came";
  host_.StopScript();
  host_.JoinWorkers();
  const test::LoggedMessage click = window.Messages({WM_LBUTTONDOWN})[0];
  EXPECT_EQ(GET_X_LPARAM(click.lparam), 20);
  EXPECT_EQ(GET_Y_LPARAM(click.lparam), 15);

  // Each condition once more over a fresh capture, now that no worker reads them.
  RunFlag flag;
  flag.Set();
  const auto test = [&](int id, Point& found) {
    return ColorTest(*registry_.screen_conditions.Get(id), platform_.platform(), flag, found);
  };
  for (int id : {0, 1, 2}) {
    Point found{-1, -1};
    EXPECT_TRUE(test(id, found)) << id;
    EXPECT_EQ(found.x, kLeft) << id;
    EXPECT_EQ(found.y, kTop) << id;
  }
  EXPECT_EQ(registry_.screen_conditions.Get(0)->points.size(), size_t{kPicW * kPicH});
  EXPECT_LT(registry_.screen_conditions.Get(1)->points.size(), size_t{kPicW * kPicH}) << "thinned";
  Point unused;
  EXPECT_TRUE(test(3, unused)) << "fixed at the picture's place";
  EXPECT_FALSE(test(4, unused)) << "fixed one pixel to the right";
}

// --- window rules ---

struct Placed {
  const wchar_t* title;
  RECT start;
  const char* corner;
  int width, height;  // as the rule asks; 0 keeps the window's own size
};

// Six windows, one rule each, held by the keeper at the corners and the
// centre of the work area; the first is pinned until the run stops.
TEST_F(PictureWindowRun, WindowRulesPlaceAndPinTheirWindows) {
  const Placed placed[] = {
      {L"规则左上", {300, 300, 400, 400}, "左上角", 200, 150},
      {L"规则右上", {320, 320, 420, 420}, "右上角", 180, 120},
      {L"规则左下", {340, 340, 440, 440}, "左下角", 160, 140},
      {L"规则右下", {360, 360, 460, 460}, "右下角", 150, 100},
      {L"规则居中", {380, 380, 480, 480}, "居中", 301, 201},
      {L"规则原样", {400, 400, 571, 493}, "居中", 0, 0},
  };
  std::vector<std::unique_ptr<TestWindow>> windows;
  std::string script;
  for (const Placed& p : placed) {
    TestWindow::Options o;
    o.title = p.title;
    o.class_name = L"ToraRuleTarget";
    o.rect = p.start;
    windows.push_back(std::make_unique<TestWindow>(o));
    script += "窗口操作(\"" + Narrow(p.title) + "\",\"" + Narrow(p.title) + "\",\"" + p.corner + "\",\"" +
              (&p == placed ? "置顶" : "不置顶") + "\"," + std::to_string(p.width) + "," +
              std::to_string(p.height) + ",0.1)\r\n";
  }
  RECT area;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
  const int W = area.right - area.left, H = area.bottom - area.top;
  const auto want = [&](const Placed& p) {
    const int w = p.width ? p.width : p.start.right - p.start.left;
    const int h = p.height ? p.height : p.start.bottom - p.start.top;
    const std::string corner = p.corner;
    const int x = corner == "左上角" || corner == "左下角" ? 0 : corner == "居中" ? (W - w) / 2 : W - w;
    const int y = corner == "左上角" || corner == "右上角" ? 0 : corner == "居中" ? (H - h) / 2 : H - h;
    return RECT{x, y, x + w, y + h};
  };
  const auto rect_of = [&](size_t i) {
    RECT r{};
    GetWindowRect(windows[i]->hwnd(), &r);
    return r;
  };
  const auto topmost = [&](size_t i) { return (GetWindowLongW(windows[i]->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };

  Start(script);
  const bool settled = PumpUntil([&] {
    for (size_t i = 0; i < windows.size(); ++i) {
      const RECT got = rect_of(i), expected = want(placed[i]);
      if (!EqualRect(&got, &expected)) return false;
    }
    return topmost(0);
  }, 5000);
  for (size_t i = 0; i < windows.size(); ++i) {
    const RECT got = rect_of(i), expected = want(placed[i]);
    EXPECT_TRUE(EqualRect(&got, &expected))
        << Narrow(placed[i].title) << ": " << got.left << "," << got.top << "," << got.right << "," << got.bottom
        << " instead of " << expected.left << "," << expected.top << "," << expected.right << ","
        << expected.bottom;
  }
  ASSERT_TRUE(settled);
  EXPECT_TRUE(topmost(0));
  EXPECT_FALSE(topmost(1)) << "a rule without the pin leaves the z-order alone";

  host_.StopScript();
  EXPECT_FALSE(topmost(0)) << "a stop takes the pinned window out of the topmost band";
  const RECT kept = rect_of(0), expected = want(placed[0]);
  EXPECT_TRUE(EqualRect(&kept, &expected)) << "without moving it";
}

}  // namespace
}  // namespace tora
