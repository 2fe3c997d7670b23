// tora-check from the outside: GBK script files in, exit status and UTF-8
// JSON out.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/texts.h"
#include "platform/text.h"
#include "tests/native/bmp_builder.h"
#include "tests/native/run_tora_check.h"
#include "tests/native/temp_folder.h"

namespace tora {
namespace {

std::string U8(const char* gbk) { return GbkToUtf8(gbk); }

struct CheckResult {
  int status = -1;  // exit status; -1 when the process did not exit normally
  std::string out;
  std::string err;
  double seconds = 0;
  // The report is one line of compact JSON, written the same way every time,
  // so its parts are matched as text.
  bool Has(const std::string& part) const { return out.find(part) != std::string::npos; }
  bool Complete() const { return out.size() > 2 && out.front() == '{' && out.compare(out.size() - 2, 2, "}\n") == 0; }
  size_t Count(const std::string& part) const {
    size_t n = 0;
    for (size_t i = out.find(part); i != std::string::npos; i = out.find(part, i + part.size())) ++n;
    return n;
  }
};

// A JSON string of GBK text.
std::string Q(const char* gbk) { return "\"" + U8(gbk) + "\""; }

class ToraCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.ok()); }

  std::string Write(const std::string& name, const std::string& bytes) { return folder_.Write(name, bytes); }

  // Run from the root folder: nothing a script names is found there by
  // chance.
  CheckResult Check(const std::string& args) {
    CheckResult r;
    const std::string err = dir_ + "/err";
    const auto start = std::chrono::steady_clock::now();
    const tora::testing::ToolRun run = tora::testing::RunToraCheck("/", args, err);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.status = run.status;
    r.out = run.out;
    std::ifstream in(err, std::ios::binary);
    r.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return r;
  }
  CheckResult CheckScript(const std::string& gbk, const std::string& options = "") {
    return Check(options + " '" + Write("script.txt", gbk) + "'");
  }

  tora::testing::TempFolder folder_{"tora_check"};
  const std::string& dir_ = folder_.path();
};

TEST_F(ToraCheckTest, ReportsWhatAScriptRegistered) {
  const CheckResult r = CheckScript(
      "动作_1 = {{\"按键\",\"Ctrl+V,1\"},{\"左键单击\",\"100,200,绝对,0.5\"},{\"粘贴文字\",\"甲\\\\r\\\\n乙,1\"}}\n"
      "重复动作(\"动作_1\",0.1,\"0\",\"0\",\"优先\",3)\n");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(r.Complete()) << r.out;
  EXPECT_TRUE(r.Has("\"status\":[" + Q(texts::kRunningLine) + "," + Q(texts::kHintLine) + "," +
                    Q(texts::kHintTargetLine) + "]"))
      << r.out;
  EXPECT_TRUE(r.Has("\"running\":true"));
  EXPECT_TRUE(r.Has("\"key_steps\":[{\"mode\":1,\"keys\":[17,86],\"pause\":1000}]")) << r.out;
  EXPECT_TRUE(r.Has("\"mouse_steps\":[{\"coord\":1,\"press\":2,\"release\":4,\"x\":100,\"y\":200,\"pause\":500}]"))
      << r.out;
  EXPECT_TRUE(r.Has("\"paste_text_steps\":[{\"text\":\"" + U8("甲") + "\\r\\n" + U8("乙") + "\",\"pause\":1000}]"))
      << r.out;
  EXPECT_TRUE(r.Has("\"action_lists\":[{\"steps\":[[1,0],[2,0],[4,0]]}]")) << r.out;
  EXPECT_TRUE(r.Has("\"priority_tasks\":[{\"action_list\":0,\"interval\":100,\"count_limit\":3,"
                    "\"window_rule\":null,\"condition\":null}]"))
      << r.out;
  EXPECT_TRUE(r.Has("\"ordinary_tasks\":[]"));
}

