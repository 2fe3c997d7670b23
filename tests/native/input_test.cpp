// Key, mouse and clipboard synthesis over the simulated platform: event
// order, the press gap, posted message kinds and the trace lines.
#include <gtest/gtest.h>

#include "engine/input.h"
#include "engine/texts.h"
#include "platform/sim/sim_platform.h"

namespace tora {
namespace {

constexpr int32_t kCtrl = 17, kAlt = 18, kEnter = 13, kA = 65, kV = 86;

class InputTest : public ::testing::Test {
 protected:
  InputTest() { sim.show_actions = true; }

  Platform& p() { return sim.platform(); }
  std::vector<InputEvent> Events() { return sim.Events(); }

  SimPlatform sim;
};

TEST_F(InputTest, ForegroundCombinationReleasesInPressOrderAfterTheGap) {
  SendKeys({kCtrl, kA}, KeyMode::Press, 0, p());
  const auto ev = Events();
  ASSERT_EQ(ev.size(), 4u);
  EXPECT_EQ(ev[0].kind, InputEvent::KeyDown);
  EXPECT_EQ(ev[0].code, kCtrl);
  EXPECT_EQ(ev[1].kind, InputEvent::KeyDown);
  EXPECT_EQ(ev[1].code, kA);
  EXPECT_EQ(ev[2].kind, InputEvent::KeyUp);
  EXPECT_EQ(ev[2].code, kCtrl);
  EXPECT_EQ(ev[3].kind, InputEvent::KeyUp);
  EXPECT_EQ(ev[3].code, kA);
  EXPECT_EQ(ev[0].tick, ev[1].tick);
  EXPECT_EQ(ev[2].tick - ev[1].tick, 10u);
  EXPECT_EQ(sim.SleptMs(), 10u);

  const std::vector<std::string> trace = {"keybd_event(17,0,0,0);\n", "keybd_event(65,0,0,0);\n",
                                          "\tkeybd_event(17, 0 , KEYEVENTF_KEYUP, 0);\n",
                                          "\tkeybd_event(65, 0 , KEYEVENTF_KEYUP, 0);\n"};
  EXPECT_EQ(sim.TraceLines(), trace);
  // Newest line on top.
  const std::vector<std::string> status = {"弹起[A](前台)", "弹起[Ctrl](前台)", "按下[A](前台)",
                                           "按下[Ctrl](前台)"};
  EXPECT_EQ(sim.Status(), status);
}

TEST_F(InputTest, DownOnlyAndUpOnlyModesStillWaitTheGap) {
  SendKeys({kA}, KeyMode::Down, 0, p());
  auto ev = Events();
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(ev[0].kind, InputEvent::KeyDown);
  EXPECT_EQ(sim.SleptMs(), 10u);

  sim.ClearEvents();
  SendKeys({kA}, KeyMode::Up, 0, p());
  ev = Events();
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(ev[0].kind, InputEvent::KeyUp);
  EXPECT_EQ(sim.SleptMs(), 20u);

  // A step without keys sends nothing but keeps its timing.
  sim.ClearEvents();
  SendKeys({}, KeyMode::Press, 0, p());
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(sim.SleptMs(), 30u);
}

TEST_F(InputTest, ForegroundEventCarriesTheLowByteOfTheCode) {
  SendKeys({0x141}, KeyMode::Down, 0, p());
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_EQ(Events()[0].code, 0x41);
}

TEST_F(InputTest, BackgroundSingleKeyPostsPlainMessages) {
  const WindowHandle w = 0x1a2b;
  SendKeys({kEnter}, KeyMode::Press, w, p());
  const auto ev = Events();
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[0].kind, InputEvent::Post);
  EXPECT_EQ(ev[0].window, w);
  EXPECT_EQ(ev[0].message, KeyMessage::KeyDown);
  EXPECT_EQ(ev[0].code, kEnter);
  EXPECT_EQ(ev[1].message, KeyMessage::KeyUp);
  EXPECT_EQ(ev[1].code, kEnter);
  EXPECT_EQ(ev[1].tick - ev[0].tick, 10u);
  const std::vector<std::string> trace = {"PostMessage(1a2b,WM_KEYDOWN,13,0);\n", "PostMessage(1a2b,WM_KEYUP,13,0);\n"};
  EXPECT_EQ(sim.TraceLines(), trace);
  const std::vector<std::string> status = {"弹起[Enter](后台)", "按下[Enter](后台)"};
  EXPECT_EQ(sim.Status(), status);
}

TEST_F(InputTest, BackgroundAltAloneIsASystemKey) {
  SendKeys({kAlt}, KeyMode::Press, 0x40, p());
  const auto ev = Events();
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[0].message, KeyMessage::SysKeyDown);
  EXPECT_EQ(ev[1].message, KeyMessage::SysKeyUp);
  const std::vector<std::string> status = {"组合键弹起[Alt](后台)", "组合键按下[Alt](后台)"};
  EXPECT_EQ(sim.Status(), status);
  const std::vector<std::string> trace = {"PostMessage(40,WM_SYSKEYDOWN,18,0);\n",
                                          "PostMessage(40,WM_SYSKEYUP,18,0);\n"};
  EXPECT_EQ(sim.TraceLines(), trace);
}

