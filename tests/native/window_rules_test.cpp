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

  WindowRule Rule(WindowHandle window, const std::string& corner, int32_t w, int32_t h, int32_t interval = 0) {
    WindowRule rule;
    rule.corner = corner;
    rule.width = w;
    rule.height = h;
    rule.interval = interval;
    rule.window.Store(window);
    return rule;
  }
  // Appends the rule as 窗口操作 leaves it once its window was found.
  void AddReady(WindowRule rule) {
    rule.ready = ComputePlacement(rule, wp());
    reg.window_rules.Append(std::move(rule));
  }
  WindowRule& R(int32_t id) { return *reg.window_rules.Get(id); }

  // Runs GBK script text with 窗口操作 registered; the error text or "".
  std::string RunScript(const std::string& text) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    ScriptContext context{reg, sim.platform(), nullptr, nullptr, ""};
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
  sim.SetWorkArea(Rect{100, 40, 1100, 740});  // only the work area's size counts
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 10, 10});
  const struct {
    const char* corner;
    int32_t w, h, x, y;
  } cases[] = {
      {texts::kCornerTopLeft, 800, 600, 0, 0},        {texts::kCornerTopRight, 800, 600, 200, 0},
      {texts::kCornerBottomLeft, 800, 600, 0, 100},   {texts::kCornerBottomRight, 800, 600, 200, 100},
      {texts::kCornerCentre, 800, 600, 100, 50},      {texts::kCornerCentre, 801, 1001, 99, -150},
  };
  for (const auto& c : cases) {
    WindowRule rule = Rule(w, c.corner, c.w, c.h);
    ASSERT_TRUE(ComputePlacement(rule, wp())) << c.corner;
    EXPECT_TRUE(rule.ready && rule.move);
    EXPECT_EQ(rule.x, c.x) << c.corner << c.w;
    EXPECT_EQ(rule.y, c.y) << c.corner << c.w;
  }
}

TEST_F(WindowRulesTest, NoneClearsMoveAndUnknownCornerLeavesItAlone) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{10, 20, 410, 320});
  WindowRule none = Rule(w, texts::kCornerNone, 0, 500);
  none.move = true;
  ASSERT_TRUE(ComputePlacement(none, wp()));
  EXPECT_FALSE(none.move);
  // One zero dimension replaces both by the window's own size.
  EXPECT_EQ(none.width, 400);
  EXPECT_EQ(none.height, 300);

  WindowRule other = Rule(w, "中间", 50, 50);
  other.x = 7;
  ASSERT_TRUE(ComputePlacement(other, wp()));
  EXPECT_TRUE(other.ready);
  EXPECT_FALSE(other.move);
  EXPECT_EQ(other.x, 7);
}

TEST_F(WindowRulesTest, PlacementFailsForGoneWindowsAndNonPositiveSizes) {
  WindowRule gone = Rule(0x9999, texts::kCornerTopLeft, 10, 10);
  gone.ready = true;
  EXPECT_FALSE(ComputePlacement(gone, wp()));
  EXPECT_TRUE(gone.ready);  // left to the caller

  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 10, 10});
  const WindowHandle flat = sim.AddWindow("乙", "C", Rect{0, 0, 10, 0});
  for (WindowRule rule : {Rule(w, texts::kCornerTopLeft, -5, 10), Rule(flat, texts::kCornerTopLeft, 0, 0)}) {
    rule.ready = true;
    EXPECT_FALSE(ComputePlacement(rule, wp()));
    EXPECT_FALSE(rule.ready);
  }
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
  ASSERT_EQ(RunScript("窗口操作(\"窗口1\",\"Notepad\",\"居中\",\"置顶\",800.9,\"高\",0.5)\r\n"
                      "窗口操作(\"窗口2\",\"没有\",\"左上角\",\"不置顶\",-10.7,10,2)\r\n"),
            "");
  ASSERT_EQ(reg.window_rules.Length(), 2);
  const WindowRule& found = R(0);
  EXPECT_EQ(found.name, "窗口1");
  EXPECT_EQ(found.window.Load(), w);
  EXPECT_TRUE(found.topmost);
  // The height was no number, so both come from the window.
  EXPECT_EQ(found.width, 300);
  EXPECT_EQ(found.height, 200);
  EXPECT_TRUE(found.ready && found.move);
  EXPECT_EQ(found.x, 350);
  EXPECT_EQ(found.interval, 500);

  const WindowRule& missing = R(1);
  EXPECT_EQ(missing.window.Load(), 0u);
  EXPECT_FALSE(missing.ready || missing.topmost);
  EXPECT_EQ(missing.width, -10);
  EXPECT_EQ(missing.interval, 2000);
}

