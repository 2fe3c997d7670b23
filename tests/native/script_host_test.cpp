// The script host over the simulated platform: the ways a start can end,
// what the status list and setup.ini show, and what reaches the workers.
#include "engine/script_host.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/text_util.h"
#include "engine/texts.h"
#include "platform/text.h"
#include "platform/sim/sim_platform.h"
#include "tests/native/temp_folder.h"

namespace tora {
namespace {

using Lines = std::vector<std::string>;

class ScriptHostTest : public ::testing::Test {
 protected:
  ScriptHostTest() : host_(registry_, sim_.platform()) { sim_.RunThreads(false); }

  void SetUp() override { ASSERT_TRUE(folder_.ok()); }

  // Writes the script and makes it the one the main window names.
  std::string Use(const std::string& gbk, const std::string& name = "script.txt") {
    const std::string path = folder_.Write(name, gbk);
    sim_.SetScriptPath(path);
    return path;
  }

  std::string LastScript() {
    return sim_.Profile("C:\\tora\\setup.ini", texts::kSetupSection, texts::kSetupKeyScript);
  }

  // The line that follows the runtime-error line.
  std::string ErrorLine() {
    const Lines status = sim_.Status();
    for (size_t i = 0; i + 1 < status.size(); ++i)
      if (status[i] == texts::kRuntimeError) return status[i + 1];
    return "(no runtime error shown)";
  }

  Lines RunningLines() { return Lines{texts::kRunningLine, texts::kHintLine, texts::kHintTargetLine}; }

  SimPlatform sim_;
  ActionRegistry registry_;
  ScriptHost host_;
  tora::testing::TempFolder folder_{"tora_host"};
  const std::string& dir_ = folder_.path();
};

const char kOneTask[] = "T = {{\"按键\",\"A,0\"}}\n重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n";

TEST_F(ScriptHostTest, EmptyPathAsksForAScript) {
  Use(kOneTask);
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  sim_.SetScriptPath("");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::NoPath);
  // The list was cleared all the same, and the previous run's records went.
  EXPECT_EQ(sim_.Status(), Lines{});
  EXPECT_TRUE(registry_.ordinary_tasks.Empty());
  ASSERT_EQ(sim_.Messages().size(), 1u);
  EXPECT_EQ(sim_.Messages()[0].text, texts::kNoScriptPath);
  EXPECT_EQ(sim_.Messages()[0].caption, texts::kAppTitle);
  EXPECT_EQ(sim_.Messages()[0].owner, MessageOwner::MainWindow);
  EXPECT_FALSE(host_.Running());
}

TEST_F(ScriptHostTest, MissingAndEmptyFilesLeaveSetupIniAlone) {
  sim_.SetScriptPath(dir_ + "/没有.txt");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::NotFound);
  Use("");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Empty);
  // A directory is no script either.
  sim_.SetScriptPath(dir_);
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::NotFound);
  const auto messages = sim_.Messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].text, texts::kScriptNotFound);
  EXPECT_EQ(messages[1].text, texts::kScriptEmpty);
  EXPECT_EQ(messages[2].text, texts::kScriptNotFound);
  EXPECT_EQ(LastScript(), "");
  EXPECT_EQ(sim_.Status(), Lines{});
}

TEST_F(ScriptHostTest, SyntaxErrorShowsItsLineAndStaysIdle) {
  const std::string path = Use("x = 1\ny = 2\nz = = 3\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::SyntaxError);
  const Lines status = sim_.Status();
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[0], texts::kSyntaxError);
  EXPECT_EQ(status[1].rfind(std::string(texts::kErrorLinePrefix) + "3:", 0), 0u) << status[1];
  // Written once the file was found, before it was loaded.
  EXPECT_EQ(LastScript(), path);
  EXPECT_FALSE(host_.Running());
  EXPECT_FALSE(sim_.running_controls());
  EXPECT_TRUE(sim_.Messages().empty());
}

// A script saved as UTF-8 runs as the same characters; one holding a
// character GBK cannot hold names its line instead of running garbled.
TEST_F(ScriptHostTest, Utf8ScriptsRunAsTheirCharacters) {
  // The task of kOneTask, written in UTF-8 (the literals here are GBK).
  Use(GbkToUtf8(kOneTask), "utf8.txt");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(registry_.ordinary_tasks.Length(), 1);
  host_.StopScript();

  Use("\xEF\xBB\xBF" + GbkToUtf8("-- 注释\n") + "x = 1\n-- \xE0\xB8\x81\n", "thai.txt");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::SyntaxError);
  const Lines status = sim_.Status();
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[1], std::string(texts::kErrorLinePrefix) + Format(texts::kNotGbkLine, 3));
}

