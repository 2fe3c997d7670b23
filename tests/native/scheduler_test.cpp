// The repeat workers and the step dispatcher over the simulated platform's
// virtual clock (every sleep advances the tick), and stops against the wall
// clock.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <thread>

#include "engine/scheduler.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "platform/sim/sim_platform.h"

namespace tora {
namespace {

constexpr uint32_t kRed = 0x000000FF;

class SchedulerTest : public ::testing::Test {
 protected:
  SchedulerTest() { reg.run_flag.Set(); }
  ~SchedulerTest() override { reg.run_flag.Clear(); }
  Platform& p() { return sim.platform(); }

  ActionStep Key(int32_t code, int32_t pause = 0) {
    KeyAction k;
    k.keys = {code};
    k.pause = pause;
    return ActionStep{StepType::Key, reg.key_steps.Append(k)};
  }
  ActionStep Move(CoordMode coord, int32_t x, int32_t y, int32_t pause = 0) {
    return ActionStep{StepType::Mouse, reg.mouse_steps.Append(MouseAction{coord, 0, 0, x, y, pause})};
  }
  int32_t List(std::vector<ActionStep> steps) {
    return reg.action_lists.Append(ActionList{reg.action_lists.Length(), std::move(steps)});
  }
  // Returns the task's id; references would not survive the next append.
  int32_t Task(int32_t list_id, int32_t interval = 0, int32_t count_limit = 0, int32_t condition = -1) {
    RepeatTask t;
    t.action_list_id = list_id;
    t.interval = interval;
    t.count_limit = count_limit;
    t.has_condition = condition >= 0;
    t.condition_id = condition;
    return reg.ordinary_tasks.Append(t);
  }
  RepeatTask& T(int32_t id) { return *reg.ordinary_tasks.Get(id); }
  bool Play(int32_t task) { return RunActionList(T(task), T(task).action_list_id, reg, p()); }
  void Pass(uint32_t now) { RunWorkerPass(reg.ordinary_tasks, now, reg, p()); }

  // Holds while a red pixel is on screen; found at that pixel.
  int32_t RedCondition() {
    ScreenCondition c;
    c.points = {ColorPoint{0, 0, kOpEqual, kRed}};
    c.search_in_rect = true;
    c.rect = Rect{0, 0, 640, 480};
    c.points_are_offsets = true;
    return reg.screen_conditions.Append(c);
  }
  void PaintRed(int32_t x, int32_t y) {
    Frame f;
    f.Resize(640, 480, 0);
    f.Set(x, y, kRed);
    sim.SetScreen(f);
  }

  // Key downs and cursor moves as text, with the tick of each: "65@1000 c7,8@1510".
  std::string Log(bool ticks = false) {
    std::string out;
    for (const InputEvent& e : sim.Events()) {
      std::string item;
      if (e.kind == InputEvent::KeyDown) item = std::to_string(e.code);
      else if (e.kind == InputEvent::Post && e.message == KeyMessage::KeyDown) item = "p" + std::to_string(e.code);
      else if (e.kind == InputEvent::Cursor) item = "c" + std::to_string(e.x) + "," + std::to_string(e.y);
      else continue;
      if (ticks) item += "@" + std::to_string(e.tick);
      out += (out.empty() ? "" : " ") + item;
    }
    return out;
  }
  size_t Downs() {
    size_t n = 0;
    for (const InputEvent& e : sim.Events()) n += e.kind == InputEvent::KeyDown;
    return n;
  }
  // Runs a worker until another thread has seen `downs` key presses.
  void RunWorkerUntil(size_t downs, TaskListKind kind = TaskListKind::Ordinary) {
    std::thread worker([&] { RunRepeatWorker(kind, reg, p()); });
    while (Downs() < downs) std::this_thread::yield();
    reg.run_flag.Clear();
    worker.join();
  }