TEST_F(WindowRulesTest, ScriptFunctionNeedsItsFourTexts) {
  EXPECT_NE(RunScript("窗口操作(\"a\",\"b\",\"无\",\"置顶\",1,1,1)\n窗口操作(\"a\",\"b\",\"无\")"), "");
  EXPECT_NE(RunScript("窗口操作(\"a\",{},\"无\",\"置顶\")"), "");
  EXPECT_EQ(reg.window_rules.Length(), 1);  // the first call's rule stays
  EXPECT_EQ(RunScript("窗口操作(\"a\\0b\",\"b\",\"无\",\"置顶\")"), "");
  EXPECT_EQ(R(1).name, std::string("a\0b", 3));
}

TEST_F(WindowRulesTest, NoneWithTopmostOnlyPinsAndStopReleasesOnlyPinnedRules) {
  const WindowHandle pinned = sim.AddWindow("甲", "C", Rect{5, 5, 105, 105});
  const WindowHandle other = sim.AddWindow("乙", "C", Rect{});
  WindowRule a = Rule(pinned, texts::kCornerNone, 0, 0);
  a.topmost = true;
  AddReady(a);
  AddReady(Rule(other, texts::kCornerNone, 1, 1));
  WindowRule never_found = Rule(0, texts::kCornerNone, 1, 1);
  never_found.topmost = true;
  reg.window_rules.Append(never_found);

  EXPECT_TRUE(RunKeeperPass(1000, reg, p()));
  EXPECT_TRUE(sim.Window(pinned).topmost);
  EXPECT_EQ(sim.Window(pinned).moves, 0);
  EXPECT_EQ(sim.Window(pinned).rect, (Rect{5, 5, 105, 105}));

  wp().SetTopmost(other, true);  // pinned by the user: a stop leaves it
  ReleaseTopmostWindows(reg, wp());
  EXPECT_FALSE(sim.Window(pinned).topmost);
  EXPECT_TRUE(sim.Window(other).topmost);
}

TEST_F(WindowRulesTest, KeeperPutsAMovedWindowBackAtEachInterval) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 100, 100});
  AddReady(Rule(w, texts::kCornerBottomRight, 200, 100, 500));
  RunKeeperPass(1000, reg, p());
  EXPECT_EQ(sim.Window(w).rect, (Rect{800, 600, 1000, 700}));
  RunKeeperPass(1400, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 1);
  RunKeeperPass(1500, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 2);
  EXPECT_FALSE(sim.Window(w).topmost);  // not asked for
}

TEST_F(WindowRulesTest, KeeperFindsAReopenedWindowAndGivesItTheFirstSize) {
  const WindowHandle first = sim.AddWindow("游戏", "G", Rect{0, 0, 640, 480});
  WindowRule rule = Rule(first, texts::kCornerTopLeft, 0, 0, 100);
  rule.window_text = "游戏";
  rule.topmost = true;
  AddReady(rule);
  RunKeeperPass(1000, reg, p());
  EXPECT_EQ(sim.Window(first).moves, 1);

  // Closed: the rule keeps looking at its interval.
  sim.CloseWindow(first);
  RunKeeperPass(1100, reg, p());
  EXPECT_EQ(R(0).window.Load(), 0u);
  EXPECT_EQ(R(0).next_check, 1200u);

  // Reopened at another size: placed at the next check, with the first size.
  const WindowHandle second = sim.AddWindow("游戏", "G", Rect{300, 300, 1100, 900});
  RunKeeperPass(1150, reg, p());
  EXPECT_EQ(sim.Window(second).moves, 0);
  RunKeeperPass(1200, reg, p());
  EXPECT_EQ(R(0).window.Load(), second);
  EXPECT_EQ(sim.Window(second).rect, (Rect{0, 0, 640, 480}));
  EXPECT_TRUE(sim.Window(second).topmost);
}

TEST_F(WindowRulesTest, RuleThatNeverBecomesReadyIsNeverApplied) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 100, 100});
  WindowRule rule = Rule(w, texts::kCornerTopLeft, -1, 50);
  rule.window_text = "甲";
  rule.topmost = true;
  AddReady(rule);
  for (uint32_t now = 1000; now < 2000; now += 100) RunKeeperPass(now, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 0);
  EXPECT_FALSE(sim.Window(w).topmost);
}

TEST_F(WindowRulesTest, KeeperDueTestSurvivesTheTickWrapAndStopsWithTheFlag) {
  const WindowHandle w = sim.AddWindow("甲", "C", Rect{0, 0, 100, 100});
  AddReady(Rule(w, texts::kCornerTopLeft, 100, 100, 0x200));
  RunKeeperPass(0xFFFFFF00u, reg, p());
  RunKeeperPass(0xFFFFFFF0u, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 1);
  RunKeeperPass(0x100u, reg, p());
  EXPECT_EQ(sim.Window(w).moves, 2);
  reg.run_flag.Clear();
  EXPECT_FALSE(RunKeeperPass(0x300u, reg, p()));
  EXPECT_EQ(sim.Window(w).moves, 2);
}

}  // namespace
}  // namespace tora
