// 找图像动作 and 找图像条件 called from scripts: what they register, and
// what they refuse.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/script_context.h"
#include "engine/script_warnings.h"
#include "engine/texts.h"
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
#include "platform/sim/sim_platform.h"
#include "engine/text_util.h"
#include "tests/native/bmp_builder.h"
#include "vision/bmp.h"
#include "vision/color_test.h"

namespace tora {

// The largest heap block this thread asks for between the two calls
// (allocation_counter.cpp replaces the global operator new).
namespace test {
void StartCountingAllocations();
size_t StopCountingAllocations();
}  // namespace test

namespace {

using test::BuildBmp24;
using test::PositionColour;

class FindImageTest : public ::testing::Test {
 protected:
  FindImageTest() : context_{registry_, sim_.platform(), nullptr, &warnings_, ""} {
    std::string pattern = "/tmp/tora_find_image_XXXXXX";
    dir_ = mkdtemp(&pattern[0]) ? pattern : std::string();
    L_ = luaL_newstate();
    luaL_openlibs(L_);
    SetScriptContext(L_, &context_);
    lua_register(L_, texts::kFnFindImageAction, LuaFindImageAction);
    lua_register(L_, texts::kFnFindImageCondition, LuaFindImageCondition);
    sim_.SetScreenSize(1024, 768);
    SetThinningRandState(1);
  }
  ~FindImageTest() override {
    lua_close(L_);
    if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  // Writes a picture and returns its path.
  std::string Picture(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(test::WriteFile(path, bytes));
    return path;
  }

  // Runs a GBK chunk; the error message, or "" when it ran through.
  std::string Run(const std::string& script) {
    if (luaL_loadstring(L_, script.c_str()) != LUA_OK || lua_pcall(L_, 0, 0, 0) != LUA_OK) {
      std::string message = lua_tostring(L_, -1) ? lua_tostring(L_, -1) : "(no message)";
      lua_settop(L_, 0);
      return message;
    }
    return "";
  }

  bool GlobalIsTrue(const char* name) {
    lua_getglobal(L_, name);
    const bool value = lua_toboolean(L_, -1) != 0;
    lua_pop(L_, 1);
    return value;
  }

  size_t RecordCount() {
    return registry_.screen_conditions.Items().size() + registry_.action_lists.Items().size() +
           registry_.branch_actions.Items().size();
  }

  SimPlatform sim_;
  ActionRegistry registry_;
  ScriptWarnings warnings_;
  ScriptContext context_;
  lua_State* L_ = nullptr;
  std::string dir_;
};

TEST_F(FindImageTest, ConditionInARectangleHoldsEverySampleAsAnOffset) {
  const std::string path = Picture("a.bmp", BuildBmp24(3, 2, PositionColour));
  ASSERT_EQ(Run("找图像条件(\"甲\",\"活动\",\"0,0,800,600\",0,\"" + path + "\")"), "");
  ASSERT_EQ(registry_.screen_conditions.Length(), 1);
  const ScreenCondition& c = *registry_.screen_conditions.Get(0);
  EXPECT_EQ(c.name, "甲");
  EXPECT_TRUE(c.search_in_rect);
  EXPECT_TRUE(c.points_are_offsets);
  EXPECT_EQ(c.rect, (Rect{0, 0, 800, 600}));
  ASSERT_EQ(c.points.size(), 6u);
  EXPECT_EQ(c.points[5].x, 2);
  EXPECT_EQ(c.points[5].y, 1);
  EXPECT_EQ(c.points[5].colour, PositionColour(2, 1));
  EXPECT_TRUE(registry_.action_lists.Empty());
  EXPECT_TRUE(registry_.branch_actions.Empty());
}

TEST_F(FindImageTest, AreaTextsOfBothModes) {
  const std::string path = Picture("a.bmp", BuildBmp24(5, 6, PositionColour));
  ASSERT_EQ(Run("找图像条件(\"全\",\"活动\",\"全屏\",0,\"" + path + "\")\n"
                "找图像条件(\"定\",\"固定\",\"100,200\",0,\"" + path + "\")\n"
                "找图像条件(\"别\",\"随便\",\" -7,x\",0,\"" + path + "\")\n"
                "找图像条件(\"负\",\"活动\",\"-5, 10 ,abc,+20\",0,\"" + path + "\")\n"),
            "");
  ASSERT_EQ(registry_.screen_conditions.Length(), 4);
  const auto& conditions = registry_.screen_conditions.Items();
  EXPECT_EQ(conditions[0].rect, (Rect{0, 0, 1024, 768}));
  EXPECT_TRUE(conditions[0].search_in_rect);

  // Fixed mode: the position is added, picture pixel (3, 4) becomes (103, 204).
  EXPECT_FALSE(conditions[1].search_in_rect);
  ASSERT_EQ(conditions[1].points.size(), 30u);
  EXPECT_EQ(conditions[1].points[22].x, 103);
  EXPECT_EQ(conditions[1].points[22].y, 204);
  EXPECT_EQ(conditions[1].points[22].colour, PositionColour(3, 4));
  // Any mode but "活动" is fixed; fields read like atoi.
  EXPECT_FALSE(conditions[2].search_in_rect);
  EXPECT_EQ(conditions[2].points[0].x, -7);
  EXPECT_EQ(conditions[2].points[0].y, 0);
  EXPECT_EQ(conditions[3].rect, (Rect{-5, 10, 0, 20}));
}

TEST_F(FindImageTest, ActionRegistersConditionListAndBranchUnderOneName) {
  const std::string path = Picture("a.bmp", BuildBmp24(2, 3, PositionColour));
  ASSERT_EQ(Run("找图像条件(\"先\",\"活动\",\"全屏\",50,\"" + path + "\")\n"
                "找图像动作(\"后\",nil,\"活动\",\"1,2,3,4\",50,\"" + path + "\")\n"
                "找图像动作(\"再\",false,\"固定\",\"0,0\",50,\"" + path + "\")\n"),
            "");
  ASSERT_EQ(registry_.screen_conditions.Length(), 3);
  ASSERT_EQ(registry_.action_lists.Length(), 2);
  ASSERT_EQ(registry_.branch_actions.Length(), 2);
  const BranchAction& b = *registry_.branch_actions.Get(0);
  EXPECT_EQ(b.name, "后");
  EXPECT_EQ(b.condition_id, 1);
  EXPECT_EQ(b.action_list_id, 0);
  EXPECT_EQ(registry_.screen_conditions.Get(1)->name, "后");
  EXPECT_EQ(registry_.screen_conditions.Get(1)->rect, (Rect{1, 2, 3, 4}));
  EXPECT_TRUE(registry_.screen_conditions.Get(1)->points_are_offsets);
  EXPECT_EQ(registry_.action_lists.Get(0)->id, 0);
  // Without a table name the list stays empty.
  EXPECT_TRUE(registry_.action_lists.Get(0)->steps.empty());
  EXPECT_EQ(registry_.branch_actions.Get(1)->condition_id, 2);
  EXPECT_EQ(registry_.branch_actions.Get(1)->action_list_id, 1);
}

TEST_F(FindImageTest, ActionTableGivesKeyAndMouseStepsOnly) {
  const std::string path = Picture("a.bmp", BuildBmp24(2, 3, PositionColour));
  registry_.branch_actions.Append(BranchAction{"旧", 0, 0});
  ASSERT_EQ(Run("动作列表_甲 = {\n"
                "  {\"按键\",\"A,0.5\"},\n"
                "  {\"粘贴文字\",\"你好,1\"},\n"
                "  {\"找图像动作\",\"旧\"},\n"
                "  {\"找颜色点动作\",\"旧\"},\n"
                "  {\"刷新网址\",\"http://a.b,1\"},\n"
                "  {\"左键单击\",\"10,20,相对,0\"},\n"
                "}\n"
                "找图像动作(\"甲\",\"动作列表_甲\",\"活动\",\"全屏\",50,\"" + path + "\")\n"),
            "");
  ASSERT_EQ(registry_.action_lists.Length(), 1);
  const std::vector<ActionStep>& steps = registry_.action_lists.Get(0)->steps;
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].type, StepType::Key);
  EXPECT_EQ(steps[1].type, StepType::Mouse);
  EXPECT_EQ(registry_.key_steps.Length(), 1);
  EXPECT_EQ(registry_.mouse_steps.Get(steps[1].id)->x, 10);
  EXPECT_EQ(registry_.mouse_steps.Get(steps[1].id)->coord, CoordMode::Relative);
  EXPECT_TRUE(registry_.paste_text_steps.Empty());
  EXPECT_TRUE(registry_.open_url_steps.Empty());
  EXPECT_EQ(registry_.branch_actions.Length(), 2);
  EXPECT_EQ(registry_.branch_actions.Get(1)->name, "甲");

