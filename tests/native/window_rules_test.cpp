// Window rules: the script function, placement arithmetic and the keeper's
// passes over the simulated window table.
#include <gtest/gtest.h>

#include <thread>

#include "engine/script_context.h"
#include "engine/texts.h"
#include "engine/window_rules.h"
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
#include "platform/sim/sim_platform.h"

namespace tora {
namespace {

class WindowRulesTest : public ::testing::Test {
 protected:
  WindowRulesTest() {
    sim.SetWorkArea(Rect{0, 0, 1000, 700});
    reg.run_flag.Set();
  }

  Platform& p() { return sim.platform(); }
  WindowPort& wp() { return sim.platform().windows; }

  WindowRule Rule(WindowHandle window, const std::string& corner, int32_t w, int32_t h) {
    WindowRule rule;
    rule.corner = corner;
    rule.width = w;
    rule.height = h;
    rule.window.Store(window);
    return rule;
  }

  // Runs script text (GBK literals) with 窗口操作 registered; returns the
  // error message, or "" when it ran through.
  std::string RunScript(const std::string& text) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    ScriptContext context{reg, sim.platform(), nullptr};
    SetScriptContext(L, &context);
    lua_pushcclosure(L, LuaWindowOperation, 0);
    lua_setglobal(L, texts::kFnWindowOperation);
    std::string error;
    if (luaL_loadbufferx(L, text.data(), text.size(), "=test", "t") != LUA_OK || lua_pcall(L, 0, 0, 0) != LUA_OK)
      error = lua_tostring(L, -1);
    lua_close(L);
    return error;
  }

  SimPlatform sim;
  ActionRegistry reg;
};

TEST_F(WindowRulesTest, CornersPlaceFromTheScreenOrigin) {
  // A work area that does not start at the origin: only its size counts.
  sim.SetWorkArea(Rect{100, 40, 1100, 740});
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 10, 10});
  struct Case {
    const char* corner;
    int32_t x, y;
  } cases[] = {
      {texts::kCornerTopLeft, 0, 0},      {texts::kCornerTopRight, 200, 0}, {texts::kCornerBottomLeft, 0, 100},
      {texts::kCornerBottomRight, 200, 100}, {texts::kCornerCentre, 100, 50},
  };
  for (const Case& c : cases) {
    WindowRule rule = Rule(w, c.corner, 800, 600);
    ASSERT_TRUE(ComputePlacement(rule, wp())) << c.corner;
    EXPECT_TRUE(rule.ready);
    EXPECT_TRUE(rule.move);
    EXPECT_EQ(rule.x, c.x) << c.corner;
    EXPECT_EQ(rule.y, c.y) << c.corner;
  }
}

TEST_F(WindowRulesTest, CentringTruncatesAndGoesNegativeForLargeWindows) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 10, 10});
  WindowRule rule = Rule(w, texts::kCornerCentre, 801, 1001);
  ASSERT_TRUE(ComputePlacement(rule, wp()));
  EXPECT_EQ(rule.x, 99);    // 199 / 2
  EXPECT_EQ(rule.y, -150);  // -301 / 2 toward zero
}

TEST_F(WindowRulesTest, NoneClearsMoveAndUnknownCornerLeavesItAlone) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 10, 10});
  WindowRule none = Rule(w, texts::kCornerNone, 50, 50);
  none.move = true;
  ASSERT_TRUE(ComputePlacement(none, wp()));
  EXPECT_FALSE(none.move);

  WindowRule other = Rule(w, "中间", 50, 50);
  other.x = 7;
  ASSERT_TRUE(ComputePlacement(other, wp()));
  EXPECT_TRUE(other.ready);
  EXPECT_FALSE(other.move);
  EXPECT_EQ(other.x, 7);
}

TEST_F(WindowRulesTest, ZeroSizeTakesTheWindowsOwnSize) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{10, 20, 410, 320});
  WindowRule rule = Rule(w, texts::kCornerTopLeft, 0, 500);
  ASSERT_TRUE(ComputePlacement(rule, wp()));
  EXPECT_EQ(rule.width, 400);
  EXPECT_EQ(rule.height, 300);
}

TEST_F(WindowRulesTest, PlacementFailsForGoneWindowsAndNonPositiveSizes) {
  WindowRule gone = Rule(0x9999, texts::kCornerTopLeft, 10, 10);
  gone.ready = true;
  EXPECT_FALSE(ComputePlacement(gone, wp()));
  EXPECT_TRUE(gone.ready);  // left to the caller

  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 10, 10});
  WindowRule negative = Rule(w, texts::kCornerTopLeft, -5, 10);
  negative.ready = true;
  EXPECT_FALSE(ComputePlacement(negative, wp()));
  EXPECT_FALSE(negative.ready);

  const WindowHandle flat = sim.AddWindow("乙", "C", Rect{0, 0, 10, 0});
  WindowRule zero = Rule(flat, texts::kCornerTopLeft, 0, 0);
  EXPECT_FALSE(ComputePlacement(zero, wp()));
  EXPECT_FALSE(zero.ready);
}

