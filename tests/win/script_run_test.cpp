// Whole runs over the real platform: a script file goes through the script
// host, and its workers find colours on the real screen, click and press
// keys into real windows, and report to a stand-in main window.
#include <gtest/gtest.h>

#include "engine/registry.h"
#include "engine/script_host.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "tests/win/script_run_fixture.h"
#include "tests/win/win_test_util.h"

namespace tora {
namespace {

using test::LoggedMessage;
using test::PumpUntil;
using test::TempFolder;
using test::TestWindow;

using ScriptRun = test::ScriptRunFixture;

// A small two-pixel mark painted into a window; the gated task must click at
// its offset from where the mark is found.
TEST_F(ScriptRun, GatedTaskClicksRelativeToTheFoundColour) {
  TestWindow::Options o;
  o.title = L"找色目标";
  o.class_name = L"ToraColourTarget";
  o.ex_style = WS_EX_TOPMOST;
  o.rect = RECT{500, 300, 700, 450};
  o.paint = [](HDC dc, const RECT& client) {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetPixel(dc, 120, 70, RGB(0x13, 0x57, 0x9B));
    SetPixel(dc, 122, 72, RGB(0x13, 0x57, 0x9B));
  };
  TestWindow window(o);
  test::PumpMessages(200);
  user_.show_actions = true;

  Start("颜色点列表_1={\r\n"
        "{10,10,\"==\",0x9B5713},\r\n"
        "{12,12,\"==\",0x9B5713},\r\n"
        "}\r\n"
        "找颜色点条件(\"1\",\"颜色点列表_1\",\"活动\",\"全屏\",30)\r\n\r\n"
        "动作_1={\r\n"
        "{\"左键单击\",\"5,7,相对,0\"},\r\n"
        "}\r\n"
        "重复动作(\"动作_1\",0.1,\"找颜色点条件(1)\",\"0\",\"0\",0)\r\n");

  // The interface thread keeps its loop running, as the main window does:
  // the click arrives here and the worker's status line is sent here.
  ASSERT_TRUE(PumpUntil([&] { return !window.Messages({WM_LBUTTONDOWN}).empty(); }, 10000))
      << "no click reached the window";
  host_.StopScript();
  const LoggedMessage click = window.Messages({WM_LBUTTONDOWN})[0];
  EXPECT_EQ(GET_X_LPARAM(click.lparam), 125);
  EXPECT_EQ(GET_Y_LPARAM(click.lparam), 77);
  // the step in flight finishes before the stop returns: the button comes up
  EXPECT_TRUE(PumpUntil([&] { return !window.Messages({WM_LBUTTONUP}).empty(); }));

  const std::vector<std::string> status = user_.Status();
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.front(), texts::kStoppedLine);
  bool traced = false;
  for (const std::string& line : status) traced = traced || line == "左键单击(位置:625,377)";
  EXPECT_TRUE(traced) << "the click's status line reached the main window";
}

// A task bound to a window rule posts its keys to that window: a combination
// goes as system keys, downs then ups in the same order, lParam 0.
TEST_F(ScriptRun, BoundTaskPostsItsKeysToTheRulesWindow) {
  TestWindow::Options o;
  o.title = L"后台按键目标";
  o.class_name = L"ToraBoundTarget";
  o.rect = RECT{100, 500, 300, 650};
  TestWindow window(o);

  Start("窗口操作(\"记事本\",\"后台按键目标\",\"无\",\"不置顶\",0,0,0.1)\r\n\r\n"
        "动作_1={\r\n"
        "{\"按键\",\"Ctrl+V,0\"},\r\n"
        "}\r\n"
        "重复动作(\"动作_1\",0.1,\"0\",\"窗口操作(记事本)\",\"0\",1)\r\n");

  const auto keys = [&] { return window.Messages({WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP}); };
  ASSERT_TRUE(PumpUntil([&] { return keys().size() >= 4; }, 10000));
  test::PumpMessages(300);  // a count of 1: nothing more comes
  host_.StopScript();
  const std::vector<LoggedMessage> got = keys();
  ASSERT_EQ(got.size(), 4u);
  const UINT want_msg[] = {WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP};
  const WPARAM want_code[] = {VK_CONTROL, 'V', VK_CONTROL, 'V'};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(got[i].message, want_msg[i]) << i;
    EXPECT_EQ(got[i].wparam, want_code[i]) << i;
    EXPECT_EQ(got[i].lparam, 0) << i;
  }
}

}  // namespace
}  // namespace tora