TEST_F(InputTest, BackgroundCombinationSendsEveryKeyAsSystemKey) {
  SendKeys({kCtrl, kV}, KeyMode::Press, 0x40, p());
  const auto ev = Events();
  ASSERT_EQ(ev.size(), 4u);
  EXPECT_EQ(ev[0].message, KeyMessage::SysKeyDown);
  EXPECT_EQ(ev[0].code, kCtrl);
  EXPECT_EQ(ev[1].message, KeyMessage::SysKeyDown);
  EXPECT_EQ(ev[1].code, kV);
  EXPECT_EQ(ev[2].message, KeyMessage::SysKeyUp);
  EXPECT_EQ(ev[2].code, kCtrl);
  EXPECT_EQ(ev[3].message, KeyMessage::SysKeyUp);
  EXPECT_EQ(ev[3].code, kV);
  const auto status = sim.Status();
  ASSERT_EQ(status.size(), 4u);
  for (const auto& line : status) EXPECT_EQ(line.rfind("组合键", 0), 0u) << line;
}

TEST_F(InputTest, BackgroundModesSkipAPhase) {
  SendKeys({kA}, KeyMode::Up, 0x40, p());
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_EQ(Events()[0].message, KeyMessage::KeyUp);
  EXPECT_EQ(sim.SleptMs(), 10u);
}

TEST_F(InputTest, UnknownKeyTracesAnEmptyName) {
  SendKeys({255}, KeyMode::Down, 0, p());
  ASSERT_EQ(sim.Status().size(), 1u);
  EXPECT_EQ(sim.Status()[0], "按下[](前台)");
}

TEST_F(InputTest, ShowActionsOffKeepsTheStatusListEmptyButTracesForDevelopers) {
  sim.show_actions = false;
  SendKeys({kCtrl, kA}, KeyMode::Press, 0, p());
  SendKeys({kA}, KeyMode::Press, 0x40, p());
  SendMouse(kMouseLeftDown, kMouseLeftUp, 1, 2, p());
  EXPECT_TRUE(sim.Status().empty());
  EXPECT_EQ(sim.TraceLines().size(), 6u);
}

TEST_F(InputTest, DoubleClickSendsTwoCombinedEventsAroundTheGap) {
  SendMouse(kMouseLeftDown | kMouseLeftUp, kMouseLeftDown | kMouseLeftUp, 100, 200, p());
  const auto ev = Events();
  ASSERT_EQ(ev.size(), 3u);
  EXPECT_EQ(ev[0].kind, InputEvent::Cursor);
  EXPECT_EQ(ev[0].x, 100);
  EXPECT_EQ(ev[0].y, 200);
  EXPECT_EQ(ev[1].kind, InputEvent::Mouse);
  EXPECT_EQ(ev[1].flags, 6u);
  EXPECT_EQ(ev[2].kind, InputEvent::Mouse);
  EXPECT_EQ(ev[2].flags, 6u);
  EXPECT_EQ(ev[2].tick - ev[1].tick, 10u);
  ASSERT_EQ(sim.Status().size(), 1u);
  EXPECT_EQ(sim.Status()[0], "左键双击(位置:100,200)");
  // Mouse steps leave no developer trace.
  EXPECT_TRUE(sim.TraceLines().empty());
}

TEST_F(InputTest, MouseLinesAreNamedByThePressWordOnly) {
  SendMouse(0, 0, -5, 7, p());                         // move
  SendMouse(kMouseLeftDown, 0, 1, 1, p());             // press only: reads as a click
  SendMouse(0, kMouseRightUp, 2, 2, p());              // release only: position alone
  SendMouse(kMouseRightDown, kMouseRightUp, 3, 3, p());
  SendMouse(kMouseMiddleDown, kMouseMiddleUp, 4, 4, p());
  const std::vector<std::string> status = {"中键单击(位置:4,4)", "右键单击(位置:3,3)", "(位置:2,2)",
                                           "左键单击(位置:1,1)", "(位置:-5,7)"};
  EXPECT_EQ(sim.Status(), status);

  // The move sent no button event; press-only and release-only one each.
  const auto ev = Events();
  int mouse_events = 0;
  for (const auto& e : ev) mouse_events += e.kind == InputEvent::Mouse;
  EXPECT_EQ(mouse_events, 0 + 1 + 1 + 2 + 2);
  EXPECT_EQ(sim.SleptMs(), 50u);
}

TEST_F(InputTest, ClipboardTakesEmptyTextAndReportsFailure) {
  EXPECT_TRUE(PutClipboardText("", p()));
  EXPECT_EQ(sim.Clipboard(), "");
  EXPECT_EQ(sim.ClipboardWrites(), 1);

  EXPECT_TRUE(PutClipboardText("第一行\r\n第二行", p()));
  EXPECT_EQ(sim.Clipboard(), "第一行\r\n第二行");

  sim.clipboard_fails = true;
  EXPECT_FALSE(PutClipboardText("x", p()));
  EXPECT_EQ(sim.Clipboard(), "第一行\r\n第二行");
}

}  // namespace
}  // namespace tora