TEST_F(WindowRulesTest, WindowTextIsTriedAsTitleThenAsClass) {
  const WindowHandle by_class = sim.AddWindow("无题", "Notepad", Rect{});
  const WindowHandle by_title = sim.AddWindow("Notepad", "Other", Rect{});
  EXPECT_EQ(FindRuleWindow("Notepad", wp()), by_title);
  sim.CloseWindow(by_title);
  EXPECT_EQ(FindRuleWindow("Notepad", wp()), by_class);
  EXPECT_EQ(FindRuleWindow("没有", wp()), 0u);
}

TEST_F(WindowRulesTest, ScriptFunctionDeclaresARuleAndFindsTheWindowAtOnce) {
  const WindowHandle w = sim.AddWindow("记事本", "Notepad", Rect{0, 0, 300, 200});
  const std::string error = RunScript(
      "窗口操作(\"窗口1\",\"Notepad\",\"居中\",\"置顶\",800.9,\"高\",0.5)\r\n"
      "窗口操作(\"窗口2\",\"没有\",\"左上角\",\"不置顶\",10,10,2)\r\n");
  ASSERT_EQ(error, "");
  ASSERT_EQ(reg.window_rules.Length(), 2);
  const WindowRule& found = *reg.window_rules.Get(0);
  EXPECT_EQ(found.name, "窗口1");
  EXPECT_EQ(found.window.Load(), w);
  EXPECT_TRUE(found.topmost);
  // Height was no number, so both come from the window.
  EXPECT_EQ(found.width, 300);
  EXPECT_EQ(found.height, 200);
  EXPECT_TRUE(found.ready);
  EXPECT_TRUE(found.move);
  EXPECT_EQ(found.x, 350);
  EXPECT_EQ(found.interval, 500);
  EXPECT_EQ(found.next_check, 0u);

  const WindowRule& missing = *reg.window_rules.Get(1);
  EXPECT_EQ(missing.window.Load(), 0u);
  EXPECT_FALSE(missing.ready);
  EXPECT_FALSE(missing.topmost);
  EXPECT_EQ(missing.width, 10);
  EXPECT_EQ(missing.interval, 2000);
}

TEST_F(WindowRulesTest, ScriptFunctionNeedsItsFourTexts) {
  EXPECT_NE(RunScript("窗口操作(\"a\",\"b\",\"无\",\"置顶\",1,1,1)\n窗口操作(\"a\",\"b\",\"无\")"), "");
  EXPECT_EQ(reg.window_rules.Length(), 1);  // the first call's rule stays
  EXPECT_NE(RunScript("窗口操作(\"a\",{},\"无\",\"置顶\")"), "");
  EXPECT_EQ(reg.window_rules.Length(), 1);
  // Embedded zero bytes are part of the text.
  EXPECT_EQ(RunScript("窗口操作(\"a\\0b\",\"b\",\"无\",\"置顶\")"), "");
  EXPECT_EQ(reg.window_rules.Get(1)->name, std::string("a\0b", 3));
  EXPECT_EQ(reg.window_rules.Get(1)->interval, 0);
}

TEST_F(WindowRulesTest, NoneWithTopmostOnlyPinsTheWindow) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{5, 5, 105, 105});
  WindowRule rule = Rule(w, texts::kCornerNone, 0, 0);
  rule.topmost = true;
  ComputePlacement(rule, wp());
  reg.window_rules.Append(rule);
  EXPECT_TRUE(RunKeeperPass(1000, reg, p()));
  EXPECT_TRUE(sim.Window(w).topmost);
  EXPECT_EQ(sim.Window(w).moves, 0);
  EXPECT_EQ(sim.Window(w).rect, (Rect{5, 5, 105, 105}));

  ReleaseTopmostWindows(reg, wp());
  EXPECT_FALSE(sim.Window(w).topmost);
}

TEST_F(WindowRulesTest, KeeperPutsAMovedWindowBackAtEachInterval) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 100, 100});
  WindowRule rule = Rule(w, texts::kCornerBottomRight, 200, 100);
  rule.interval = 500;
  ComputePlacement(rule, wp());
  reg.window_rules.Append(rule);

  RunKeeperPass(1000, reg, p());
  EXPECT_EQ(sim.Window(w).rect, (Rect{800, 600, 1000, 700}));
  EXPECT_EQ(reg.window_rules.Get(0)->next_check, 1500u);

  sim.AddWindow("unrelated", "X", Rect{});
  RunKeeperPass(1400, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 1);
  RunKeeperPass(1500, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 2);
  EXPECT_FALSE(sim.Window(w).topmost);  // not asked for
}