  // A table that does not exist ends the script at the call; nothing of it stays.
  EXPECT_NE(Run("找图像动作(\"乙\",\"没有这个表\",\"活动\",\"全屏\",50,\"" + path + "\")"), "");
  EXPECT_EQ(registry_.action_lists.Length(), 1);
  EXPECT_EQ(registry_.screen_conditions.Length(), 1);
}

TEST_F(FindImageTest, RegisteredPictureIsFoundWhereItIsOnTheScreen) {
  // A picture with a busy pattern, drawn twice on a screen of noise; the
  // left copy wins, and a copy cut by the screen edge never matches.
  auto pattern = [](int32_t x, int32_t y) { return static_cast<uint32_t>((x * 37 + y * 91) % 251) * 0x010101u; };
  const std::string path = Picture("a.bmp", BuildBmp24(12, 9, pattern));
  ASSERT_EQ(Run("找图像条件(\"甲\",\"活动\",\"全屏\",50,\"" + path + "\")\n"
                "找图像条件(\"乙\",\"固定\",\"300,40\",50,\"" + path + "\")\n"),
            "");
  ASSERT_EQ(registry_.screen_conditions.Length(), 2);

  Frame screen;
  screen.Resize(1024, 768);
  uint32_t noise = 7;
  for (uint32_t& p : screen.pixels) {
    noise = noise * 1103515245u + 12345u;
    p = (noise >> 8) & 0xFFFFFF;
  }
  auto draw = [&](int32_t left, int32_t top) {
    for (int32_t y = 0; y < 9; ++y)
      for (int32_t x = 0; x < 12; ++x) screen.Set(left + x, top + y, pattern(x, y));
  };
  draw(1020, 100);  // cut by the right edge
  draw(600, 500);
  draw(300, 40);
  RunFlag flag;
  flag.Set();
  Point found;
  ScreenCondition& search = *registry_.screen_conditions.Get(0);
  ASSERT_TRUE(MatchCondition(search, screen, flag, found, nullptr));
  EXPECT_EQ(found, (Point{300, 40}));
  ScreenCondition& fixed = *registry_.screen_conditions.Get(1);
  EXPECT_TRUE(MatchCondition(fixed, screen, flag, found, nullptr));

  draw(300, 41);  // the fixed copy moves one row down: both copies are gone there
  EXPECT_FALSE(MatchCondition(fixed, screen, flag, found, nullptr));
  ASSERT_TRUE(MatchCondition(search, screen, flag, found, nullptr));
  EXPECT_EQ(found, (Point{300, 41}));
}

// A picture of a million samples (8 MB of them) declared by a script:
// testing it, found or not, in either mode, allocates nothing of its size.
TEST_F(FindImageTest, TestOfAMegapixelPictureAllocatesNothingOfItsSize) {
  const auto noise = [](int32_t x, int32_t y) { return (static_cast<uint32_t>(x * 7919 + y) * 0x9E3779B1u) >> 8; };
  Frame screen;
  screen.Resize(1280, 1024, 0x203040);
  for (int32_t y = 0; y < 1000; ++y)
    for (int32_t x = 0; x < 1000; ++x) screen.Set(200 + x, 20 + y, noise(x, y));
  const std::string path = Picture("big.bmp", BuildBmp24(1000, 1000, noise));
  sim_.SetScreen(screen);
  ASSERT_EQ(Run("找图像条件(\"活\",\"活动\",\"全屏\",0,\"" + path + "\")\n"
                "找图像条件(\"固\",\"固定\",\"200,20\",0,\"" + path + "\")\n"),
            "");
  RunFlag flag;
  flag.Set();
  Point found;
  for (bool present : {true, false}) {
    screen.Set(1199, 1019, present ? noise(999, 999) : 0);  // the last sample
    sim_.SetScreen(screen);
    for (ScreenCondition& c : registry_.screen_conditions.Items()) {
      ColorTest(c, sim_.platform(), flag, found);  // the worker's capture buffer, made once
      test::StartCountingAllocations();
      EXPECT_EQ(ColorTest(c, sim_.platform(), flag, found), present) << c.name;
      EXPECT_LT(test::StopCountingAllocations(), size_t{64 * 1024}) << c.name;
    }
  }
}

// Rendering takes 8 bytes a pixel and each sample 8 more: unthinned, this
// picture needs 1.9 MB; thinned to its first five samples, under 1 MB.
TEST_F(FindImageTest, PictureTheMemoryCannotHoldIsRefusedWithItsSize) {
  const std::string path = Picture("a.bmp", BuildBmp24(400, 300, PositionColour));
  sim_.SetMemoryAvailable(1 << 20);
  ASSERT_EQ(Run("找图像条件(\"全\",\"活动\",\"全屏\",0,\"" + path + "\")\n"
                "找图像条件(\"稀\",\"活动\",\"全屏\",100,\"" + path + "\")\n"),
            "");
  ASSERT_EQ(RecordCount(), 1u);
  EXPECT_EQ(registry_.screen_conditions.Get(0)->name, "稀");
  ASSERT_EQ(sim_.Messages().size(), 1u);
  EXPECT_EQ(sim_.Messages()[0].text, texts::kImageReadError);
  const std::vector<std::string> lines = warnings_.Lines(texts::kWarnMore);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(Format(texts::kWarnPictureTooBig, path.c_str(), 400, 300, 2, 1)), std::string::npos);
}