TEST_F(ToraCheckTest, WarningsLastAndInWordsAndStrictExitStatus) {
  // Run from another folder: the picture is found beside the script all the
  // same, and a window rule whose window cannot exist here says nothing.
  test::WriteFile(dir_ + "/图.bmp", test::BuildBmp24(2, 2, test::PositionColour));
  const std::string script =
      "窗口操作(\"记\",\"Notepad\",\"无\",\"不置顶\",0,0,1)\n"
      "找图像条件(\"图\",\"活动\",\"0,0,50,60\",0,\"图.bmp\")\n"
      "T = {{\"按键\",\"Ctrl+V,1\"},{\"左键单击\",\"-3,4,相对,0.5\"}}\n"
      "重复动作(\"T\",0.5,\"找图像条件(图)\",\"窗口操作(记)\",\"0\",2)\n";
  const std::string path = Write("script.txt", script);
  CheckResult r = Check("--strict '" + path + "'");
  EXPECT_EQ(r.status, 0) << r.out;
  const auto ends_with = [&r](const std::string& tail) {
    return r.out.size() >= tail.size() && r.out.compare(r.out.size() - tail.size(), tail.size(), tail) == 0;
  };
  EXPECT_TRUE(ends_with(",\"warnings\":[]}\n")) << r.out;

  r = Check("--text '" + path + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.Has(U8("任务0：每500毫秒一次，最多2次；条件：\"图\"(条件0)成立时；按键发给窗口操作\"记\"的窗口\n"
                       "  1. 按键 Ctrl+V，停顿1000毫秒\n"
                       "  2. 左键单击 找到的点偏移(-3,4)，停顿500毫秒\n"
                       "条件0 \"图\"：图像") + dir_ + U8("/图.bmp，4个取样点，在(0,0)-(50,60)里找，容差30\n"
                                                     "窗口操作0 \"记\"：窗口\"Notepad\"，位置无，每1000毫秒查看一次\n")))
      << r.out;
  EXPECT_TRUE(r.Has(U8("没有警告\n"))) << r.out;

  const std::string bad = Write("bad.txt", "T = {{\"按键\",\"Space,1\"}}\n重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n");
  const std::string warning = U8("警告：第2行 重复动作：动作表\"T\"第1行{\"按键\",\"Space,1\"}：\"Space\"不是键名，这个键按不出来");
  r = Check("'" + bad + "'");
  EXPECT_EQ(r.status, 0);
  std::string quoted;
  for (char c : warning) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
  EXPECT_TRUE(ends_with(",\"warnings\":[\"" + quoted + "\"]}\n")) << r.out;
  r = Check("--strict --text '" + bad + "'");
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(r.Has(U8("警告（1）：\n  ") + warning + "\n")) << r.out;
  EXPECT_EQ(Check("--strict '" + dir_ + "/没有.txt'").status, 1);
}

TEST_F(ToraCheckTest, StartsThatEndBeforeTheScriptRuns) {
  CheckResult r = CheckScript("");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.Has("\"status\":[],\"messages\":[" + Q(texts::kScriptEmpty) + "]")) << r.out;

  r = Check("'" + dir_ + "/没有.txt'");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.Has("\"messages\":[" + Q(texts::kScriptNotFound) + "]")) << r.out;

  EXPECT_EQ(Check("").status, 2);
  EXPECT_EQ(Check("--screen 0x0 x.txt").status, 2);
}

TEST_F(ToraCheckTest, SyntaxErrorGivesItsLine) {
  const CheckResult r = CheckScript("x = 1\ny = 2\nz = = 3\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.Has("\"status\":[" + Q(texts::kSyntaxError) + ",\"" + U8(texts::kErrorLinePrefix) + "3:")) << r.out;
  EXPECT_TRUE(r.Has("\"running\":false"));
}

TEST_F(ToraCheckTest, NothingRunnableStopsAtOnce) {
  const CheckResult r = CheckScript("local x = 1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.Has("\"status\":[" + Q(texts::kStoppedLine) + "," + Q(texts::kNothingRuns) + "]")) << r.out;
  EXPECT_TRUE(r.Has("\"running\":false"));
}