TEST_F(WindowRulesTest, KeeperFindsAReopenedWindowAndGivesItTheFirstSize) {
  const WindowHandle first = sim.AddWindow("游戏", "G", Rect{0, 0, 640, 480});
  WindowRule rule;
  rule.window_text = "游戏";
  rule.corner = texts::kCornerTopLeft;
  rule.topmost = true;
  rule.interval = 100;
  rule.window.Store(FindRuleWindow(rule.window_text, wp()));
  rule.ready = ComputePlacement(rule, wp());
  reg.window_rules.Append(rule);
  RunKeeperPass(1000, reg, p());
  EXPECT_EQ(sim.Window(first).moves, 1);

  // Closed: the rule waits and keeps looking.
  sim.CloseWindow(first);
  RunKeeperPass(1100, reg, p());
  EXPECT_EQ(reg.window_rules.Get(0)->window.Load(), 0u);
  EXPECT_EQ(reg.window_rules.Get(0)->next_check, 1200u);
  RunKeeperPass(1200, reg, p());

  // Reopened at another size: placed at the next check with the first size.
  const WindowHandle second = sim.AddWindow("游戏", "G", Rect{300, 300, 1100, 900});
  RunKeeperPass(1250, reg, p());
  EXPECT_EQ(sim.Window(second).moves, 0);
  RunKeeperPass(1300, reg, p());
  EXPECT_EQ(reg.window_rules.Get(0)->window.Load(), second);
  EXPECT_EQ(sim.Window(second).rect, (Rect{0, 0, 640, 480}));
  EXPECT_TRUE(sim.Window(second).topmost);
}

TEST_F(WindowRulesTest, RuleThatNeverBecomesReadyIsNeverApplied) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 100, 100});
  WindowRule rule = Rule(w, texts::kCornerTopLeft, -1, 50);
  rule.window_text = "甲";
  rule.topmost = true;
  reg.window_rules.Append(rule);
  for (uint32_t now = 1000; now < 2000; now += 100) RunKeeperPass(now, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 0);
  EXPECT_FALSE(sim.Window(w).topmost);
}

TEST_F(WindowRulesTest, KeeperDueTestSurvivesTheTickWrap) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 100, 100});
  WindowRule rule = Rule(w, texts::kCornerTopLeft, 100, 100);
  rule.interval = 0x200;
  ComputePlacement(rule, wp());
  reg.window_rules.Append(rule);
  RunKeeperPass(0xFFFFFF00u, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 1);
  RunKeeperPass(0xFFFFFFF0u, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 1);
  RunKeeperPass(0x100u, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 2);
}

TEST_F(WindowRulesTest, KeeperStopsWithTheFlag) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 100, 100});
  WindowRule rule = Rule(w, texts::kCornerTopLeft, 100, 100);
  rule.topmost = true;
  ComputePlacement(rule, wp());
  reg.window_rules.Append(rule);
  reg.run_flag.Clear();
  EXPECT_FALSE(RunKeeperPass(1000, reg, p()));
  EXPECT_EQ(sim.Window(w).moves, 0);
  EXPECT_FALSE(sim.Window(w).topmost);
}

TEST_F(WindowRulesTest, KeeperThreadAppliesEveryHundredMilliseconds) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 100, 100});
  WindowRule rule = Rule(w, texts::kCornerTopLeft, 100, 100);
  rule.interval = 0;
  ComputePlacement(rule, wp());
  reg.window_rules.Append(rule);
  const uint32_t start = sim.Tick();
  std::thread keeper([&] { RunWindowKeeper(reg, p()); });
  while (sim.Window(w).moves < 3) std::this_thread::yield();
  reg.run_flag.Clear();
  keeper.join();
  const int moves = sim.Window(w).moves;
  // The virtual clock advanced by whole 100 ms passes only.
  EXPECT_EQ((sim.Tick() - start) % 100u, 0u);
  EXPECT_GE(sim.Tick() - start, 100u * static_cast<uint32_t>(moves - 1));
}

TEST_F(WindowRulesTest, ReleaseLeavesRulesWithoutTopmostAlone) {
  const WindowHandle pinned = sim.AddWindow("甲", "C", Rect{});
  const WindowHandle other = sim.AddWindow("乙", "C", Rect{});
  WindowRule a = Rule(pinned, texts::kCornerNone, 1, 1);
  a.topmost = true;
  WindowRule b = Rule(other, texts::kCornerNone, 1, 1);
  WindowRule none = Rule(0, texts::kCornerNone, 1, 1);
  none.topmost = true;
  reg.window_rules.Append(a);
  reg.window_rules.Append(b);
  reg.window_rules.Append(none);
  RunKeeperPass(1000, reg, p());
  // The user pinned the other window himself; a stop must not undo that.
  sim.platform().windows.SetTopmost(other, true);
  ReleaseTopmostWindows(reg, wp());
  EXPECT_FALSE(sim.Window(pinned).topmost);
  EXPECT_TRUE(sim.Window(other).topmost);
}

}  // namespace
}  // namespace tora