TEST_F(FindImageTest, ActionAndConditionThinWithTheirOwnComparison) {
  // One column of six: the sixth pixel meets the first draw, 41.
  const std::string path = Picture("a.bmp", BuildBmp24(1, 6, PositionColour));
  SetThinningRandState(1);
  ASSERT_EQ(Run("找图像动作(\"动\",nil,\"活动\",\"全屏\",41,\"" + path + "\")"), "");
  SetThinningRandState(1);
  ASSERT_EQ(Run("找图像条件(\"条\",\"活动\",\"全屏\",41,\"" + path + "\")"), "");
  ASSERT_EQ(registry_.screen_conditions.Length(), 2);
  EXPECT_EQ(registry_.screen_conditions.Get(0)->points.size(), 6u);
  EXPECT_EQ(registry_.screen_conditions.Get(1)->points.size(), 5u);

  // A reduce that is no number keeps every pixel and draws nothing; a
  // numeric string counts as a number.
  SetThinningRandState(1);
  ASSERT_EQ(Run("找图像条件(\"无\",\"活动\",\"全屏\",\"多\",\"" + path + "\")\n"
                "找图像条件(\"缺\",\"活动\",\"全屏\",nil,\"" + path + "\")\n"
                "找图像条件(\"串\",\"活动\",\"全屏\",\"100\",\"" + path + "\")\n"),
            "");
  EXPECT_EQ(registry_.screen_conditions.Get(2)->points.size(), 6u);
  EXPECT_EQ(registry_.screen_conditions.Get(3)->points.size(), 6u);
  EXPECT_EQ(registry_.screen_conditions.Get(4)->points.size(), 5u);
}

