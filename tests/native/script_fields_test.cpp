// What the user types into the editor reaches the script whole: texts that
// Lua's reader treats specially are written so that they read back as typed,
// and what cannot be written is refused. (The generator fuzzer tries every
// generator with random texts; these are the cases worth naming.)
#include <gtest/gtest.h>

#include "editor/codegen.h"
#include "editor/find_code.h"
#include "editor/page_rows.h"
#include "editor/page_texts.h"
#include "editor/texts.h"
#include "editor/window_page_logic.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "tests/native/script_fixture.h"

namespace tora {
namespace {

namespace pt = page_texts;
namespace et = editor_texts;

class ScriptFields : public testing::ScriptFixture {
 protected:
  ScriptFields() {
    Register(texts::kFnWindowOperation, LuaWindowOperation);
    Register(texts::kFnFindColorAction, LuaFindColorAction);
  }

  // The rows wrapped by "添加代码" after the code, run; the new task's steps.
  const ActionList& RunTask(const std::string& code, const std::string& rows, const std::string& window = "") {
    RepeatCodeInput in;
    in.interval = "1";
    in.count = "无限";
    in.repeat_list = rows;
    in.window = window;
    in.code_box = code;
    const RepeatCodeResult result = AddRepeatCode(in);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(Run(result.code_box), "") << result.code_box;
    EXPECT_TRUE(warnings_.Lines("").empty()) << warnings_.Lines("")[0];
    return *registry_.action_lists.Get(registry_.action_lists.Length() - 1);
  }
};

TEST_F(ScriptFields, PastedTextsAndAddressesArriveWhole) {
  // Backslashes, also the second bytes of GBK characters (淺 9C 5C, ‐ A9 5C).
  const std::string text = "C:\\temp\\\x9C\x5C\xA9\x5C\\n,\"'";
  const std::string address = "http://a.cn/q?a=1,2&b=\"x\"";
  // A page on disk, whose backslashes and spaces a browser takes as typed.
  const std::string file = "C:\\My Pages\\\x9C\x5C\\a.htm";
  RunTask("", BuildPasteRows(text, "0").row + BuildAddressRow(address, "0.5").row + BuildAddressRow(file, "0").row);
  EXPECT_EQ(registry_.paste_text_steps.Get(0)->text, "C:\\temp\\\x9C\x5C\xA9\x5C\\n，”’");
  EXPECT_EQ(registry_.open_url_steps.Get(0)->url, "http://a.cn/q?a=1%2C2&b=%22x%22");
  EXPECT_EQ(registry_.open_url_steps.Get(0)->pause, 500);
  EXPECT_EQ(registry_.open_url_steps.Get(1)->url, file);
}

// Positions and rectangles as people type them, with a blank after the
// comma, and a colour copied with its 0x from the colour test: the script
// reads the same numbers.
TEST_F(ScriptFields, NumbersAsTypedByHandAreTaken) {
  const PageRow click = BuildMouseRow(MouseRowInput{false, "左键单击", "50, 100 ", "绝对", "1"});
  ASSERT_EQ(click.message, "");
  RunTask("", click.row);
  EXPECT_EQ(registry_.mouse_steps.Get(0)->x, 50);
  EXPECT_EQ(registry_.mouse_steps.Get(0)->y, 100);
  EXPECT_FALSE(AddColorPoint(" 50 ,100", "==(等于)", "ff").refused);
  EXPECT_EQ(AddColorPoint("1,2", "==(等于)", "0xFF00").text, "{1,2,\"==\",0xFF00},\r\n");
  ImageForm image;
  image.path = "a.bmp";
  image.mode = et::kModeMoving;
  image.range = "0, 0, 800, 600";
  image.percent = "50";
  EXPECT_FALSE(GenerateImageCondition(image).refused);
}

// Lines of only blanks, as indented text pasted into a list leaves them,
// are dropped like empty ones.
TEST_F(ScriptFields, BlankLinesAmongRowsAreDropped) {
  const std::string blank = "\r\n        \r\n\t\t\t\t\t\t\r\n";
  EXPECT_EQ(RunTask("", "{\"按键\",\"A,0\"}," + blank).steps.size(), 1u);
  ColorForm form;
  form.point_list = "{1,2,\"==\",0xff}," + blank;
  form.mode = et::kModeFixed;
  EXPECT_FALSE(GenerateColorCondition(form).refused);
}

TEST_F(ScriptFields, ChoicesNameWhatTheScriptDeclares) {
  // Window rules whose descriptions hold quotes and backslashes, each chosen
  // in the window box of a task.
  std::string code;
  for (const char* name : {"a\"b", "ab\"", "c\\d\x9C\x5C"}) {
    WindowCallInput in;
    in.window_text = "Notepad";
    in.corner = "无";
    in.description = name;
    in.interval = "1";
    code = WindowOperationCall(in).call + code;
  }
  // A find action a hand-written script gave a name the page would not.
  code += "P = {{1,2,\"==\",0xff}}\r\nA = {{\"按键\",\"A,0\"}}\r\n"
          "找颜色点动作(\"a b-c.d\",\"P\",\"A\",\"固定\",10)\r\n";
  const std::vector<std::string> windows = WindowChoices(code);
  ASSERT_EQ(windows.size(), 3u);
  const std::vector<std::string> actions = ColorActionChoices(code);
  ASSERT_EQ(actions, std::vector<std::string>{"找颜色点动作(a b-c.d)"});
  const PageEdit branch = ColorActionRow(actions[0], code);
  ASSERT_EQ(branch.message, "");
  for (const std::string& window : windows) {
    registry_.EmptyAll();
    const ActionList& list = RunTask(code, branch.text, window);
    ASSERT_EQ(list.steps.size(), 1u);
    EXPECT_EQ(list.steps[0].type, StepType::Branch);
    const RepeatTask& task = registry_.ordinary_tasks.Items().back();
    ASSERT_TRUE(task.has_window) << window;
    EXPECT_EQ("窗口操作(" + registry_.window_rules.Get(task.window_rule_id)->name + ")", window);
  }
  // A typed choice that names nothing in the script is refused.
  EXPECT_EQ(ColorActionRow("找颜色点动作(别的)", code).message, et::kChooseColourAction);
}

TEST(ScriptFieldRefusals, WhatCannotBeWrittenIsSaid) {
  EXPECT_EQ(BuildPasteRows("a\\r\\nb", "0").message, pt::kPasteTypedLineBreak);
  for (const char* key : {"+", ",", "Num +"}) {
    const PageRow row = BuildKeyRow(KeyRowInput{"按键", {"Ctrl", key, "", ""}, "0"});
    EXPECT_EQ(row.message, Format(pt::kKeyNotWritable, "组合键1", key)) << key;
  }
  EXPECT_EQ(BuildKeyRow(KeyRowInput{"按键", {"A", "", "", ""}, "0,5"}).message, pt::kBadKeyPause);
  EXPECT_EQ(BuildMouseRow(MouseRowInput{false, "左键单击", "1,2,3", "绝对", "1"}).message, pt::kBadMousePosition);

  RepeatCodeInput in;
  in.count = "无限";
  in.repeat_list = "{\"按键\",\"A,0\"},\r\n";
  for (const char* interval : {"3秒", "0,5", "-1"}) {
    in.interval = interval;
    EXPECT_EQ(AddRepeatCode(in).message, et::kBadInterval) << interval;
  }
  in.interval = "0.5";
  in.count = "0,5";
  EXPECT_EQ(AddRepeatCode(in).message, et::kBadCount);
  in.count = "1";
  // A recorded click cut short by a row of another page.
  const std::string half = "{\"左键单击\",\"1,2,绝对,{\"按键\",\"A,0\"},";
  in.repeat_list = "{\"按键\",\"A,0\"},\r\n" + half + "\r\n";
  EXPECT_EQ(AddRepeatCode(in).message, Format(et::kBadRepeatLine, 2, Excerpt(half).c_str()));

  WindowCallInput window;
  window.window_text = "Notepad";
  window.interval = "1";
  window.width = "3秒";
  EXPECT_EQ(WindowOperationCall(window).message, et::kBadWidth);
}

}  // namespace
}  // namespace tora
