// The action-table reader: rows to step records, the accepted row kinds, and
// what a malformed table does to the script and to the registry.
#include "engine/action_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "script_fixture.h"

namespace tora {
namespace {

// 读表(name, accepted): reads the table into a new action list, as the three
// script functions do.
int ReadTable(lua_State* L) {
  ActionRegistry& registry = GetScriptContext(L).registry;
  ActionList list;
  ParseActionTable(L, luaL_checkstring(L, 1), list, static_cast<unsigned>(luaL_optinteger(L, 2, 7)), registry,
                   texts::kFnRepeatAction);
  list.id = registry.action_lists.Length();
  registry.action_lists.Append(std::move(list));
  return 0;
}

class ActionTableTest : public testing::ScriptFixture {
 protected:
  ActionTableTest() { Register("读表", ReadTable); }

  // Reads a table made of the given rows with every kind accepted; expects
  // no error and returns the steps.
  std::vector<ActionStep> Read(const std::string& rows, unsigned accepted = 7) {
    EXPECT_EQ(Run("T = {" + rows + "}\n读表(\"T\"," + std::to_string(accepted) + ")"), "");
    const ActionList* list = registry_.action_lists.Get(registry_.action_lists.Length() - 1);
    return list ? list->steps : std::vector<ActionStep>{};
  }
};

TEST_F(ActionTableTest, KeyRowsGiveCodesModeAndPause) {
  const auto steps = Read(R"({"按键","Ctrl+V,1"},{"按下","Alt+F4,0.5"},{"弹起","左+Num 5,0"})");
  ASSERT_EQ(steps.size(), 3u);
  ASSERT_EQ(registry_.key_steps.Length(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(steps[i].type, StepType::Key);
    EXPECT_EQ(steps[i].id, i);
  }
  const KeyAction& press = *registry_.key_steps.Get(0);
  EXPECT_EQ(press.mode, KeyMode::Press);
  EXPECT_EQ(press.keys, (std::vector<int32_t>{17, 86}));
  EXPECT_EQ(press.pause, 1000);
  EXPECT_EQ(registry_.key_steps.Get(1)->mode, KeyMode::Down);
  EXPECT_EQ(registry_.key_steps.Get(1)->keys, (std::vector<int32_t>{18, 115}));
  EXPECT_EQ(registry_.key_steps.Get(1)->pause, 500);
  EXPECT_EQ(registry_.key_steps.Get(2)->mode, KeyMode::Up);
  EXPECT_EQ(registry_.key_steps.Get(2)->keys, (std::vector<int32_t>{37, 101}));
}

TEST_F(ActionTableTest, KeyRowOddities) {
  Read(R"({"按键","Ctrl+ V,1"},{"按键",""},{"按键","A"},{"按键","A+B+C+D+E+F+G,2"},{"按键","Ctrl++,0"},{"按键","A,1,9"})");
  ASSERT_EQ(registry_.key_steps.Length(), 6);
  // Names are not trimmed: " V" is no key.
  EXPECT_EQ(registry_.key_steps.Get(0)->keys, (std::vector<int32_t>{17, -1}));
  // No keys field and no pause field.
  EXPECT_TRUE(registry_.key_steps.Get(1)->keys.empty());
  EXPECT_EQ(registry_.key_steps.Get(1)->pause, 0);
  EXPECT_EQ(registry_.key_steps.Get(2)->keys, (std::vector<int32_t>{'A'}));
  EXPECT_EQ(registry_.key_steps.Get(2)->pause, 0);
  // The record holds five codes; the rest of the names are dropped.
  EXPECT_EQ(registry_.key_steps.Get(3)->keys, (std::vector<int32_t>{'A', 'B', 'C', 'D', 'E'}));
  EXPECT_EQ(registry_.key_steps.Get(3)->pause, 2000);
  // "+" separates names, so the + key cannot be named: two empty names.
  EXPECT_EQ(registry_.key_steps.Get(4)->keys, (std::vector<int32_t>{17, -1, -1}));
  EXPECT_EQ(registry_.key_steps.Get(5)->pause, 1000);
}

TEST_F(ActionTableTest, PausesOutOfRangeAreClampedNotUndefined) {
  Read(R"({"按键","A,1e999"},{"按键","A,-1e999"},{"按键","A,nan"},{"按键","A,x"},{"按键","A,1.001"})");
  ASSERT_EQ(registry_.key_steps.Length(), 5);
  EXPECT_EQ(registry_.key_steps.Get(0)->pause, INT32_MAX);
  EXPECT_EQ(registry_.key_steps.Get(1)->pause, INT32_MIN);
  EXPECT_EQ(registry_.key_steps.Get(2)->pause, 0);
  EXPECT_EQ(registry_.key_steps.Get(3)->pause, 0);
  // Rounded to single precision before truncation.
  EXPECT_EQ(registry_.key_steps.Get(4)->pause, 1001);
}

TEST_F(ActionTableTest, EveryMouseKindHasItsFlags) {
  struct Case {
    const char* kind;
    uint32_t press, release;
  } cases[] = {
      {"鼠标移动", 0, 0},        {"左键单击", 2, 4},    {"右键单击", 8, 0x10},  {"中键单击", 0x20, 0x40},
      {"左键双击", 6, 6},        {"左键按下", 2, 0},    {"左键弹起", 0, 4},     {"右键按下", 8, 0},
      {"右键弹起", 0, 0x10},     {"中键按下", 0x20, 0}, {"中键弹起", 0, 0x40},
  };
  std::string rows;
  for (const Case& c : cases) rows += std::string("{\"") + c.kind + "\",\"1,2,绝对,0\"},";
  const auto steps = Read(rows);
  ASSERT_EQ(steps.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(steps[i].type, StepType::Mouse);
    const MouseAction* m = registry_.mouse_steps.Get(steps[i].id);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->press, cases[i].press);
    EXPECT_EQ(m->release, cases[i].release);
  }
}

TEST_F(ActionTableTest, MouseRowsNeedExactlyFourFields) {
  const auto steps = Read(
      R"({"左键单击","100,200,绝对,0.5"},{"左键单击","-5,x7,相对,0"},{"左键单击","100,200,绝对"},)"
      R"({"左键单击","1,2,绝对,0,9"},{"鼠标移动",""},{"左键单击","3,4,随便,1"})");
  ASSERT_EQ(steps.size(), 3u);
  ASSERT_EQ(registry_.mouse_steps.Length(), 3);
  const MouseAction& a = *registry_.mouse_steps.Get(0);
  EXPECT_EQ(a.coord, CoordMode::Absolute);
  EXPECT_EQ(a.x, 100);
  EXPECT_EQ(a.y, 200);
  EXPECT_EQ(a.pause, 500);
  const MouseAction& b = *registry_.mouse_steps.Get(1);
  EXPECT_EQ(b.coord, CoordMode::Relative);
  EXPECT_EQ(b.x, -5);
  EXPECT_EQ(b.y, 0);  // not a number
  // Any text but 绝对 is relative.
  EXPECT_EQ(registry_.mouse_steps.Get(2)->coord, CoordMode::Relative);
  EXPECT_EQ(registry_.mouse_steps.Get(2)->x, 3);
}

TEST_F(ActionTableTest, PasteTextTurnsEscapedLineBreaksIntoCrLf) {
  // a \r\n b , 1  -- the backslashes are real bytes of the row text.
  Read(R"({"粘贴文字","a\\r\\nb,1"},{"粘贴文字","\\r\\n\\r\\n"},{"粘贴文字","\\n\\r,2"},{"粘贴文字",""})");
  ASSERT_EQ(registry_.paste_text_steps.Length(), 4);
  EXPECT_EQ(registry_.paste_text_steps.Get(0)->text, "a\r\nb");
  EXPECT_EQ(registry_.paste_text_steps.Get(0)->pause, 1000);
  EXPECT_EQ(registry_.paste_text_steps.Get(1)->text, "\r\n\r\n");
  EXPECT_EQ(registry_.paste_text_steps.Get(1)->pause, 0);
  EXPECT_EQ(registry_.paste_text_steps.Get(2)->text, "\\n\\r");
  EXPECT_EQ(registry_.paste_text_steps.Get(3)->text, "");
}

TEST_F(ActionTableTest, PasteTextKeepsABackslashThatEndsAGbkCharacter) {
  // B0 5C is one GBK character; its second byte followed by "r\n" is no escape.
  const std::string text = "\xB0\x5C" "r\\n";
  lua_pushlstring(L_, text.data(), text.size());
  lua_setglobal(L_, "S");
  ASSERT_EQ(Run("T = {{\"粘贴文字\", S .. \",1\"}}\n读表(\"T\")"), "");
  ASSERT_EQ(registry_.paste_text_steps.Length(), 1);
  EXPECT_EQ(registry_.paste_text_steps.Get(0)->text, text);
}

TEST_F(ActionTableTest, OpenUrlTakesTheFirstField) {
  const auto steps = Read(R"({"刷新网址","http://a.example/?q=1,3"})");
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].type, StepType::OpenUrl);
  EXPECT_EQ(registry_.open_url_steps.Get(0)->url, "http://a.example/?q=1");
  EXPECT_EQ(registry_.open_url_steps.Get(0)->pause, 3000);
}

TEST_F(ActionTableTest, BranchRowsLinkTheLastActionOfThatName) {
  AddBranch("甲", 0);
  AddBranch("乙,1", 0);
  AddBranch("甲", 0);
  const auto steps = Read(R"({"找颜色点动作","甲"},{"找图像动作","乙,1"},{"找颜色点动作","丙"},{"找图像动作","甲 "})");
  // The whole text is the name, commas included; unknown names add nothing.
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].type, StepType::Branch);
  EXPECT_EQ(steps[0].id, 2);
  EXPECT_EQ(steps[1].id, 1);
}