TEST_F(FindImageTest, UnreadableFilesAreReportedAndTheScriptGoesOn) {
  const std::string not_bmp = Picture("a.txt", "GIF89a and then some bytes that are no picture at all......");
  const std::string truncated = Picture("t.bmp", BuildBmp24(8, 8, PositionColour).substr(0, 100));
  const std::string missing = dir_ + "/missing.bmp";
  ASSERT_EQ(Run("找图像条件(\"一\",\"活动\",\"全屏\",0,\"" + missing + "\")\n"
                "找图像动作(\"二\",nil,\"活动\",\"全屏\",0,\"" + not_bmp + "\")\n"
                "找图像条件(\"三\",\"固定\",\"1,1\",0,\"" + truncated + "\")\n"
                "走到了 = true\n"),
            "");
  EXPECT_TRUE(GlobalIsTrue("走到了"));
  EXPECT_EQ(RecordCount(), 0u);
  const std::vector<ShownMessage> shown = sim_.Messages();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, texts::kImageReadError);
  EXPECT_EQ(shown[1].text, texts::kImageNotBmp);
  EXPECT_EQ(shown[2].text, texts::kImageReadError);
  for (const ShownMessage& m : shown) {
    EXPECT_EQ(m.caption, "");
    EXPECT_EQ(m.owner, MessageOwner::None);
  }
}

