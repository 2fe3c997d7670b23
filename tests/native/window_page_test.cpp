// The window page's texts: item texts and handles of any width, the window
// argument, and the 窗口操作 call as the engine reads it.
#include <gtest/gtest.h>

#include "editor/texts.h"
#include "editor/window_page_logic.h"
#include "engine/texts.h"
#include "tests/native/script_fixture.h"

namespace tora {
namespace {

namespace t = editor_texts;

TEST(WindowItem, HandlesOfTheSixtyFourBitBuildSurviveTheText) {
  for (const ItemHandleValue handle : {ItemHandleValue{1234}, ItemHandleValue{0x7FFF12345678},
                                       ItemHandleValue{-2147418110}, ItemHandleValue{0x12345678}}) {
    const std::string item = WindowItemText(handle, "Edit0", "Report 2");
    EXPECT_EQ(ItemHandle(item), handle) << item;
    const auto parsed = ParseWindowItem(item);
    ASSERT_TRUE(parsed) << item;
    EXPECT_EQ(parsed->handle, handle);
  }
  EXPECT_EQ(WindowItemText(1234, "Edit0", "Report 2"), "(ID:1234|Edit0) Report 2");
  // the image tool's entries and texts without a number
  EXPECT_EQ(ItemHandle("(ID:1234) 记事本"), 1234);
  EXPECT_EQ(ItemHandle("全屏幕"), 0);
  EXPECT_EQ(ItemHandle("(ID:) x"), 0);
  EXPECT_EQ(ItemHandle(""), 0);
}

TEST(WindowItem, WindowArgumentIsTheTitleOrTheClass) {
  EXPECT_EQ(WindowArgument("(ID:1234|Edit0) Report 2", false), "Report 2");
  EXPECT_EQ(WindowArgument("(ID:1234|Edit0) Report 2", true), "Edit0");
  // A class name with a space in it stays whole, and the title with it.
  EXPECT_EQ(WindowArgument("(ID:77|My Class) 标题 (2)", true), "My Class");
  EXPECT_EQ(WindowArgument("(ID:77|My Class) 标题 (2)", false), "标题 (2)");
  // A control picked without a text of its own.
  EXPECT_EQ(WindowArgument("(ID:77|Button) ", true), "Button");
  // Typed by hand: no handle, and the text is the argument as it stands.
  EXPECT_FALSE(ParseWindowItem("Report 2"));
  EXPECT_FALSE(ParseWindowItem("(ID:12) no class"));
  EXPECT_FALSE(ParseWindowItem("(ID:0|Edit) zero"));
  EXPECT_EQ(WindowArgument("Report 2", false), "Report 2");
  EXPECT_EQ(WindowArgument("Notepad", true), "Notepad");
}

WindowCallInput Fields() {
  WindowCallInput in;
  in.window_text = "(ID:1234|Edit0) Report 2";
  in.corner = "居中";
  in.width = "800";
  in.height = "600";
  in.description = "记事本";
  in.interval = "3";
  return in;
}

TEST(WindowCall, FieldsMakeTheCall) {
  EXPECT_EQ(WindowOperationCall(Fields()).call,
            "窗口操作(\"记事本\",\"Report 2\",\"居中\",\"不置顶\",800,600,3)\r\n\r\n");

  WindowCallInput in = Fields();
  in.description.clear();
  for (int line = 1; line < 12; ++line) in.code_box += "x\r\n";
  in.code_box += "y";  // 12 lines as the edit counts them
  in.topmost = true;
  in.use_class = true;
  in.keep_size = true;
  EXPECT_EQ(WindowOperationCall(in).call, "窗口操作(\"12\",\"Edit0\",\"居中\",\"置顶\",0,0,3)\r\n\r\n");

  in = Fields();
  in.width.clear();
  in.height.clear();
  EXPECT_NE(WindowOperationCall(in).call.find(",0,0,3)"), std::string::npos);

  in = Fields();
  in.window_text.clear();
  EXPECT_EQ(WindowOperationCall(in).call, "");
  EXPECT_EQ(WindowOperationCall(in).message, "");
  in = Fields();
  in.interval.clear();
  EXPECT_EQ(WindowOperationCall(in).call, "");
  EXPECT_EQ(WindowOperationCall(in).message, t::kNoInterval);
}

class WindowCallScript : public testing::ScriptFixture {
 protected:
  WindowCallScript() {
    Register(texts::kFnWindowOperation, LuaWindowOperation);
    sim_.SetWorkArea(Rect{0, 0, 1000, 700});
  }
};

// Titles hold quotes, and GBK characters whose second byte is a backslash
// (95 5C): the call must still load and name the very same bytes.
TEST_F(WindowCallScript, TheEngineReadsTheCallBack) {
  const std::string title = std::string("say \"hi\" ") + "\x95\x5C" + " \\n";
  const WindowHandle window = sim_.AddWindow(title, "Edit0", Rect{10, 10, 210, 110});
  WindowCallInput in = Fields();
  in.window_text = WindowItemText(static_cast<ItemHandleValue>(window), "Edit0", title);
  in.topmost = true;
  in.interval = "0.5";
  const std::string first = WindowOperationCall(in).call;
  in.description = "第二";
  in.use_class = true;
  in.corner = "无";
  const std::string second = WindowOperationCall(in).call;
  // the page puts each call in front of the code
  ASSERT_EQ(Run(second + first), "");

  ASSERT_EQ(registry_.window_rules.Length(), 2);
  const WindowRule& by_class = *registry_.window_rules.Get(0);
  EXPECT_EQ(by_class.name, "第二");
  EXPECT_EQ(by_class.window_text, "Edit0");
  EXPECT_EQ(by_class.window.Load(), window);
  EXPECT_FALSE(by_class.move);
  const WindowRule& by_title = *registry_.window_rules.Get(1);
  EXPECT_EQ(by_title.name, "记事本");
  EXPECT_EQ(by_title.window_text, title);
  EXPECT_EQ(by_title.window.Load(), window);
  EXPECT_TRUE(by_title.topmost);
  EXPECT_TRUE(by_title.ready);
  EXPECT_EQ(by_title.x, 100);
  EXPECT_EQ(by_title.y, 50);
  EXPECT_EQ(by_title.width, 800);
  EXPECT_EQ(by_title.interval, 500);
}

}  // namespace
}  // namespace tora