TEST_F(ActionTableTest, OptionalKindsAreSkippedUnlessAccepted) {
  AddBranch("甲", 0);
  const std::string rows =
      R"({"按键","A,0"},{"粘贴文字","x,0"},{"刷新网址","u,0"},{"找颜色点动作","甲"},{"左键单击","1,1,绝对,0"},{"别的","A,0"})";
  // What a picture action reads: keys and mouse only.
  auto steps = Read(rows, 0);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].type, StepType::Key);
  EXPECT_EQ(steps[1].type, StepType::Mouse);
  EXPECT_EQ(registry_.paste_text_steps.Length(), 0);
  EXPECT_EQ(registry_.open_url_steps.Length(), 0);
  // A colour action adds branch rows.
  steps = Read(rows, kAcceptBranch);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[1].type, StepType::Branch);
  steps = Read(rows, kAcceptBranch | kAcceptPasteText | kAcceptOpenUrl);
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(steps[1].type, StepType::PasteText);
  EXPECT_EQ(steps[2].type, StepType::OpenUrl);
}

TEST_F(ActionTableTest, NumbersAreTakenAsTheirText) {
  Read(R"({"按键",5})");
  ASSERT_EQ(registry_.key_steps.Length(), 1);
  EXPECT_EQ(registry_.key_steps.Get(0)->keys, (std::vector<int32_t>{'5'}));
}

