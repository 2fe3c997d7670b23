// 找颜色点条件 and 找颜色点动作 as a script calls them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "engine/script_context.h"
#include "engine/texts.h"
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
#include "platform/sim/sim_platform.h"
#include "vision/color_test.h"
#include "vision/find_color.h"

namespace tora {
namespace {

class FindColorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim.SetScreenSize(1280, 720, 0);
    L = luaL_newstate();
    luaL_openlibs(L);
    SetScriptContext(L, &context);
    lua_pushcclosure(L, &LuaFindColorCondition, 0);
    lua_setglobal(L, texts::kFnFindColorCondition);
    lua_pushcclosure(L, &LuaFindColorAction, 0);
    lua_setglobal(L, texts::kFnFindColorAction);
  }
  void TearDown() override { lua_close(L); }

  // Runs the script (GBK literal); returns whether it ended without error.
  bool Run(const std::string& script) {
    if (luaL_loadbufferx(L, script.data(), script.size(), "test", "t") != LUA_OK) {
      error = lua_tostring(L, -1);
      lua_pop(L, 1);
      return false;
    }
    if (lua_pcall(L, 0, 0, 0) != LUA_OK) {
      error = lua_isstring(L, -1) ? lua_tostring(L, -1) : "?";
      lua_pop(L, 1);
      return false;
    }
    return true;
  }

  const ScreenCondition& Cond(int id) { return *registry.screen_conditions.Get(id); }

  SimPlatform sim;
  ActionRegistry registry;
  ScriptContext context{registry, sim.platform(), nullptr};
  lua_State* L = nullptr;
  std::string error;
};

const char* kPoints =
    "颜色点列表_甲={\r\n{50,100,\"==\",0xff},\r\n{51.9,-2.7,\"!=\",0x00FF00},\r\n"
    "{3,4,\"~=\",0x123456},\r\n{5,6,\"!~\",16},\r\n}\r\n";

TEST_F(FindColorTest, FixedConditionReadsRowsInOrder) {
  ASSERT_TRUE(Run(std::string(kPoints) + "找颜色点条件(\"甲\",\"颜色点列表_甲\",\"固定\",12.9)\r\n")) << error;
  ASSERT_EQ(registry.screen_conditions.Length(), 1);
  const ScreenCondition& c = Cond(0);
  EXPECT_EQ(c.name, "甲");
  EXPECT_FALSE(c.search_in_rect);
  EXPECT_FALSE(c.points_are_offsets);
  EXPECT_EQ(c.tolerance, 12);
  ASSERT_EQ(c.points.size(), 4u);
  EXPECT_EQ(c.points[0].x, 50);
  EXPECT_EQ(c.points[0].y, 100);
  EXPECT_EQ(c.points[0].op, kOpEqual);
  EXPECT_EQ(c.points[0].colour, 0xFFu);
  // Truncated toward zero.
  EXPECT_EQ(c.points[1].x, 51);
  EXPECT_EQ(c.points[1].y, -2);
  EXPECT_EQ(c.points[1].op, kOpNotEqual);
  EXPECT_EQ(c.points[1].colour, 0x00FF00u);
  EXPECT_EQ(c.points[2].op, kOpNear);
  EXPECT_EQ(c.points[3].op, kOpNotNear);
  EXPECT_EQ(c.points[3].colour, 16u);
}

TEST_F(FindColorTest, RectangleRangesAndTolerance) {
  ASSERT_TRUE(Run(std::string(kPoints) +
                  "找颜色点条件(\"a\",\"颜色点列表_甲\",\"活动\",\"0,0,800,600\",40)\r\n"
                  "找颜色点条件(\"b\",\"颜色点列表_甲\",\"活动\",\"全屏\")\r\n"
                  "找颜色点条件(\"c\",\"颜色点列表_甲\",\"活动\",\" 7,-8,9x,\",\"15\")\r\n"
                  "找颜色点条件(\"d\",\"颜色点列表_甲\",\"活动\",\"1,2,3\",5)\r\n"
                  "找颜色点条件(\"e\",\"颜色点列表_甲\",\"活动\",\"1,2,3,4,5\",\"x\")\r\n"))
      << error;
  ASSERT_EQ(registry.screen_conditions.Length(), 5);
  EXPECT_TRUE(Cond(0).search_in_rect);
  EXPECT_EQ(Cond(0).rect, (Rect{0, 0, 800, 600}));
  EXPECT_EQ(Cond(0).tolerance, 40);
  EXPECT_TRUE(Cond(1).search_in_rect);
  EXPECT_EQ(Cond(1).rect, (Rect{0, 0, 1280, 720}));
  EXPECT_EQ(Cond(1).tolerance, kDefaultTolerance);
  // Leading-number parse; an empty last field reads 0. A numeric string
  // counts as a number for the tolerance.
  EXPECT_TRUE(Cond(2).search_in_rect);
  EXPECT_EQ(Cond(2).rect, (Rect{7, -8, 9, 0}));
  EXPECT_EQ(Cond(2).tolerance, 15);
  // Not four fields: fixed mode, the tolerance still counts.
  EXPECT_FALSE(Cond(3).search_in_rect);
  EXPECT_EQ(Cond(3).tolerance, 5);
  EXPECT_FALSE(Cond(4).search_in_rect);
  EXPECT_EQ(Cond(4).tolerance, kDefaultTolerance);
}