TEST_F(ScriptHostTest, SyntaxErrorLineSurvivesLongPathsAndAFirstLineComment) {
  // The interpreter shortens a long chunk name to "..." and its tail; a
  // first line starting with '#' is skipped but still counted.
  for (const auto& [script, line] : {std::pair<const char*, const char*>{"\n\n\n\nlocal = 1\n", "5:"},
                                     std::pair<const char*, const char*>{"#!tora\nx = 1\ny = = 2\n", "3:"}}) {
    SCOPED_TRACE(script);
    Use(script, std::string(120, 'd') + "_脚本.txt");
    EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::SyntaxError);
    const Lines status = sim_.Status();
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(status[1].rfind(std::string(texts::kErrorLinePrefix) + line, 0), 0u) << status[1];
  }
}

// The editor saves CR CR LF; other editors CR LF or LF, and a lone CR ends a
// line in the editor too. Error and warning lines count lines as the editor
// and Notepad show them, whichever the file holds.
TEST_F(ScriptHostTest, LinesCountAsTheEditorShowsThem) {
  Use("x = 1\r\r\ny = 2\r\nz = 3\nw = 4\rv = = 5\r\r\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::SyntaxError);
  ASSERT_EQ(sim_.Status().size(), 2u);
  EXPECT_EQ(sim_.Status()[1].rfind(std::string(texts::kErrorLinePrefix) + "5:", 0), 0u) << sim_.Status()[1];

  Use("-- 第一行\r\r\ns = [[a\r\r\nb]]\r\r\n窗口操作(\"n\",s,\"斜角\",\"置顶\",0,0,1)\r\r\n");
  host_.RunScript();
  ASSERT_EQ(host_.Warnings().size(), 1u);
  EXPECT_EQ(host_.Warnings()[0].rfind(Format(texts::kWarnAtLine, 4, texts::kFnWindowOperation, ""), 0), 0u)
      << host_.Warnings()[0];
  // A line break inside a long string is one, as the editor shows it.
  EXPECT_EQ(registry_.window_rules.Get(0)->window_text, "a\nb");
  host_.StopScript();
}

TEST_F(ScriptHostTest, NothingRunnableStops) {
  Use("local x = 1\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(sim_.Status(), (Lines{texts::kStoppedLine, texts::kNothingRuns}));
  EXPECT_EQ(sim_.title(), texts::kAppTitle);
  EXPECT_FALSE(host_.Running());
  EXPECT_FALSE(sim_.running_controls());
  EXPECT_TRUE(sim_.StartedPriorities().empty());
}

TEST_F(ScriptHostTest, ARunShowsItsLinesAndStopPutsThemBack) {
  Use(kOneTask);
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_TRUE(host_.Running());
  EXPECT_EQ(sim_.Status(), RunningLines());
  EXPECT_EQ(sim_.title(), texts::kRunningTitle);
  EXPECT_TRUE(sim_.running_controls());
  host_.StopScript();
  EXPECT_FALSE(host_.Running());
  EXPECT_EQ(sim_.Status(), (Lines{texts::kStoppedLine, texts::kHintLine, texts::kHintTargetLine}));
  EXPECT_EQ(sim_.title(), texts::kAppTitle);
  EXPECT_FALSE(sim_.running_controls());
  // The records stay until the next start.
  EXPECT_EQ(registry_.ordinary_tasks.Length(), 1);
}

TEST_F(ScriptHostTest, RuntimeErrorRunsWhatWasRegistered) {
  Use(std::string(kOneTask) + "error(\"kaputt\")\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_TRUE(host_.Running());
  const Lines status = sim_.Status();
  ASSERT_EQ(status.size(), 5u);
  EXPECT_EQ(status[0], texts::kRuntimeError);
  EXPECT_EQ(status[1], std::string(texts::kErrorLinePrefix) + "3: kaputt");
  EXPECT_EQ(Lines(status.begin() + 2, status.end()), RunningLines());
  EXPECT_EQ(registry_.ordinary_tasks.Length(), 1);
  EXPECT_EQ(sim_.StartedPriorities().size(), 1u);
}

TEST_F(ScriptHostTest, ErrorObjectsThatAreNoStrings) {
  Use(std::string(kOneTask) + "error({})\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_NE(ErrorLine().find("table"), std::string::npos) << ErrorLine();
  Use(std::string(kOneTask) + "error()\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_NE(ErrorLine().find("nil"), std::string::npos) << ErrorLine();
}

TEST_F(ScriptHostTest, CpuPriorityReachesEveryWorker) {
  const struct {
    const char* text;
    ThreadPriority priority;
  } cases[] = {
      {"高", ThreadPriority::Highest},     {"标准", ThreadPriority::Normal}, {"低", ThreadPriority::BelowNormal},
      {"最低", ThreadPriority::Lowest},    {"", ThreadPriority::Normal},     {"高 ", ThreadPriority::Normal},
  };
  Use("T = {{\"按键\",\"A,0\"}}\n重复动作(\"T\",1,\"0\",\"0\",\"优先\",0)\n重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n");
  size_t seen = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    sim_.SetCpuPriorityText(c.text);
    ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
    const auto started = sim_.StartedPriorities();
    ASSERT_EQ(started.size(), seen + 2);
    EXPECT_EQ(started[seen], c.priority);
    EXPECT_EQ(started[seen + 1], c.priority);
    seen = started.size();
    host_.StopScript();
  }
  // Only a list with tasks gets a worker.
  Use("T = {{\"按键\",\"A,0\"}}\n重复动作(\"T\",1,\"0\",\"0\",\"优先\",0)\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(sim_.StartedPriorities().size(), seen + 1);
}

TEST_F(ScriptHostTest, SumShowsTheTruncatedTotal) {
  // 中文 hands its two arguments back: the task exists only if they came.
  Use("T = {{\"按键\",\"A,0\"}}\n"
      "local a, b = 中文(2.7, 3.9)\n"
      "if a == 2.7 and b == 3.9 then 重复动作(\"T\",1,\"0\",\"0\",\"0\",0) end\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  const auto messages = sim_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "5");
  EXPECT_EQ(messages[0].caption, texts::kSumCaption);
  EXPECT_EQ(messages[0].owner, MessageOwner::None);
  EXPECT_EQ(registry_.ordinary_tasks.Length(), 1);
}

TEST_F(ScriptHostTest, SumOfNumbersOnly) {
  Use("中文(\"2\", -3.5)\n中文(\"x\", 1)\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  ASSERT_EQ(sim_.Messages().size(), 1u);
  EXPECT_EQ(sim_.Messages()[0].text, "-1");
  EXPECT_NE(ErrorLine().find(texts::kSumFirstNotNumber), std::string::npos) << ErrorLine();
  Use("中文(1)\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_NE(ErrorLine().find(texts::kSumSecondNotNumber), std::string::npos) << ErrorLine();
  // The total wraps as a 32-bit sum would, without undefined overflow.
  Use("中文(2147483647, 1)\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(sim_.Messages().back().text, "-2147483648");
}

TEST_F(ScriptHostTest, WaitSleepsTruncatedMilliseconds) {
  Use("等待(\"abc\")\n等待(-5)\n等待(0/0)\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(sim_.SleptMs(), 0u);
  Use("等待(1500.9)\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(sim_.SleptMs(), 1500u);
  Use("等待(\"20\")\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(sim_.SleptMs(), 1520u);
}

TEST_F(ScriptHostTest, StopRequestEndsAnEndlessScriptWithoutARun) {
  for (const char* loop : {"while true do end\n", "while true do pcall(function() while true do end end) end\n",
                           "等待(2000000000)\n", "while true do 中文(1,2) end\n"}) {
    SCOPED_TRACE(loop);
    Use(std::string(kOneTask) + loop);
    sim_.stop_requested = true;
    const size_t workers = sim_.StartedPriorities().size();
    EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
    sim_.stop_requested = false;
    const Lines status = sim_.Status();
    ASSERT_EQ(status.size(), 3u);
    EXPECT_EQ(status[0], texts::kStoppedLine);
    EXPECT_EQ(status[1], texts::kRuntimeError);
    EXPECT_EQ(status[2].rfind(std::string(texts::kErrorLinePrefix) + "3:", 0), 0u) << status[2];
    EXPECT_NE(status[2].find(texts::kStopRequestedError), std::string::npos) << status[2];
    EXPECT_FALSE(host_.Running());
    EXPECT_EQ(sim_.StartedPriorities().size(), workers);
    EXPECT_EQ(sim_.title(), texts::kAppTitle);
    EXPECT_TRUE(sim_.Messages().empty());  // no box shown once the stop was asked for
  }
}

TEST_F(ScriptHostTest, TimeLimitEndsTheScriptButNotTheRun) {
  host_.SetScriptTimeLimit(50);
  Use(std::string(kOneTask) + "while true do end\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_TRUE(host_.TimedOut());
  EXPECT_NE(ErrorLine().find(texts::kScriptTimedOut), std::string::npos) << ErrorLine();
  Use(kOneTask);
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_FALSE(host_.TimedOut());
}

TEST_F(ScriptHostTest, SecondStartDiscardsTheFirstRun) {
  Use("T = {{\"按键\",\"A,0\"},{\"按键\",\"B,0\"}}\n"
      "重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n重复动作(\"T\",1,\"0\",\"0\",\"优先\",0)\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  ASSERT_EQ(registry_.key_steps.Length(), 4);
  host_.StopScript();
  Use("U = {{\"按键\",\"C,0\"}}\n重复动作(\"U\",1,\"0\",\"0\",\"0\",0)\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(registry_.key_steps.Length(), 1);
  EXPECT_EQ(registry_.action_lists.Length(), 1);
  EXPECT_TRUE(registry_.priority_tasks.Empty());
  ASSERT_EQ(registry_.ordinary_tasks.Length(), 1);
  EXPECT_EQ(registry_.ordinary_tasks.Get(0)->action_list_id, 0);
  EXPECT_EQ(registry_.key_steps.Get(0)->keys, (std::vector<int32_t>{'C'}));
  // Globals of the first script are gone with its interpreter.
  Use("if T == nil then 重复动作(\"U\",1,\"0\",\"0\",\"0\",0) end\nU = {{\"按键\",\"C,0\"}}\n");
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_NE(ErrorLine().find("attempt to index"), std::string::npos) << ErrorLine();
}

TEST_F(ScriptHostTest, PrecompiledChunksAreRefused) {
  Use(std::string("\x1bLua\x52\x00\x01\x04\x08\x04\x08\x00", 12), "c.txt");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::SyntaxError);
  ASSERT_EQ(sim_.Status().size(), 2u);
  EXPECT_EQ(sim_.Status()[0], texts::kSyntaxError);
}

TEST_F(ScriptHostTest, ScriptCannotTakeAwayTheStopHook) {
  Use(std::string(kOneTask) + "pcall(debug.sethook)\nwhile true do end\n");
  sim_.stop_requested = true;
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_NE(ErrorLine().find(texts::kStopRequestedError), std::string::npos) << ErrorLine();
  EXPECT_FALSE(host_.Running());
}

TEST_F(ScriptHostTest, ScriptCannotEndTheProgram) {
  Use(std::string(kOneTask) + "os.exit(3)\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_NE(ErrorLine().find("os.exit"), std::string::npos) << ErrorLine();
  EXPECT_TRUE(host_.Running());
}

TEST_F(ScriptHostTest, PrecompiledCodeCannotBeLoadedFromAScript) {
  const std::string binary = folder_.Write("binary.lua", "\x1bLua\x52" + std::string(40, '\xff'));
  // Each check leaves a task only when it holds; the last line counts them.
  Use("T = {{\"按键\",\"A,0\"}}\n"
      "local function task() 重复动作(\"T\",1,\"0\",\"0\",\"0\",0) end\n"
      "local dumped = string.dump(function() return 1 end)\n"
      "if load(dumped) == nil then task() end\n"
      "if load(dumped, \"x\", \"b\") == nil then task() end\n"
      "if loadstring(dumped) == nil then task() end\n"
      "if loadfile(\"" + binary + "\") == nil then task() end\n"
      "if loadfile(\"" + binary + "\", \"bt\", {}) == nil then task() end\n"
      "if not pcall(dofile, \"" + binary + "\") then task() end\n"
      "package.path = \"" + dir_ + "/?.lua\"\n"
      "if not pcall(require, \"binary\") then task() end\n"
      // Source text still loads, with or without an environment.
      "if load(\"return 1 + 1\")() == 2 then task() end\n"
      "if load(\"return x\", \"c\", \"bt\", {x = 5})() == 5 then task() end\n"
      "if select(\"#\", load(\"return ...\")(1, 2)) == 2 then task() end\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(registry_.ordinary_tasks.Length(), 10) << ErrorLine();
}

TEST_F(ScriptHostTest, RequireStillFindsSourceModules) {
  const std::string module = folder_.Write("helper.lua", "return {{\"按键\",\"M,0\"}}\n");
  Use("package.path = \"" + dir_ + "/?.lua\"\n"
      "M = require(\"helper\")\n"
      "if dofile(\"" + module + "\")[1][1] == \"按键\" then 重复动作(\"M\",1,\"0\",\"0\",\"0\",0) end\n");
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  ASSERT_EQ(registry_.key_steps.Length(), 1) << ErrorLine();
  EXPECT_EQ(registry_.key_steps.Get(0)->keys, (std::vector<int32_t>{'M'}));
}

TEST_F(ScriptHostTest, EmptiedRegistryTableDoesNotLoseTheRun) {
  // The script functions find their run without the interpreter's registry.
  Use("local r = debug.getregistry()\n"
      "for k in pairs(r) do if type(k) == \"userdata\" then r[k] = nil end end\n"
      + std::string(kOneTask));
  EXPECT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_EQ(registry_.ordinary_tasks.Length(), 1) << ErrorLine();
}

}  // namespace
}  // namespace tora