TEST_F(ToraCheckTest, RuntimeErrorKeepsWhatWasRegistered) {
  const CheckResult r = CheckScript(
      "T = {{\"按键\",\"A,0\"}}\n"
      "重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n"
      "重复动作(\"缺少\",1,\"0\",\"0\",\"0\",0)\n"
      "重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.Has("\"status\":[" + Q(texts::kRuntimeError) + ",\"" + U8(texts::kErrorLinePrefix) + "3:")) << r.out;
  EXPECT_TRUE(r.Has(U8("缺少"))) << r.out;
  EXPECT_TRUE(r.Has("\"running\":true"));
  EXPECT_TRUE(r.Has("\"ordinary_tasks\":[{\"action_list\":0,")) << r.out;
  EXPECT_EQ(r.Count("\"action_list\":"), 1u) << r.out;
}

TEST_F(ToraCheckTest, EndlessScriptsEndByTheTimeLimit) {
  for (const char* script : {"while true do end\n",
                             "while true do pcall(function() while true do end end) end\n",
                             "T = {{\"按键\",\"A,0\"}}\nwhile true do pcall(重复动作, \"无\",1,\"0\",\"0\",\"0\",0) end\n",
                             "等待(100000000)\n"}) {
    SCOPED_TRACE(script);
    const CheckResult r = CheckScript(script, "--time-limit 300");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(r.Complete()) << r.out;
    EXPECT_NE(r.err.find("300 ms"), std::string::npos) << r.err;
    EXPECT_LT(r.seconds, 60.0) << "the limit did not end the script";
  }
  // Where the instruction hook never runs: a finalizer, a match inside the
  // string library that backtracks for ages.
  for (const char* script : {"setmetatable({}, {__gc = function() while true do end end})\ncollectgarbage()\n",
                             "T = {{\"按键\",\"A,0\"}}\n重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n"
                             "setmetatable({}, {__gc = function() while true do end end})\n",
                             "string.find(string.rep(\"a\", 40), string.rep(\"a*\", 30) .. \"b\")\n"}) {
    SCOPED_TRACE(script);
    const CheckResult r = CheckScript(script, "--time-limit 300");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("300 ms"), std::string::npos) << r.err;
    EXPECT_LT(r.seconds, 60.0) << "the script was never ended";
  }
  EXPECT_EQ(Check("--time-limit -1 x.txt").status, 2);
}

