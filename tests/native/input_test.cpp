// Key, mouse and clipboard synthesis over the simulated platform: event
// order, the press gap, posted message kinds and the trace lines.
#include <gtest/gtest.h>

#include "engine/input.h"
#include "platform/sim/sim_platform.h"

namespace tora {
namespace {

using Lines = std::vector<std::string>;

// The input log as text: d/u foreground key down/up, k/K posted key
// down/up, s/S posted system key down/up, c cursor, m mouse flags.
std::string Log(SimPlatform& sim) {
  std::string out;
  for (const InputEvent& e : sim.Events()) {
    if (!out.empty()) out += ' ';
    switch (e.kind) {
      case InputEvent::KeyDown: out += "d" + std::to_string(e.code); break;
      case InputEvent::KeyUp: out += "u" + std::to_string(e.code); break;
      case InputEvent::Post:
        out += "kKsS"[static_cast<int>(e.message)] + std::to_string(e.code);
        if (e.window != 0x40) out += "@?";
        break;
      case InputEvent::Cursor: out += "c" + std::to_string(e.x) + "," + std::to_string(e.y); break;
      case InputEvent::Mouse: out += "m" + std::to_string(e.flags); break;
    }
  }
  return out;
}

class InputTest : public ::testing::Test {
 protected:
  InputTest() { sim.show_actions = true; }
  Platform& p() { return sim.platform(); }
  SimPlatform sim;
};

TEST_F(InputTest, ForegroundCombinationReleasesInPressOrderAfterTheGap) {
  SendKeys({17, 65}, KeyMode::Press, 0, p());
  EXPECT_EQ(Log(sim), "d17 d65 u17 u65");
  const auto ev = sim.Events();
  EXPECT_EQ(ev[2].tick - ev[1].tick, 10u);
  EXPECT_EQ(sim.TraceLines(), (Lines{"keybd_event(17,0,0,0);\n", "keybd_event(65,0,0,0);\n",
                                     "\tkeybd_event(17, 0 , KEYEVENTF_KEYUP, 0);\n",
                                     "\tkeybd_event(65, 0 , KEYEVENTF_KEYUP, 0);\n"}));
  // Newest line on top.
  EXPECT_EQ(sim.Status(), (Lines{"弹起[A](前台)", "弹起[Ctrl](前台)", "按下[A](前台)", "按下[Ctrl](前台)"}));
}

TEST_F(InputTest, EveryModeWaitsTheGapAlsoWhenAPhaseIsSkipped) {
  SendKeys({65}, KeyMode::Down, 0, p());
  SendKeys({66}, KeyMode::Up, 0x40, p());
  SendKeys({}, KeyMode::Press, 0, p());
  SendKeys({0x143}, KeyMode::Down, 0, p());  // only the low byte is a key
  EXPECT_EQ(Log(sim), "d65 K66 d67");
  EXPECT_EQ(sim.SleptMs(), 40u);
}

TEST_F(InputTest, BackgroundPostsPlainOrSystemKeys) {
  SendKeys({13}, KeyMode::Press, 0x40, p());
  EXPECT_EQ(Log(sim), "k13 K13");
  EXPECT_EQ(sim.Events()[1].tick - sim.Events()[0].tick, 10u);
  EXPECT_EQ(sim.TraceLines(), (Lines{"PostMessage(40,WM_KEYDOWN,13,0);\n", "PostMessage(40,WM_KEYUP,13,0);\n"}));
  EXPECT_EQ(sim.Status(), (Lines{"弹起[Enter](后台)", "按下[Enter](后台)"}));

  // Alt alone is a system key; in a combination every key is, the main key too.
  sim.ClearEvents();
  p().user.ClearStatus();
  SendKeys({18}, KeyMode::Press, 0x40, p());
  SendKeys({17, 86}, KeyMode::Press, 0x40, p());
  EXPECT_EQ(Log(sim), "s18 S18 s17 s86 S17 S86");
  EXPECT_EQ(sim.Status(), (Lines{"组合键弹起[V](后台)", "组合键弹起[Ctrl](后台)", "组合键按下[V](后台)",
                                 "组合键按下[Ctrl](后台)", "组合键弹起[Alt](后台)", "组合键按下[Alt](后台)"}));
  EXPECT_EQ(sim.TraceLines()[2], "PostMessage(40,WM_SYSKEYDOWN,18,0);\n");
  EXPECT_EQ(sim.TraceLines()[3], "PostMessage(40,WM_SYSKEYUP,18,0);\n");
}

TEST_F(InputTest, WindowHandleIsTracedInHex) {
  SendKeys({65}, KeyMode::Down, 0xbeef, p());
  EXPECT_EQ(sim.TraceLines(), (Lines{"PostMessage(beef,WM_KEYDOWN,65,0);\n"}));
}

TEST_F(InputTest, UnknownKeyTracesAnEmptyName) {
  SendKeys({255}, KeyMode::Down, 0, p());
  EXPECT_EQ(sim.Status(), (Lines{"按下[](前台)"}));
}

TEST_F(InputTest, ShowActionsOffKeepsTheStatusListEmptyButTracesForDevelopers) {
  sim.show_actions = false;
  SendKeys({17, 65}, KeyMode::Press, 0, p());
  SendKeys({65}, KeyMode::Press, 0x40, p());
  SendMouse(kMouseLeftDown, kMouseLeftUp, 1, 2, p());
  EXPECT_TRUE(sim.Status().empty());
  EXPECT_EQ(sim.TraceLines().size(), 6u);
}

TEST_F(InputTest, DoubleClickSendsTwoCombinedEventsAroundTheGap) {
  SendMouse(6, 6, 100, 200, p());
  EXPECT_EQ(Log(sim), "c100,200 m6 m6");
  EXPECT_EQ(sim.Events()[2].tick - sim.Events()[1].tick, 10u);
  EXPECT_EQ(sim.Status(), (Lines{"左键双击(位置:100,200)"}));
  EXPECT_TRUE(sim.TraceLines().empty());  // mouse steps leave no developer trace
}

TEST_F(InputTest, MouseLinesAreNamedByThePressWordOnly) {
  SendMouse(0, 0, -5, 7, p());                    // move
  SendMouse(kMouseLeftDown, 0, 1, 1, p());        // press only reads as a click
  SendMouse(0, kMouseRightUp, 2, 2, p());         // release only: the position alone
  SendMouse(kMouseRightDown, kMouseRightUp, 3, 3, p());
  SendMouse(kMouseMiddleDown, kMouseMiddleUp, 4, 4, p());
  EXPECT_EQ(Log(sim), "c-5,7 c1,1 m2 c2,2 m16 c3,3 m8 m16 c4,4 m32 m64");
  EXPECT_EQ(sim.Status(), (Lines{"中键单击(位置:4,4)", "右键单击(位置:3,3)", "(位置:2,2)", "左键单击(位置:1,1)",
                                 "(位置:-5,7)"}));
  EXPECT_EQ(sim.SleptMs(), 50u);
}

TEST_F(InputTest, ClipboardTakesEmptyTextAndReportsFailure) {
  EXPECT_TRUE(PutClipboardText("", p()));
  EXPECT_EQ(sim.ClipboardWrites(), 1);
  EXPECT_TRUE(PutClipboardText("第一行\r\n第二行", p()));
  sim.clipboard_fails = true;
  EXPECT_FALSE(PutClipboardText("x", p()));
  EXPECT_EQ(sim.Clipboard(), "第一行\r\n第二行");
}

}  // namespace
}  // namespace tora
