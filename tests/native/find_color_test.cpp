// 找颜色点条件 and 找颜色点动作 as a script calls them.
#include <gtest/gtest.h>

#include <cmath>
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

  // Runs the script (a GBK literal, kPoints first); false on a script error.
  bool Run(const std::string& script) {
    const std::string text = kPoints + script;
    if (luaL_loadbufferx(L, text.data(), text.size(), "test", "t") == LUA_OK && lua_pcall(L, 0, 0, 0) == LUA_OK)
      return true;
    error = lua_isstring(L, -1) ? lua_tostring(L, -1) : "?";
    lua_pop(L, 1);
    return false;
  }
  const ScreenCondition& Cond(int id) { return *registry.screen_conditions.Get(id); }

  static constexpr const char* kPoints =
      "颜色点列表_甲={\r\n{50,100,\"==\",0xff},\r\n{51.9,-2.7,\"!=\",0x00FF00},\r\n"
      "{3,4,\"~=\",0x123456},\r\n{5,6,\"!~\",0xFFFFFFFF},\r\n{1,2,\"= \",1},\r\n}\r\n";
  SimPlatform sim;
  ActionRegistry registry;
  ScriptContext context{registry, sim.platform(), nullptr, nullptr, ""};
  lua_State* L = nullptr;
  std::string error;
};

TEST_F(FindColorTest, PointRowsAreReadInOrderAndTruncated) {
  ASSERT_TRUE(Run("找颜色点条件(\"甲\",\"颜色点列表_甲\",\"固定\",12.9)\r\n")) << error;
  const ScreenCondition& c = Cond(0);
  EXPECT_EQ(c.name, "甲");
  EXPECT_FALSE(c.search_in_rect);
  EXPECT_FALSE(c.points_are_offsets);
  EXPECT_EQ(c.tolerance, 12);
  ASSERT_EQ(c.points.size(), 5u);
  EXPECT_EQ((Point{c.points[0].x, c.points[0].y}), (Point{50, 100}));
  EXPECT_EQ((Point{c.points[1].x, c.points[1].y}), (Point{51, -2}));
  const int32_t ops[] = {kOpEqual, kOpNotEqual, kOpNear, kOpNotNear, kOpNone};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(c.points[i].op, ops[i]) << i;
  EXPECT_EQ(c.points[0].colour, 0xFFu);
  EXPECT_EQ(c.points[3].colour, 0xFFFFFFFFu);  // all 32 bits kept
  EXPECT_EQ(ColourFromNumber(-1), 0xFFFFFFFFu);
  EXPECT_EQ(ColourFromNumber(std::nan("")), 0u);
  EXPECT_EQ(ColourFromNumber(1e300), 0u);
}

TEST_F(FindColorTest, ModesRangesAndTolerance) {
  ASSERT_TRUE(Run("找颜色点条件(\"a\",\"颜色点列表_甲\",\"活动\",\"0,0,800,600\",40)\r\n"
                  "找颜色点条件(\"b\",\"颜色点列表_甲\",\"活动\",\"全屏\")\r\n"
                  "找颜色点条件(\"c\",\"颜色点列表_甲\",\"活动\",\" 7,-8,9x,\",\"15\")\r\n"
                  "找颜色点条件(\"d\",\"颜色点列表_甲\",\"活动\",\"1,2,3\",5)\r\n"
                  "找颜色点条件(\"e\",\"颜色点列表_甲\",\"随便\",\"0,0,10,10\")\r\n"
                  "找颜色点条件(\"f\",\"颜色点列表_甲\",nil,7)\r\n"
                  "找颜色点条件(\"g\",\"颜色点列表_甲\",3,7)\r\n"))
      << error;
  ASSERT_EQ(registry.screen_conditions.Length(), 7);
  EXPECT_EQ(Cond(0).rect, (Rect{0, 0, 800, 600}));
  EXPECT_EQ(Cond(0).tolerance, 40);
  EXPECT_EQ(Cond(1).rect, (Rect{0, 0, 1280, 720}));
  EXPECT_EQ(Cond(1).tolerance, kDefaultTolerance);
  EXPECT_EQ(Cond(2).rect, (Rect{7, -8, 9, 0}));  // leading-number parse
  EXPECT_EQ(Cond(2).tolerance, 15);              // a numeric string counts
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Cond(i).search_in_rect) << i;
  // Not four fields, or another mode: fixed points.
  for (int i = 3; i < 7; ++i) EXPECT_FALSE(Cond(i).search_in_rect) << i;
  EXPECT_EQ(Cond(3).tolerance, 5);
  EXPECT_EQ(Cond(4).tolerance, kDefaultTolerance);
  EXPECT_EQ(Cond(5).tolerance, kDefaultTolerance);  // no mode text: nothing more is read
  EXPECT_EQ(Cond(6).tolerance, 7);
}