TEST_F(ActionTableTest, MissingOrEmptyTableStopsTheScriptAtTheCall) {
  std::string error = Run("x = 1\n读表(\"没有\")\nx = 2");
  EXPECT_NE(error.find("t:2:"), std::string::npos) << error;
  EXPECT_NE(error.find("attempt to index"), std::string::npos) << error;
  EXPECT_NE(error.find("没有"), std::string::npos) << error;
  error = Run("E = {}\n读表(\"E\")");
  EXPECT_NE(error.find("t:2:"), std::string::npos) << error;
  EXPECT_NE(error.find("attempt to index"), std::string::npos) << error;
  // The first row must be something that can be indexed.
  EXPECT_NE(Run("N = {5}\n读表(\"N\")"), "");
  EXPECT_NE(Run("S = \"abc\"\n读表(\"S\")"), "");
  lua_getglobal(L_, "x");
  EXPECT_EQ(lua_tointeger(L_, -1), 1);
  lua_pop(L_, 1);
  EXPECT_EQ(registry_.action_lists.Length(), 0);
}

TEST_F(ActionTableTest, ATableWithoutRowOneStillStops) {
  // Rows under other keys do not count: element 1 is what is probed.
  EXPECT_NE(Run(R"(T = {[2]={"按键","A,0"}} 读表("T"))"), "");
  EXPECT_EQ(registry_.key_steps.Length(), 0);
}