// A saved screen stands in for the display: its size is the screen's,
// "全屏" its whole area, and every condition is tested on it with the
// program's own search. The same picture as a 24-bit bottom-up and a 32-bit
// top-down file gives the same answers.
TEST_F(ToraCheckTest, ScreenshotTestsEveryConditionOnTheSavedScreen) {
  constexpr uint32_t kBack = 0x102030;
  const auto screen = [](int32_t x, int32_t y) -> uint32_t {
    if ((x == 20 && y == 10) || (x == 21 && y == 11)) return 0xFFFFFF;
    if (x == 40 && y == 30) return 0x0000F0;
    if (x == 42 && y == 30) return 0x00FF00;
    return kBack;
  };
  test::BmpRecipe top_down;
  top_down.width = 64;
  top_down.height = 48;
  top_down.top_down = true;
  top_down.bits = 32;
  const std::string shots[] = {Write("shot24.bmp", test::BuildBmp24(64, 48, screen)),
                               Write("shot32.bmp", test::BuildBmp(top_down, screen))};
  // The picture cut at (40, 30), its last sample changed.
  Write("cut.bmp", test::BuildBmp24(3, 2, [&](int32_t x, int32_t y) {
          return x == 2 && y == 1 ? 0x123456u : screen(40 + x, 30 + y);
        }));
  const std::string script = Write("s.txt",
      "颜色点列表_白 = {{100,100,\"==\",0xFFFFFF},{101,101,\"==\",0xFFFFFF}}\n"
      "找颜色点条件(\"白\",\"颜色点列表_白\",\"活动\",\"全屏\",30)\n"
      "颜色点列表_近 = {{0,0,\"~=\",0x0000FF},{2,0,\"==\",0x00FF00}}\n"
      "找颜色点条件(\"近\",\"颜色点列表_近\",\"活动\",\"0,0,60,40\",10)\n"
      "颜色点列表_固 = {{20,10,\"==\",0xFFFFFF},{70,5,\"==\",0x000000}}\n"
      "找颜色点条件(\"固\",\"颜色点列表_固\",\"固定\",30)\n"
      "找图像条件(\"图\",\"活动\",\"全屏\",0,\"cut.bmp\")\n"
      "T = {{\"按键\",\"A,1\"}}\n"
      "重复动作(\"T\",1,\"找颜色点条件(白)\",\"0\",\"0\",0)\n"
      "重复动作(\"T\",1,\"找颜色点条件(近)\",\"0\",\"0\",0)\n"
      "重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n"
      "重复动作(\"T\",1,\"找图像条件(图)\",\"0\",\"优先\",0)\n");
  const std::string want =
      "\"screenshot\":{\"width\":64,\"height\":48,\"conditions\":["
      "{\"name\":" + Q("白") + ",\"met\":true,\"found\":[20,10],\"nearest\":null},"
      "{\"name\":" + Q("近") + ",\"met\":false,\"found\":null,\"nearest\":{\"at\":[40,30],\"matched\":1,\"of\":2,"
      "\"differences\":[{\"point\":0,\"at\":[40,30],\"want\":255,\"got\":240,\"op\":\"~=\"}],\"tolerance\":16}},"
      "{\"name\":" + Q("固") + ",\"met\":false,\"found\":null,\"nearest\":{\"at\":null,\"matched\":1,\"of\":2,"
      "\"differences\":[{\"point\":1,\"at\":[70,5],\"want\":0,\"got\":4294967295,\"op\":\"==\"}],\"tolerance\":null}},"
      "{\"name\":" + Q("图") + ",\"met\":false,\"found\":null,\"nearest\":{\"at\":[40,30],\"matched\":5,\"of\":6,"
      "\"differences\":[{\"point\":5,\"at\":[42,31],\"want\":1193046,\"got\":1056816,\"op\":\"==\"}],\"tolerance\":null}}],"
      "\"tasks\":{\"ordinary\":[true,false,true],\"priority\":[false]}},\"warnings\":[]}\n";
  for (const std::string& shot : shots) {
    CheckResult r = Check("--screenshot '" + shot + "' '" + script + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.Has("\"rect\":[0,0,64,48]")) << r.out;  // 全屏 is the screenshot
    EXPECT_TRUE(r.Has(want)) << r.out;
    r = Check("--text --screenshot '" + shot + "' '" + script + "'");
    EXPECT_TRUE(r.Has(U8("在截图上（64x48）：\n"
                         "  条件0 \"白\"：找到了，在(20,10)\n"
                         "  条件1 \"近\"：没找到；最接近的是(40,30)，2个颜色点里有1个相符\n"
                         "    第1个颜色点(40,30)：要 ~= 0x0000FF，屏幕上是 0x0000F0\n"
                         "    容差从10改为16，这里就能找到\n"
                         "  条件2 \"固\"：不成立，2个颜色点里有1个相符\n"
                         "    第2个颜色点(70,5)：要 == 0x000000，这里在屏幕外\n"
                         "  条件3 \"图\"：没找到；最接近的是(40,30)，6个取样点里有5个相符\n"
                         "    第6个取样点(42,31)：要 == 0x123456，屏幕上是 0x102030\n"
                         "  优先任务0：条件不成立\n"
                         "  任务0：条件成立，会运行\n"
                         "  任务1：条件不成立\n"
                         "  任务2：没有条件，会运行\n"
                         "没有警告\n")))
        << r.out;
  }
}