TEST_F(FindColorTest, ErrorsStopTheScriptAndAppendNothingOfTheCall) {
  const char* calls[] = {
      "找颜色点条件()",
      "找颜色点条件(\"x\",{})",
      "找颜色点条件(\"x\",\"没有这个表\")",
      "空表={} 找颜色点条件(\"x\",\"空表\")",
      "坏表={5} 找颜色点条件(\"x\",\"坏表\")",
      "坏行={{1,2,\"==\",3},{1,2,nil,3}} 找颜色点条件(\"x\",\"坏行\")",
      "找颜色点条件(\"x\",\"颜色点列表_甲\",\"活动\")",
      "找颜色点动作(\"x\",\"颜色点列表_甲\",nil,\"活动\",{})",
      "找颜色点动作(\"x\",\"颜色点列表_甲\",\"没有这个表\")",
      // Indexing a string answers the lookup, but it has no rows to walk.
      "getmetatable(\"\").__index=function() return {} end 串=\"串\" 找颜色点条件(\"x\",\"串\")",
  };
  for (const char* call : calls) {
    registry.EmptyAll();
    EXPECT_FALSE(Run(std::string("找颜色点条件(\"ok\",\"颜色点列表_甲\")\r\n") + call +
                     "\r\n找颜色点条件(\"after\",\"颜色点列表_甲\")\r\n"))
        << call;
    EXPECT_EQ(registry.screen_conditions.Length(), 1) << call;
    EXPECT_EQ(registry.action_lists.Length() + registry.branch_actions.Length(), 0) << call;
  }
}

TEST_F(FindColorTest, ActionRecordsNameTheirOwnConditionAndList) {
  registry.action_lists.Append(ActionList{0, {}});
  ASSERT_TRUE(Run("找颜色点条件(\"first\",\"颜色点列表_甲\")\r\n"
                  "找颜色点动作(\"乙\",\"颜色点列表_甲\",nil,\"活动\",\"0,0,800,600\",20)\r\n"
                  "找颜色点动作(\"丙\",\"颜色点列表_甲\",nil,\"固定\",9)\r\n"))
      << error;
  ASSERT_EQ(registry.branch_actions.Length(), 2);
  const BranchAction& b = *registry.branch_actions.Get(0);
  EXPECT_EQ(b.name, "乙");
  EXPECT_EQ(b.condition_id, 1);
  EXPECT_EQ(b.action_list_id, 1);
  EXPECT_EQ(registry.action_lists.Get(1)->id, 1);
  EXPECT_EQ(Cond(1).name, "乙");
  EXPECT_EQ(Cond(1).rect, (Rect{0, 0, 800, 600}));
  EXPECT_EQ(Cond(1).tolerance, 20);
  EXPECT_EQ(registry.branch_actions.Get(1)->condition_id, 2);
  EXPECT_EQ(registry.branch_actions.Get(1)->action_list_id, 2);
  EXPECT_FALSE(Cond(2).search_in_rect);
  EXPECT_EQ(Cond(2).tolerance, 9);
}

// A metamethod that declares another find action while the action table is
// read must not leave the outer branch pointing at the inner call's records;
// and a point table name holding a NUL byte is looked up whole.
TEST_F(FindColorTest, AFindActionInsideTheTableReadKeepsIdsRight) {
  ASSERT_TRUE(Run("外动作 = setmetatable({[2] = {\"按键\",\"B,0\"}}, {__index = function()\r\n"
                  "  找颜色点动作(\"内\",\"颜色点列表_甲\",nil,\"固定\",1) return {\"x\",\"y\"} end})\r\n"
                  "找颜色点动作(\"外\",\"颜色点列表_甲\",\"外动作\",\"固定\",2)\r\n"
                  "_G[\"a\\0b\"] = {{7,8,\"==\",9}}\r\n"
                  "找颜色点条件(\"零\",\"a\\0b\")\r\n"))
      << error;
  ASSERT_EQ(registry.branch_actions.Length(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    const BranchAction& b = *registry.branch_actions.Get(i);
    EXPECT_EQ(Cond(b.condition_id).name, b.name);
    EXPECT_EQ(registry.action_lists.Get(b.action_list_id)->id, b.action_list_id);
  }
  EXPECT_EQ(registry.branch_actions.Get(1)->name, "外");
  EXPECT_EQ(Cond(registry.branch_actions.Get(1)->condition_id).tolerance, 2);
  ASSERT_EQ(Cond(2).points.size(), 1u);
  EXPECT_EQ(Cond(2).points[0].x, 7);
}

TEST_F(FindColorTest, ActionTableTakesKeyMouseAndBranchRowsOnly) {
  ASSERT_TRUE(Run("动作列表_a={{\"按键\",\"A,1\"}}\r\n"
                  "找颜色点动作(\"a\",\"颜色点列表_甲\",\"动作列表_a\",\"固定\")\r\n"
                  "动作列表_b={\r\n{\"粘贴文字\",\"你好,1\"},\r\n{\"刷新网址\",\"http://x,1\"},\r\n"
                  "{\"左键单击\",\"5,6,绝对,0.5\"},\r\n{\"找颜色点动作\",\"a\"},\r\n{\"找颜色点动作\",\"b\"},\r\n"
                  "{\"按键\",\"B,0\"},\r\n}\r\n"
                  "找颜色点动作(\"b\",\"颜色点列表_甲\",\"动作列表_b\",\"固定\")\r\n"))
      << error;
  EXPECT_TRUE(registry.paste_text_steps.Empty());
  EXPECT_TRUE(registry.open_url_steps.Empty());
  // The branch row naming the action being declared finds nothing yet.
  const ActionList& b = *registry.action_lists.Get(1);
  ASSERT_EQ(b.steps.size(), 3u);
  EXPECT_EQ(b.steps[0].type, StepType::Mouse);
  EXPECT_EQ(b.steps[1].type, StepType::Branch);
  EXPECT_EQ(b.steps[1].id, 0);
  EXPECT_EQ(b.steps[2].type, StepType::Key);
  EXPECT_EQ(b.steps[2].id, 1);
}

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
}

}  // namespace
}  // namespace tora