TEST_F(ActionTableTest, MalformedRowsStopTheScriptNamingTableAndRow) {
  const struct {
    const char* rows;
    const char* expect;
  } cases[] = {
      {R"({"按键","A,0"}, "按键")", "row 2"},
      {R"({"按键","A,0"}, {"按键","A,0","多"})", "row 2"},
      {R"({"按键","A,0"}, {"按键"})", "row 2"},
      {R"({"按键","A,0"}, {true,"A,0"})", "entry #1 in row 2"},
      {R"({"按键","A,0"}, {"按键",{}})", "entry #2 in row 2"},
      {R"({"按键","A,0"}, {kind="按键",text="A"})", "entry #1 in row 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rows);
    registry_.EmptyAll();
    const std::string error = Run(std::string("T = {") + c.rows + "}\n读表(\"T\")");
    EXPECT_NE(error.find("t:2:"), std::string::npos) << error;
    EXPECT_NE(error.find(c.expect), std::string::npos) << error;
    EXPECT_NE(error.find("'T'"), std::string::npos) << error;
    // The row read before the bad one keeps its record; no list refers to it.
    EXPECT_EQ(registry_.key_steps.Length(), 1);
    EXPECT_EQ(registry_.action_lists.Length(), 0);
  }
}

TEST_F(ActionTableTest, TablesBehindMetatables) {
  // A value that answers t[1][2] through its metatable is not a table of rows.
  std::string error = Run(R"(debug.setmetatable(0, {__index = function() return {"按键","A"} end})
                             T = 7 读表("T"))");
  EXPECT_NE(error.find("table expected, got number"), std::string::npos) << error;
  lua_pushnumber(L_, 0);
  lua_pushnil(L_);
  lua_setmetatable(L_, -2);
  lua_pop(L_, 1);
  // A metamethod error during the probe reaches the script as it is.
  error = Run(R"(T = setmetatable({}, {__index = function() error("kaputt") end}) 读表("T"))");
  EXPECT_NE(error.find("kaputt"), std::string::npos) << error;
  // Row 1 may come from __index for the probe; the rows read are the
  // table's own.
  ASSERT_EQ(Run(R"(T = setmetatable({[2] = {"按键","B,0"}}, {__index = function(t, k) return {"x","y"} end})
                   读表("T"))"),
            "");
  ASSERT_EQ(registry_.action_lists.Length(), 1);
  ASSERT_EQ(registry_.action_lists.Get(0)->steps.size(), 1u);
  EXPECT_EQ(registry_.key_steps.Get(0)->keys, (std::vector<int32_t>{'B'}));
}

TEST_F(ActionTableTest, ReadingThatRecursesIntoItselfEndsWithAnError) {
  // Every probe of T runs another read of T.
  const std::string error = Run(R"(T = setmetatable({}, {__index = function() 读表("T") end}) 读表("T"))");
  EXPECT_NE(error, "");
  EXPECT_EQ(registry_.action_lists.Length(), 0);
}

class Interrupting : public ScriptInterrupt {
 public:
  void Check(lua_State* L) override {
    ++checks;
    luaL_error(L, "stopped");
  }
  int checks = 0;
};

TEST_F(ActionTableTest, StopRequestEndsALongTableKeepingWhatWasRead) {
  Interrupting interrupt;
  context_.interrupt = &interrupt;
  const std::string error =
      Run("T = {} for i = 1, 5000 do T[i] = {\"按键\", \"A,0\"} end\n读表(\"T\")");
  context_.interrupt = nullptr;
  EXPECT_NE(error.find("stopped"), std::string::npos) << error;
  EXPECT_EQ(interrupt.checks, 1);
  EXPECT_GT(registry_.key_steps.Length(), 0);
  EXPECT_LT(registry_.key_steps.Length(), 5000);
  EXPECT_EQ(registry_.action_lists.Length(), 0);
}

}  // namespace
}  // namespace tora