  SimPlatform sim;
  ActionRegistry reg;
};

TEST_F(SchedulerTest, PlaysStepsInOrderWithTheirPauses) {
  sim.SetTick(1000);
  const int32_t t = Task(List({Key(65, 500), Move(CoordMode::Absolute, 7, 8, 250), Key(66, -3000), Key(67)}));
  EXPECT_TRUE(Play(t));
  // Each step: its 10 ms gap, then its pause; a negative pause counts as none.
  EXPECT_EQ(Log(true), "65@1000 c7,8@1510 66@1770 67@1780");
}

TEST_F(SchedulerTest, SkipsWhatResolvesToNothingAndStopsOnAClearFlag) {
  const int32_t t = Task(List({ActionStep{StepType::Key, 99}, ActionStep{StepType::Mouse, -1},
                               ActionStep{StepType::Branch, 5}, ActionStep{StepType::PasteText, 3},
                               ActionStep{StepType::OpenUrl, 1}, ActionStep{static_cast<StepType>(9), 0},
                               Key(67)}));
  EXPECT_TRUE(Play(t));
  EXPECT_EQ(Log(), "67");
  EXPECT_TRUE(RunActionList(T(t), 42, reg, p()));

  reg.run_flag.Clear();
  EXPECT_FALSE(Play(t));
  EXPECT_FALSE(RunWorkerPass(reg.ordinary_tasks, 100, reg, p()));
  EXPECT_EQ(Log(), "67");
}

TEST_F(SchedulerTest, BoundTaskPostsKeysToItsRuleWindowAndWaitsForIt) {
  const WindowHandle window = sim.AddWindow("目标", "Target", Rect{0, 0, 100, 100});
  WindowRule rule;
  rule.window.Store(window);
  reg.window_rules.Append(rule);
  const int32_t t = Task(List({Key(65), Move(CoordMode::Absolute, 1, 1)}), 100, 5);
  T(t).has_window = true;
  T(t).window_rule_id = 0;
  Play(t);
  EXPECT_EQ(Log(), "p65 c1,1");  // the mouse stays system-wide
  EXPECT_EQ(sim.Events()[0].window, window);

  // Played directly without a window, a list goes to the foreground; but a
  // worker's pass waits for the window, uses no try, and plays once it has
  // come back.
  sim.ClearEvents();
  reg.window_rules.Get(0)->window.Store(0);
  Play(t);
  EXPECT_EQ(Log(), "65 c1,1");
  sim.ClearEvents();
  Pass(1000);
  sim.CloseWindow(window);
  reg.window_rules.Get(0)->window.Store(window);
  Pass(1100);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(T(t).tries, 0);
  EXPECT_EQ(T(t).next_run, 1200u);
  const WindowHandle reopened = sim.AddWindow("目标", "Target", Rect{0, 0, 100, 100});
  reg.window_rules.Get(0)->window.Store(reopened);
  Pass(1200);
  EXPECT_EQ(Log(), "p65 c1,1");
  EXPECT_EQ(T(t).tries, 1);
}

TEST_F(SchedulerTest, RelativeMouseStepsStartFromTheFoundPointAndClamp) {
  const int32_t max = std::numeric_limits<int32_t>::max(), min = std::numeric_limits<int32_t>::min();
  const int32_t t = Task(List({Move(CoordMode::Relative, 5, -5), Move(CoordMode::Absolute, 5, -5)}));
  Play(t);  // an ungated task starts from the origin
  T(t).found_point = Point{10, 20};
  Play(t);
  const int32_t far = Task(List({Move(CoordMode::Relative, max, min)}));
  T(far).found_point = Point{100, -100};
  Play(far);
  EXPECT_EQ(Log(), "c5,-5 c5,-5 c15,15 c5,-5 c" + std::to_string(max) + "," + std::to_string(min));
}

TEST_F(SchedulerTest, PasteAndOpenUrlSteps) {
  const int32_t paste = reg.paste_text_steps.Append(PasteTextAction{"你好\r\n", 100});
  reg.open_url_steps.Append(OpenUrlAction{"http://a.example/", 0});
  const int32_t url = reg.open_url_steps.Append(OpenUrlAction{"http://b.example/", 200});
  const int32_t t = Task(List({ActionStep{StepType::PasteText, paste}, ActionStep{StepType::OpenUrl, url}}));
  EXPECT_TRUE(Play(t));
  EXPECT_EQ(sim.Clipboard(), "你好\r\n");
  EXPECT_TRUE(sim.Events().empty());  // pasting presses no key
  EXPECT_EQ(sim.OpenUrlRequests(), 1);
  EXPECT_EQ(reg.open_url.Get().url, "http://b.example/");
  EXPECT_EQ(reg.open_url.Get().requested_id, url);
  EXPECT_EQ(sim.SleptMs(), 300u);
  // A clipboard that cannot be opened does not end the list.
  sim.clipboard_fails = true;
  EXPECT_TRUE(Play(t));
  EXPECT_EQ(sim.OpenUrlRequests(), 2);
}

TEST_F(SchedulerTest, PassSchedulesFromItsStartAndCountsTries) {
  const int32_t t = Task(List({Key(65, 300)}), 1000);
  Task(List({Key(66)}), 0, 2);
  Pass(5000);
  EXPECT_EQ(T(t).next_run, 6000u);  // not 5310, when the task finished
  EXPECT_EQ(T(t).tries, 0);         // no limit, no counting
  Pass(5999);
  Pass(6000);
  EXPECT_EQ(Log(), "65 66 66 65");
  EXPECT_EQ(T(1).tries, 2);
}

TEST_F(SchedulerTest, DueTestSurvivesTheTickWrap) {
  const int32_t t = Task(List({Key(65)}), 0x200);
  Pass(0xFFFFFF00u);  // a new task is due at once, also past half the range
  EXPECT_EQ(T(t).next_run, 0x100u);
  Pass(0xFFFFFFF0u);  // the wrapped due tick lies ahead ...
  Pass(0x0FFu);
  EXPECT_EQ(Downs(), 1u);
  Pass(0x100u);       // ... and is reached after the wrap
  EXPECT_EQ(Downs(), 2u);
}

TEST_F(SchedulerTest, GatedTaskUsesATryPerDueTestMatchedOrNot) {
  PaintRed(-1, -1);  // nothing red
  const int32_t t = Task(List({Key(65)}), 0, 3, RedCondition());
  const int32_t dangling = Task(List({Key(66)}), 0, 1, 9);
  for (uint32_t now = 100; now < 1000; now += 100) Pass(now);
  EXPECT_EQ(sim.CaptureCount(), 3);
  EXPECT_EQ(T(t).tries, 3);
  EXPECT_EQ(T(dangling).tries, 1);
  EXPECT_TRUE(sim.Events().empty());
}

// A condition tested for a minute without holding once is said in the status
// list, once a run, with the task's script line; a task whose condition has
// held, or has been tested for less than a minute, says nothing.
TEST_F(SchedulerTest, AConditionThatNeverHoldsIsSaidOnceAfterAMinute) {
  PaintRed(10, 10);
  const int32_t red = RedCondition();
  reg.screen_conditions.Get(red)->name = "红点";
  const int32_t held = Task(List({Key(65)}), 1000, 0, red);
  Pass(5000);
  PaintRed(-1, -1);
  const int32_t never = Task(List({Key(66)}), 1000, 0, red);
  T(never).script_line = 12;
  const std::string said = Format(texts::kNeverHeldAtLine, 12, "红点", 60);
  for (uint32_t now = 6000; now < 66000; now += 1000) Pass(now);
  EXPECT_TRUE(sim.Status().empty());  // 59 s after the first test of the task
  Pass(66000);
  EXPECT_EQ(sim.Status(), std::vector<std::string>{said});
  for (uint32_t now = 67000; now < 200000; now += 1000) Pass(now);
  EXPECT_EQ(sim.Status(), std::vector<std::string>{said});
  EXPECT_EQ(Log(), "65");
  EXPECT_FALSE(T(held).never_held_said);
}

TEST_F(SchedulerTest, GatedTaskCopiesTheMatchIntoItsFoundPoint) {
  PaintRed(300, 400);
  const int32_t t = Task(List({Move(CoordMode::Relative, 2, 3)}), 0, 0, RedCondition());
  Pass(100);
  EXPECT_EQ(T(t).found_point, (Point{300, 400}));
  EXPECT_EQ(Log(), "c302,403");
}

TEST_F(SchedulerTest, MatchingBranchRunsNestedListThenContinuesFromItsPoint) {
  const int32_t nested = List({Key(66)});
  const int32_t branch = reg.branch_actions.Append(BranchAction{"分支", nested, RedCondition()});
  const int32_t t = Task(List({Key(65), ActionStep{StepType::Branch, branch}, Move(CoordMode::Relative, 1, 1)}));
  PaintRed(50, 60);
  T(t).found_point = Point{1000, 1000};
  EXPECT_TRUE(Play(t));
  EXPECT_EQ(Log(), "65 66 c51,61");

  // Without a match the nested list is skipped and the point stays.
  PaintRed(-1, -1);
  T(t).found_point = Point{1000, 1000};
  sim.ClearEvents();
  EXPECT_TRUE(Play(t));
  EXPECT_EQ(Log(), "65 c1001,1001");
}

TEST_F(SchedulerTest, ABranchCycleDoesNotRecurseForever) {
  PaintRed(5, 5);
  // A list that branches into itself: scripts cannot build it, a hand-made
  // registry can.
  const int32_t list = reg.action_lists.Length();
  const int32_t branch = reg.branch_actions.Append(BranchAction{"环", list, RedCondition()});
  List({Key(65), ActionStep{StepType::Branch, branch}});
  EXPECT_TRUE(Play(Task(list)));
  EXPECT_EQ(Log(), "65 65");
}

TEST_F(SchedulerTest, WorkerRunsTasksByIntervalOnTheVirtualClock) {
  sim.SetTick(1000);
  Task(List({Key(65)}), 100);
  Task(List({Key(66, 300)}), 100, 2);  // longer than its interval: again on the next pass
  RunWorkerUntil(6);
  // Passes at 1000, 1330 (10 + 10 + 300 + 10 later) and 1660 (the same);
  // then the short task alone, every 100 ms.
  const std::string expected = "65@1000 66@1010 65@1330 66@1340 65@1660 65@1760";
  EXPECT_EQ(Log(true).substr(0, expected.size()), expected);
}

TEST_F(SchedulerTest, PriorityWorkerWalksOnlyItsOwnList) {
  RepeatTask once;
  once.action_list_id = List({Key(70)});
  once.count_limit = 1;
  reg.priority_tasks.Append(once);
  Task(List({Key(71)}));
  RunWorkerUntil(1, TaskListKind::Priority);
  EXPECT_EQ(Log(), "70");
}

// What StopScript does: clear the flag, then wait until no step is in flight.
void Stop(ActionRegistry& reg) {
  reg.run_flag.Clear();
  while (!reg.run_flag.StepsIdle()) std::this_thread::yield();
}

TEST_F(SchedulerTest, StopDuringALongPauseEndsTheWorkerAtOnce) {
  sim.UseRealTime(true);
  Task(List({Key(65, 60000), Key(66)}));
  std::thread worker([&] { RunRepeatWorker(TaskListKind::Ordinary, reg, p()); });
  while (sim.Events().size() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const auto before = std::chrono::steady_clock::now();
  Stop(reg);
  worker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  EXPECT_EQ(Log(), "65");
}

TEST_F(SchedulerTest, NoStepRunsAfterAStopHasReturned) {
  sim.UseRealTime(true);
  std::vector<ActionStep> steps;
  for (int i = 0; i < 50; ++i) steps.push_back(Key(65 + i % 26));
  Task(List(steps));
  std::thread worker([&] { RunRepeatWorker(TaskListKind::Ordinary, reg, p()); });
  while (Downs() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  Stop(reg);
  const size_t after_stop = sim.Events().size();
  worker.join();
  EXPECT_EQ(sim.Events().size(), after_stop);
  EXPECT_EQ(after_stop % 2, 0u);  // the step in flight released its key
}

}  // namespace
}  // namespace tora
