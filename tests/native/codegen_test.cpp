// Code the editor generates and reads back from the code box.
#include "editor/codegen.h"

#include <gtest/gtest.h>

#include "editor/texts.h"
#include "engine/text_util.h"
#include "lauxlib.h"

namespace tora {
namespace {

namespace t = editor_texts;

RepeatCodeInput Filled() {
  RepeatCodeInput in;
  in.interval = "3";
  in.count = "无限";
  in.repeat_list = "{\"按键\",\"A,1\"},\r\n{\"左键单击\",\"100,200,绝对,1\"},\r\n";
  in.code_box = "x\r\ny\r\n";
  return in;
}

TEST(AddRepeatCode, AppendsTableAndCall) {
  RepeatCodeResult r = AddRepeatCode(Filled());
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(r.code_box,
            "x\r\ny\r\n动作_3={\r\n{\"按键\",\"A,1\"},\r\n{\"左键单击\",\"100,200,绝对,1\"},\r\n  }\r\n"
            "重复动作(\"动作_3\",3,\"0\",\"0\",\"0\",0)\r\n\r\n");

  RepeatCodeInput in = Filled();
  // The condition and the window the script declares; no final break: the
  // header continues the line.
  const std::string declared = "找图像条件(\"图像_1\",\"固定\",\"1,2\",50,\"a.bmp\")\r\n"
                               "窗口操作(\"窗口_1\",\"Notepad\",\"无\",\"不置顶\",0,0,1)\r\nx";
  in.code_box = declared;
  in.description = " a b ";
  // Any length; a row without its comma gets one.
  const std::string row = "{\"粘贴文字\",\"" + std::string(300, 'r') + ",0\"}";
  in.repeat_list = "\r\n1234\r\n" + row;
  in.condition = "找图像条件(图像_1)";
  in.window = "窗口操作(窗口_1)";
  in.count = "5";
  in.priority = true;
  EXPECT_EQ(AddRepeatCode(in).code_box, declared + "动作_ab={\r\n" + row +
                                            ",\r\n  }\r\n重复动作(\"动作_ab\",3,\"找图像条件(图像_1)\","
                                            "\"窗口操作(窗口_1)\",\"优先\",5)\r\n\r\n");

  in = Filled();
  in.code_box = "";
  EXPECT_EQ(AddRepeatCode(in).code_box.substr(0, 10), "动作_1={\r\n");
  // Nothing long enough for a row: a table without rows would stop the
  // script at the call.
  in.repeat_list = "{}\r\n";
  EXPECT_EQ(AddRepeatCode(in).message, t::kEmptyActionList);
}

TEST(AddRepeatCode, RefusesInOrderAndLeavesTheBox) {
  RepeatCodeInput in;
  in.recording = true;
  in.code_box = "x";
  in.description = "a-b";
  EXPECT_EQ(AddRepeatCode(in).message, t::kStopRecordingFirst);
  in.recording = false;
  EXPECT_EQ(AddRepeatCode(in).message, t::kNoInterval);
  in.interval = "1";
  EXPECT_EQ(AddRepeatCode(in).message, t::kNoCount);
  in.count = "1";
  EXPECT_EQ(AddRepeatCode(in).message, t::kEmptyActionList);
  in.repeat_list = "{\"按键\",\"A,1\"},";
  RepeatCodeResult r = AddRepeatCode(in);
  EXPECT_EQ(r.message, t::kBadDescription);
  EXPECT_EQ(r.code_box, "x");
  // Chinese, letters, digits and '_' make a name; 這 (DF 40) would not lex as one.
  for (const char* bad : {"這", "a.b", "\xB0", "\x80"}) {
    in.description = bad;
    EXPECT_EQ(AddRepeatCode(in).message, t::kBadDescription) << bad;
  }
  // What passes makes a script the interpreter loads.
  in.description = "按键_a1";
  r = AddRepeatCode(in);
  EXPECT_EQ(r.message, "");
  lua_State* L = luaL_newstate();
  EXPECT_EQ(luaL_loadstring(L, r.code_box.substr(1).c_str()), LUA_OK) << lua_tostring(L, -1);
  lua_close(L);
}

TEST(LineCount, CountsCrLfPairsPlusOne) {
  EXPECT_EQ(LineCount(""), 1);
  EXPECT_EQ(LineCount("a\nb\rc"), 1);
  EXPECT_EQ(LineCount("\r\r\n\r\n"), 3);
}

TEST(Choices, CallLinesUpToTheirFirstComma) {
  const std::string box =
      "找颜色点条件(\"颜色点列表_2\",\"全屏\",1)\r\n"
      " 找图像条件(\"图像_1\",2)\r\n"
      "找图像条件(\"" + std::string(100, 'n') + "\",2)\r\n"
      "找图像条件(\"无逗号\")\r\n"
      "窗口操作(\"记事本\",1)";
  EXPECT_EQ(ConditionChoices(box),
            (std::vector<std::string>{"找颜色点条件(颜色点列表_2)", "找图像条件(" + std::string(100, 'n') + ")"}));
  EXPECT_EQ(WindowChoices(box), std::vector<std::string>{"窗口操作(记事本)"});
  EXPECT_TRUE(WindowChoices("").empty());
}

// A name typed before the script declares it is written as the call the
// task reads; what could never be declared is refused by its character.
TEST(AddRepeatCode, TypedLinksAheadOfTheirDeclaration) {
  RepeatCodeInput in = Filled();
  in.code_box = "找图像条件(\"img\",\"固定\",\"1,2\",50,\"a.bmp\")\r\n";
  const auto written = [&](const std::string& condition, const std::string& window) {
    in.condition = condition;
    in.window = window;
    const RepeatCodeResult r = AddRepeatCode(in);
    return r.message.empty() ? r.code_box.substr(r.code_box.rfind(",3,\"") + 3) : r.message;
  };
  EXPECT_EQ(written("找图像条件(later_1)", "窗口操作(记事本)"), "\"找图像条件(later_1)\",\"窗口操作(记事本)\",\"0\",0)\r\n\r\n");
  EXPECT_EQ(written("按钮", "12"), "\"找颜色点条件(按钮)\",\"窗口操作(12)\",\"0\",0)\r\n\r\n");
  EXPECT_EQ(written("img", "后台"), "\"找图像条件(img)\",\"后台\",\"0\",0)\r\n\r\n");
  EXPECT_EQ(written("a b", ""), Format(t::kBadNameCharacter, t::kFieldCondition, " "));
  EXPECT_EQ(written("", "窗口操作(a\"b)"), Format(t::kBadNameCharacter, t::kFieldWindow, "\""));
  for (const char* form : {"找颜色点条件()", "找颜色点条件(a", "条件(a)"})
    EXPECT_EQ(written(form, ""), Format(t::kBadConditionForm, form)) << form;
  EXPECT_EQ(written("", "找图像条件(img)"), Format(t::kBadWindowForm, "找图像条件(img)"));
}

// A relative click asks first when the task's condition gives it no found
// position to count from: none, or one declared in fixed mode.
TEST(AddRepeatCode, AsksBeforeARelativeClickWithoutAFoundPosition) {
  const std::string code =
      "找颜色点条件(\"fixed\",\"P\",\"固定\",10)\r\n找颜色点条件(\"moving\",\"P\",\"活动\",\"0,0,9,9\",10)\r\n"
      "找图像动作(\"act\",\"A\",\"固定\",\"1,2\",50,\"a.bmp\")\r\n找图像条件(\"pic\",\"活动\",\"0,0,9,9\",50,\"a.bmp\")\r\n";
  const std::string relative = "{\"左键单击\",\"0,0,相对,1\"},\r\n";
  const std::string absolute = "{\"左键单击\",\"5,5,绝对,1\"},\r\n";
  const std::string branch = "{\"找图像动作\",\"act\"},\r\n";
  const struct {
    std::string rows, condition;
    const char* question;
  } cases[] = {
      {relative, "", t::kRelativeWithoutCondition},
      {absolute + relative, t::kNoConditionItem, t::kRelativeWithoutCondition},
      {relative, "找颜色点条件(fixed)", t::kRelativeWithFixedCondition},
      {relative, "找图像动作(act)", t::kRelativeWithFixedCondition},
      {relative, "找颜色点条件(moving)", ""},
      {relative, "pic", ""},
      {relative, "找颜色点条件(later)", ""},
      {absolute, "", ""},
      {branch + relative, "", ""},
  };
  for (const auto& c : cases) {
    RepeatCodeInput in = Filled();
    in.code_box = code;
    in.repeat_list = c.rows;
    in.condition = c.condition;
    const RepeatCodeResult r = AddRepeatCode(in);
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(r.question, c.question) << c.rows << c.condition;
  }
}

TEST(ParsePositionLine, ActionAndColourPointRows) {
  auto p = ParsePositionLine("{\"左键单击\",\"100,200,绝对,1\"},");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->x, 100);
  EXPECT_EQ(p->y, 200);
  EXPECT_EQ(PositionColourResult(*p, 0xFF00A0), "100,200 = 0xff00a0");

  p = ParsePositionLine("{12, 34,\"==\",0xFF},");
  ASSERT_TRUE(p);
  EXPECT_EQ(PositionColourResult(*p, 0), "12, 34 = 0x0");
  EXPECT_EQ(p->y, 34);

  // Without a comma the x text is empty and y takes the whole rest.
  p = ParsePositionLine("{\"7}");
  ASSERT_TRUE(p);
  EXPECT_EQ(PositionColourResult(*p, 0xA), ",7} = 0xa");
  EXPECT_EQ(p->x, 0);
  EXPECT_EQ(p->y, 7);

  EXPECT_FALSE(ParsePositionLine(" {1,2}"));
  EXPECT_EQ(PositionText(-5, 1080), "-5,1080");
  EXPECT_EQ(ColourText(0xABCDEF), "abcdef");
}

}  // namespace
}  // namespace tora
