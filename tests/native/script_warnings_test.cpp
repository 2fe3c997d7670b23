// What the host says about mistakes that do not stop a script, where it says
// it, and that a task linked to nothing never runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/registry.h"
#include "engine/scheduler.h"
#include "engine/script_host.h"
#include "engine/script_text.h"
#include "engine/texts.h"
#include "platform/sim/sim_platform.h"
#include "tests/native/bmp_builder.h"
#include "tests/native/temp_folder.h"

namespace tora {
namespace {

using Lines = std::vector<std::string>;

class ScriptWarningsTest : public ::testing::Test {
 protected:
  ScriptWarningsTest() : host_(registry_, sim_.platform()) { sim_.RunThreads(false); }
  void SetUp() override { ASSERT_TRUE(folder_.ok()); }

  ScriptHost::Outcome Run(const std::string& gbk) {
    sim_.SetScriptPath(folder_.Write("script.txt", gbk));
    return host_.RunScript();
  }

  SimPlatform sim_;
  ActionRegistry registry_;
  ScriptHost host_;
  tora::testing::TempFolder folder_{"tora_warn"};
};

TEST_F(ScriptWarningsTest, RowMistakesNameTheTableRowOnceWhateverReadsIt) {
  ASSERT_EQ(Run("T = {\n"
                "{\"按建\",\"Ctrl+V,1\"},\n"
                "{\"按键\",\"Space+a+!,x\"},\n"
                "{\"按键\",\"Ctrl+,1\"},\n"
                "{\"按键\",\"A+B+C+D+E+F,0\"},\n"
                "{\"左键单击\",\"100,200,绝对\"},\n"
                "{\"左键单击\",\"1,2,相当,0\"},\n"
                "{\"粘贴文字\",\"你好,世界,1\"},\n"
                "{\"刷新网址\",\"http://a/?x=1,2,1\"},\n"
                "{\"找颜色点动作\",\"没有\"},\n"
                "{\"按键\",\"Ctrl+V,0.5\"},\n"
                "}\n"
                "重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n"
                "重复动作(\"T\",2,\"0\",\"0\",\"0\",0)\n"
                "U = {{\"粘贴文字\",\"a,1\"}}\n"
                "P = {{0,0,\"==\",0}}\n"
                "找颜色点动作(\"F\",\"P\",\"U\",\"固定\",10)\n"),
            ScriptHost::Outcome::Loaded);
  const std::string at = "警告：第13行 重复动作：动作表\"T\"第";
  // Row 6 is relative, and nothing finds a position for these tasks.
  const std::string relative =
      "动作表\"T\"有相对坐标的鼠标动作，但这个任务的条件不找位置（没有条件，或是固定方式），相对坐标不会从找到的位置算起（开始时是0,0）";
  const Lines expected = {
      at + "1行{\"按建\",\"Ctrl+V,1\"}：没有\"按建\"这种动作，这一行不执行",
      at + "2行{\"按键\",\"Space+a+!,x\"}：\"Space\"不是键名，这个键按不出来",
      at + "2行{\"按键\",\"Space+a+!,x\"}：\"a\"按的是Num 1键；字母键要写大写的\"A\"",
      at + "2行{\"按键\",\"Space+a+!,x\"}：\"!\"不是键名，按的是Page Up键",
      at + "2行{\"按键\",\"Space+a+!,x\"}：停顿\"x\"不是数字，按0秒算",
      at + "3行{\"按键\",\"Ctrl+,1\"}：有一个键名是空的（两个+之间，或+在头尾），这个键按不出来",
      at + "4行{\"按键\",\"A+B+C+D+E+F,0\"}：键名多于5个，只按前5个",
      at + "5行{\"左键单击\",\"100,200,绝对\"}：鼠标动作要写\"x,y,绝对或相对,停顿\"四项，这里是3项，这一行不执行",
      at + "6行{\"左键单击\",\"1,2,相当,0\"}：第3项\"相当\"既不是\"绝对\"也不是\"相对\"，按相对算",
      at + "7行{\"粘贴文字\",\"你好,世界,1\"}：文字在第一个逗号处结束，只粘贴\"你好\"（文字里的逗号请写成全角的\"，\"）",
      at + "8行{\"刷新网址\",\"http://a/?x=1,2,1\"}：网址在第一个逗号处结束，只打开\"http://a/?x=1\"",
      at + "9行{\"找颜色点动作\",\"没有\"}：前面没有登记名为\"没有\"的找颜色点动作或找图像动作，这一行不执行",
      "警告：第13行 重复动作：" + relative,
      "警告：第14行 重复动作：" + relative,
      "警告：第17行 找颜色点动作：动作表\"U\"第1行{\"粘贴文字\",\"a,1\"}：找颜色点动作的动作表里不能有\"粘贴文字\"，这一行不执行",
  };
  EXPECT_EQ(host_.Warnings(), expected);
  // Between the script's own lines (none here) and the running lines.
  Lines status = expected;
  status.insert(status.end(), {texts::kRunningLine, texts::kHintLine, texts::kHintTargetLine});
  EXPECT_EQ(sim_.Status(), status);
  // The rows still do what they did: the bad key names are there as -1 and
  // as their own codes.
  EXPECT_EQ(registry_.key_steps.Get(0)->keys, (std::vector<int32_t>{-1, 97, 33}));
}

TEST_F(ScriptWarningsTest, CallMistakesAndUnlinkedTasks) {
  ASSERT_EQ(Run("P = {{1,1,\"==\",255},{2,1,\"=\",0},{3,1,\"~=\"}}\n"
                "找颜色点条件(\"笑脸\",\"P\",\"固定\",\"全屏\",20)\n"
                "找颜色点条件(\"圆\",\"P\",\"活动\",\"1,2,3\",20)\n"
                "找颜色点条件(\"方\",\"P\",\"活 动\",20)\n"
                "窗口操作(\"记事本\",\"Notepad\",\"左上\",\"置\",0,0,1)\n"
                "T = {{\"按键\",\"A,0\"}}\n"
                "重复动作(\"T\",1,\"找颜色点条件(笑睑)\",\"0\",\"0\",0)\n"
                "重复动作(\"T\",1,\"笑脸\",\"0\",\"0\",0)\n"
                "重复动作(\"T\",1,\"0\",\"窗口操作(记事)\",\"0\",0)\n"
                "重复动作(\"T\",1,\"找颜色点条件(笑脸)\",\"前台\",\"0\",-1)\n"
                "重复动作(\"T\",1,\"0\",\"后台\",\"0\",0)\n"
                "重复动作(\"T\",1,\"0\",\"窗口操作(记事本)\",\"0\",0)\n"
                "重复动作(nil,1,\"0\",\"0\",\"0\",0)\n"
                "重复动作(\"T\",\"1秒\",\"0\",\"0\",\"0\",0)\n"),
            ScriptHost::Outcome::Loaded);
  const Lines expected = {
      "警告：第2行 找颜色点条件：颜色点表\"P\"第2行的比较\"=\"不是 ==、!=、~=、!~ 之一，这个点总算相符",
      "警告：第2行 找颜色点条件：颜色点表\"P\"第3行要写成{x,y,\"比较\",颜色}，缺的按0算",
      "警告：第2行 找颜色点条件：固定方式的第4个参数就是容差，\"全屏\"不是数字，按30算",
      "警告：第3行 找颜色点条件：范围\"1,2,3\"要写成\"全屏\"或\"左,上,右,下\"，这样只看颜色点本身的位置",
      "警告：第4行 找颜色点条件：方式\"活 动\"不是\"活动\"或\"固定\"，按\"固定\"算",
      "警告：第5行 窗口操作：位置\"左上\"不是 无、左上角、左下角、右上角、右下角、居中 之一，窗口不会移动",
      "警告：第5行 窗口操作：\"置\"既不是\"置顶\"也不是\"不置顶\"，按不置顶算",
      "警告：第7行 重复动作：条件\"找颜色点条件(笑睑)\"：没有名为\"笑睑\"的找颜色点条件或找图像条件，这个任务不会运行",
      "警告：第8行 重复动作：条件\"笑脸\"要写成 找颜色点条件(名称) 或 找图像条件(名称)，这个任务不会运行",
      "警告：第9行 重复动作：窗口\"窗口操作(记事)\"：没有名为\"记事\"的窗口操作，这个任务不会运行",
      "警告：第10行 重复动作：次数-1小于0，这个任务一次也不会运行",
      "警告：第13行 重复动作：第1个参数不是动作表的名字，这个任务没有动作",
      "警告：第14行 重复动作：间隔\"1秒\"不是数字（秒），按0算：这个任务每一轮都运行",
  };
  EXPECT_EQ(host_.Warnings(), expected);
  // The rule's window is not there: one line says the keeper waits for it.
  const Lines status = sim_.Status();
  ASSERT_GE(status.size(), expected.size() + 4);
  EXPECT_EQ(status[expected.size()], "窗口操作\"记事本\"：还没有找到窗口\"Notepad\"，找到后再摆放，发给它的按键也等它出现");
  EXPECT_EQ(status[expected.size() + 1], texts::kRunningLine);

  // The three unlinked tasks stay listed with nothing linked, and only they
  // are flagged; "前台", "后台" and "0" name no rule and stay as they were.
  const auto& tasks = registry_.ordinary_tasks.Items();
  ASSERT_EQ(tasks.size(), 8u);
  for (size_t i = 0; i < tasks.size(); ++i) EXPECT_EQ(tasks[i].unlinked, i < 3) << i;
  EXPECT_FALSE(tasks[0].has_condition || tasks[1].has_condition || tasks[2].has_window);
  EXPECT_TRUE(tasks[3].has_condition);
  EXPECT_TRUE(tasks[5].has_window);

  // A pass runs no unlinked task: A is pressed by tasks 4 and 7 only (task 3
  // has no tries, task 5 waits for its rule's window, task 6 has no rows).
  RunWorkerPass(registry_.ordinary_tasks, 1, registry_, sim_.platform());
  int presses = 0;
  for (const InputEvent& e : sim_.Events()) presses += e.kind == InputEvent::KeyDown;
  EXPECT_EQ(presses, 2);
  host_.StopScript();
}

TEST_F(ScriptWarningsTest, TwentyLinesThenACountAfterTheErrorLines) {
  std::string script = "T = {{\"按键\",\"A,0\"}}\n";
  for (int i = 0; i < 25; ++i) script += "重复动作(\"T\",1,\"0\",\"窗口操作(无)\",\"0\",0)\n";
  script += "error(\"停\")\n";
  ASSERT_EQ(Run(script), ScriptHost::Outcome::Loaded);
  const Lines status = sim_.Status();
  ASSERT_EQ(status.size(), 2u + 21u + 3u);
  EXPECT_EQ(status[0], texts::kRuntimeError);
  EXPECT_EQ(status[2], "警告：第2行 重复动作：窗口\"窗口操作(无)\"：没有名为\"无\"的窗口操作，这个任务不会运行");
  EXPECT_EQ(status[21], "警告：第21行 重复动作：窗口\"窗口操作(无)\"：没有名为\"无\"的窗口操作，这个任务不会运行");
  EXPECT_EQ(status[22], "……另有5条警告未列出");
  EXPECT_EQ(status[23], texts::kRunningLine);
}

TEST_F(ScriptWarningsTest, PicturesAreReadFromTheScriptsFolder) {
  folder_.Write("图标.bmp", test::BuildBmp24(4, 3, test::PositionColour));
  ASSERT_EQ(Run("找图像条件(\"图标\",\"固定\",\"10,20\",0,\"图标.bmp\")\n"
                "找图像条件(\"丢\",\"固定\",\"10,20\",0,\"丢.bmp\")\n"
                "R = {{\"左键单击\",\"1,1,相对,0\"}}\n"
                "找图像动作(\"点\",\"R\",\"活动\",\"全屏\",0,\"图标.bmp\")\n"
                "找图像动作(\"点\",\"R\",\"固定\",\"10,20\",0,\"图标.bmp\")\n"),
            ScriptHost::Outcome::Loaded);
  ASSERT_EQ(registry_.screen_conditions.Length(), 3);
  EXPECT_EQ(registry_.screen_conditions.Get(0)->picture, folder_.path() + "/图标.bmp");
  EXPECT_EQ(registry_.screen_conditions.Get(0)->points.size(), 12u);
  // The one that is not there is named whole, beside the message box.
  // And a relative click after a fixed picture, which finds no position.
  EXPECT_EQ(host_.Warnings(),
            (Lines{"警告：第2行 找图像条件：读不了图像文件\"" + folder_.path() + "/丢.bmp\"，这个条件没有登记",
                   "警告：第5行 找图像动作：动作表\"R\"有相对坐标的鼠标动作，但固定方式只看不找，不给出找到的位置，相对坐标不会从这里算起"}));
  ASSERT_EQ(sim_.Messages().size(), 1u);
  EXPECT_EQ(sim_.Messages()[0].text, texts::kImageReadError);
}

TEST(ScriptPaths, FolderAndResolution) {
  EXPECT_EQ(ScriptFolder("C:\\tora\\a.txt"), "C:\\tora\\");
  EXPECT_EQ(ScriptFolder("C:a.txt"), "C:");
  EXPECT_EQ(ScriptFolder("a.txt"), "");
  EXPECT_EQ(ScriptFolder("/x/y/a.txt"), "/x/y/");
  // 0x5C as the second byte of a GBK character is no separator.
  EXPECT_EQ(ScriptFolder("C:\\\x95\x5C.txt"), "C:\\");
  EXPECT_EQ(ResolveBesideScript("p.bmp", "C:\\tora\\"), "C:\\tora\\p.bmp");
  EXPECT_EQ(ResolveBesideScript("图\\p.bmp", "C:\\tora\\"), "C:\\tora\\图\\p.bmp");
  for (const char* absolute : {"D:\\p.bmp", "\\\\server\\p.bmp", "\\p.bmp", "/p.bmp"})
    EXPECT_EQ(ResolveBesideScript(absolute, "C:\\tora\\"), absolute);
}

}  // namespace
}  // namespace tora