// A screenshot that cannot be used ends the tool before anything is written,
// with its name; so does asking for a screen size beside it. Tests that run
// past the time limit end like the script would.
TEST_F(ToraCheckTest, ScreenshotsThatCannotBeUsed) {
  const std::string script = Write("s.txt", "T = {{\"按键\",\"A,1\"}}\n重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n");
  const std::string good = test::BuildBmp24(8, 8, test::PositionColour);
  for (const std::string& name : {Write("cut-short.bmp", good.substr(0, good.size() - 9)),
                                  Write("not-a-picture.bmp", "GIF89a"), Write("empty.bmp", ""),
                                  dir_ + "/missing.bmp", dir_}) {
    const CheckResult r = Check("--screenshot '" + name + "' '" + script + "'");
    EXPECT_EQ(r.status, 2) << name;
    EXPECT_TRUE(r.out.empty()) << name;
    EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
  }
  const std::string shot = Write("shot.bmp", good);
  CheckResult r = Check("--screen 800x600 --screenshot '" + shot + "' '" + script + "'");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--screen"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());

  // A picture of noise that the screen never shows, unthinned, over the
  // whole screen: counting every place would take hours.
  uint32_t seed = 7;
  const auto noise = [&seed](int32_t, int32_t) { return (seed = seed * 1103515245u + 12345u) >> 8; };
  Write("big.bmp", test::BuildBmp24(1280, 800, noise));
  Write("noise.bmp", test::BuildBmp24(500, 500, noise));
  const std::string heavy = Write("heavy.txt", "找图像条件(\"噪\",\"活动\",\"全屏\",0,\"noise.bmp\")\n"
                                               "T = {{\"按键\",\"A,1\"}}\n重复动作(\"T\",1,\"找图像条件(噪)\",\"0\",\"0\",0)\n");
  r = Check("--time-limit 3000 --screenshot '" + dir_ + "/big.bmp' '" + heavy + "'");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("on the screenshot took longer than 3000 ms"), std::string::npos) << r.err;
  EXPECT_TRUE(r.Has("\"conditions\":[{\"name\":" + Q("噪") + ",\"met\":false,\"found\":null,\"nearest\":null}]")) << r.out;
}

TEST_F(ToraCheckTest, HugeTableIsReadWhole) {
  std::string script = "T = {\n";
  for (int i = 0; i < 20000; ++i) script += "{\"按键\",\"A+B,0.5\"},\n";
  script += "}\n重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n";
  const CheckResult r = CheckScript(script);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(r.Complete());
  EXPECT_EQ(r.Count("{\"mode\":1,\"keys\":[65,66],\"pause\":500}"), 20000u);
  EXPECT_TRUE(r.Has(",[1,19999]]}]"));
}

TEST_F(ToraCheckTest, HugeOrBinaryFilesDoNotCrash) {
  // 32 MiB of one comment line.
  CheckResult r = CheckScript("--" + std::string(32u << 20, 'x'));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.Complete());

  std::string noise(1u << 20, '\0');
  uint32_t seed = 12345;
  for (char& c : noise) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  r = CheckScript(noise);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(r.Has("\"status\":[" + Q(texts::kSyntaxError) + ",")) << r.out.substr(0, 300);

  // Strings full of NULs and broken GBK reach the reader unharmed.
  std::string script = "T = {{\"\xB0\",\"\xB0,";
  script += std::string(2, '\0');
  script += "\"},{\"粘贴文字\",\"\xB0\\\\r\\\\n\"},{\"按键\",\"";
  script += std::string(1, '\0');
  script += "+\xB0+A,1\"}}\n重复动作(\"T\",1,\"\xB0\",\"\xB0\",\"0\",0)\n";
  r = CheckScript(script);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.Complete()) << r.out;
  EXPECT_TRUE(r.Has("\"keys\":[0,176,65],\"pause\":1000}")) << r.out;
  EXPECT_EQ(r.Count("\"action_list\":"), 1u) << r.out;
}

}  // namespace
}  // namespace tora