TEST_F(FindImageTest, AreasThatDoNotSplitRightEndTheScriptWithAClearError) {
  const std::string path = Picture("a.bmp", BuildBmp24(2, 2, PositionColour));
  struct Case {
    std::string call;
    const char* message;
  } cases[] = {
      {"找图像条件(\"n\",\"活动\",\"1,2,3\",0,\"" + path + "\")", texts::kImageRectAreaBad},
      {"找图像条件(\"n\",\"活动\",\"1,2,3,4,5\",0,\"" + path + "\")", texts::kImageRectAreaBad},
      {"找图像条件(\"n\",\"活动\",nil,0,\"" + path + "\")", texts::kImageRectAreaBad},
      {"找图像条件(\"n\",\"活动\",{},0,\"" + path + "\")", texts::kImageRectAreaBad},
      {"找图像动作(\"n\",nil,\"活动\",\"\",0,\"" + path + "\")", texts::kImageRectAreaBad},
      {"找图像条件(\"n\",\"固定\",\"5\",0,\"" + path + "\")", texts::kImageFixedAreaBad},
      {"找图像动作(\"n\",nil,\"固定\",\"1,2,3\",0,\"" + path + "\")", texts::kImageFixedAreaBad},
  };
  for (const Case& c : cases) {
    const std::string error = Run(c.call);
    EXPECT_NE(error.find(c.message), std::string::npos) << c.call << " -> " << error;
    // The message names the script line.
    EXPECT_NE(error.find(":1:"), std::string::npos) << error;
  }
  EXPECT_EQ(RecordCount(), 0u);
  EXPECT_TRUE(sim_.Messages().empty()) << "refused before the file was opened";
}

TEST_F(FindImageTest, RequiredArgumentsRaiseTheInterpretersArgumentError) {
  const std::string path = Picture("a.bmp", BuildBmp24(2, 2, PositionColour));
  const std::string calls[] = {
      "找图像条件(nil,\"活动\",\"全屏\",0,\"" + path + "\")",
      "找图像条件(\"n\",nil,\"全屏\",0,\"" + path + "\")",
      "找图像条件(\"n\",\"固定\",nil,0,\"" + path + "\")",
      "找图像条件(\"n\",\"活动\",\"全屏\",0)",
      "找图像动作(\"n\",nil,\"活动\",\"全屏\",0,{})",
  };
  for (const std::string& call : calls)
    EXPECT_NE(Run(call).find("bad argument"), std::string::npos) << call;
  EXPECT_EQ(RecordCount(), 0u);
}

}  // namespace
}  // namespace tora