TEST_F(FindColorTest, ModeOtherThanRectOrAbsent) {
  ASSERT_TRUE(Run(std::string(kPoints) +
                  "找颜色点条件(\"a\",\"颜色点列表_甲\",\"随便\",\"0,0,10,10\")\r\n"
                  "找颜色点条件(\"b\",\"颜色点列表_甲\")\r\n"
                  "找颜色点条件(\"c\",\"颜色点列表_甲\",nil,7)\r\n"
                  "找颜色点条件(\"d\",\"颜色点列表_甲\",3,7)\r\n"))
      << error;
  ASSERT_EQ(registry.screen_conditions.Length(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(Cond(i).search_in_rect) << i;
  EXPECT_EQ(Cond(0).tolerance, kDefaultTolerance);
  EXPECT_EQ(Cond(1).tolerance, kDefaultTolerance);
  EXPECT_EQ(Cond(2).tolerance, kDefaultTolerance);  // no mode text: nothing more is read
  EXPECT_EQ(Cond(3).tolerance, 7);                  // a number is a mode text too
}

TEST_F(FindColorTest, ColoursAndUnknownOperators) {
  ASSERT_TRUE(Run("t={{1,2,\"==\",0xFFFFFFFF},{1,2,\"=\",1},{1,2,\"== \",1},{1,2,\"!~\",-1}}\r\n"
                  "找颜色点条件(\"a\",\"t\")\r\n"))
      << error;
  const ScreenCondition& c = Cond(0);
  ASSERT_EQ(c.points.size(), 4u);
  EXPECT_EQ(c.points[0].colour, 0xFFFFFFFFu);
  EXPECT_EQ(c.points[1].op, kOpNone);
  EXPECT_EQ(c.points[2].op, kOpNone);
  EXPECT_EQ(c.points[3].colour, 0xFFFFFFFFu);
  EXPECT_EQ(ColourFromNumber(std::nan("")), 0u);
  EXPECT_EQ(ColourFromNumber(1e300), 0u);
  EXPECT_EQ(ColourFromNumber(255.9), 255u);
}

TEST_F(FindColorTest, ErrorsStopTheScriptAndAppendNothingOfTheCall) {
  const std::string before = std::string(kPoints) + "找颜色点条件(\"ok\",\"颜色点列表_甲\")\r\n";
  struct Case {
    const char* call;
  } cases[] = {
      {"找颜色点条件()"},
      {"找颜色点条件(\"x\")"},
      {"找颜色点条件(\"x\",{})"},
      {"找颜色点条件(\"x\",\"没有这个表\")"},
      {"空表={} 找颜色点条件(\"x\",\"空表\")"},
      {"坏表={5} 找颜色点条件(\"x\",\"坏表\")"},
      {"坏行={{1,2,nil,3}} 找颜色点条件(\"x\",\"坏行\")"},
      {"坏行={{1,2,\"==\",3},{1,2,{},3}} 找颜色点条件(\"x\",\"坏行\")"},
      {"找颜色点条件(\"x\",\"颜色点列表_甲\",\"活动\")"},
      {"找颜色点条件(\"x\",\"颜色点列表_甲\",\"活动\",{})"},
      {"找颜色点动作(\"x\",\"颜色点列表_甲\",nil,\"活动\")"},
      {"找颜色点动作(\"x\",\"没有这个表\")"},
  };
  for (const Case& k : cases) {
    registry.EmptyAll();
    EXPECT_FALSE(Run(before + k.call + "\r\n找颜色点条件(\"after\",\"颜色点列表_甲\")\r\n")) << k.call;
    ASSERT_EQ(registry.screen_conditions.Length(), 1) << k.call;
    EXPECT_EQ(Cond(0).name, "ok");
    EXPECT_EQ(registry.action_lists.Length(), 0) << k.call;
    EXPECT_EQ(registry.branch_actions.Length(), 0) << k.call;
  }
}

TEST_F(FindColorTest, ActionAppendsConditionListAndBranchWithIdsFromTheStart) {
  registry.action_lists.Append(ActionList{0, {}});
  registry.action_lists.Append(ActionList{1, {}});
  ASSERT_TRUE(Run(std::string(kPoints) +
                  "找颜色点条件(\"first\",\"颜色点列表_甲\")\r\n"
                  "找颜色点动作(\"乙\",\"颜色点列表_甲\",nil,\"活动\",\"0,0,800,600\",20)\r\n"
                  "找颜色点动作(\"丙\",\"颜色点列表_甲\",nil,\"固定\",9)\r\n"
                  "找颜色点动作(\"丁\",\"颜色点列表_甲\",nil,\"活动\",\"全屏\",\"x\")\r\n"))
      << error;
  ASSERT_EQ(registry.screen_conditions.Length(), 4);
  ASSERT_EQ(registry.action_lists.Length(), 5);
  ASSERT_EQ(registry.branch_actions.Length(), 3);
  const BranchAction& b = *registry.branch_actions.Get(0);
  EXPECT_EQ(b.name, "乙");
  EXPECT_EQ(b.condition_id, 1);
  EXPECT_EQ(b.action_list_id, 2);
  EXPECT_EQ(registry.action_lists.Get(2)->id, 2);
  EXPECT_TRUE(registry.action_lists.Get(2)->steps.empty());
  EXPECT_EQ(Cond(1).name, "乙");
  EXPECT_TRUE(Cond(1).search_in_rect);
  EXPECT_EQ(Cond(1).rect, (Rect{0, 0, 800, 600}));
  EXPECT_EQ(Cond(1).tolerance, 20);
  EXPECT_EQ(registry.branch_actions.Get(1)->condition_id, 2);
  EXPECT_EQ(registry.branch_actions.Get(1)->action_list_id, 3);
  EXPECT_FALSE(Cond(2).search_in_rect);
  EXPECT_EQ(Cond(2).tolerance, 9);
  EXPECT_EQ(Cond(3).rect, (Rect{0, 0, 1280, 720}));
  EXPECT_EQ(Cond(3).tolerance, kDefaultTolerance);
}

TEST_F(FindColorTest, ActionTableTakesKeyMouseAndBranchRowsOnly) {
  ASSERT_TRUE(Run(std::string(kPoints) +
                  "动作列表_a={{\"按键\",\"A,1\"}}\r\n"
                  "找颜色点动作(\"a\",\"颜色点列表_甲\",\"动作列表_a\",\"固定\")\r\n"
                  "动作列表_b={\r\n{\"粘贴文字\",\"你好,1\"},\r\n{\"刷新网址\",\"http://x,1\"},\r\n"
                  "{\"左键单击\",\"5,6,绝对,0.5\"},\r\n{\"找颜色点动作\",\"a\"},\r\n{\"找颜色点动作\",\"b\"},\r\n"
                  "{\"按键\",\"B,0\"},\r\n}\r\n"
                  "找颜色点动作(\"b\",\"颜色点列表_甲\",\"动作列表_b\",\"固定\")\r\n"))
      << error;
  ASSERT_EQ(registry.action_lists.Length(), 2);
  EXPECT_TRUE(registry.paste_text_steps.Empty());
  EXPECT_TRUE(registry.open_url_steps.Empty());
  const ActionList& b = *registry.action_lists.Get(1);
  // The branch row naming the action being declared finds nothing yet.
  ASSERT_EQ(b.steps.size(), 3u);
  EXPECT_EQ(b.steps[0].type, StepType::Mouse);
  EXPECT_EQ(b.steps[1].type, StepType::Branch);
  EXPECT_EQ(b.steps[1].id, 0);
  EXPECT_EQ(b.steps[2].type, StepType::Key);
  EXPECT_EQ(b.steps[2].id, 1);
  // A missing action table stops the script like a missing point table.
  EXPECT_FALSE(Run(std::string(kPoints) + "找颜色点动作(\"c\",\"颜色点列表_甲\",\"没有\",\"固定\")\r\n"));
  EXPECT_EQ(registry.branch_actions.Length(), 2);
}

// A condition declared by a script is found on the screen where it stands.
TEST_F(FindColorTest, DeclaredConditionIsFoundOnTheScreen) {
  Frame f;
  f.Resize(1280, 720, 0x101010);
  f.Set(700, 300, 0x0000C0);
  f.Set(705, 290, 0xFFFFFF);
  f.Set(640, 100, 0x0000C0);  // the first colour alone, not the pattern
  sim.SetScreen(f);
  ASSERT_TRUE(Run("表={{10,20,\"~=\",0x0000B0},{15,10,\"==\",0xFFFFFF},{12,20,\"!=\",0}}\r\n"
                  "找颜色点条件(\"a\",\"表\",\"活动\",\"全屏\",20)\r\n"))
      << error;
  RunFlag flag;
  flag.Set();
  Point found;
  ASSERT_TRUE(ColorTest(*registry.screen_conditions.Get(0), sim.platform(), flag, found));
  EXPECT_EQ(found, (Point{700, 300}));
  EXPECT_EQ(registry.screen_conditions.Get(0)->found_point.Load(), (Point{700, 300}));
}

}  // namespace
}  // namespace tora
