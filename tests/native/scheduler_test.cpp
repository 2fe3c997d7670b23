// The repeat workers and the step dispatcher over the simulated platform's
// virtual clock (every sleep advances the tick), plus a few runs against the
// wall clock for stopping.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <thread>

#include "engine/scheduler.h"
#include "platform/sim/sim_platform.h"

namespace tora {
namespace {

constexpr uint32_t kRed = 0x000000FF;

class SchedulerTest : public ::testing::Test {
 protected:
  SchedulerTest() { reg.run_flag.Set(); }
  ~SchedulerTest() override { reg.run_flag.Clear(); }

  Platform& p() { return sim.platform(); }

  ActionStep Key(int32_t code, int32_t pause = 0, KeyMode mode = KeyMode::Press) {
    KeyAction k;
    k.mode = mode;
    k.keys = {code};
    k.pause = pause;
    return ActionStep{StepType::Key, reg.key_steps.Append(k)};
  }
  ActionStep Mouse(CoordMode coord, int32_t x, int32_t y, int32_t pause = 0) {
    MouseAction m;
    m.coord = coord;
    m.press = kMouseLeftDown;
    m.release = kMouseLeftUp;
    m.x = x;
    m.y = y;
    m.pause = pause;
    return ActionStep{StepType::Mouse, reg.mouse_steps.Append(m)};
  }
  int32_t List(std::vector<ActionStep> steps) {
    ActionList list;
    list.id = reg.action_lists.Length();
    list.steps = std::move(steps);
    return reg.action_lists.Append(list);
  }
  RepeatTask& Task(int32_t list_id, int32_t interval = 0, int32_t count_limit = 0) {
    RepeatTask t;
    t.action_list_id = list_id;
    t.interval = interval;
    t.count_limit = count_limit;
    return *reg.ordinary_tasks.Get(reg.ordinary_tasks.Append(t));
  }
  // A condition that holds while the screen shows a red pixel somewhere in
  // the rectangle; it is found at that pixel.
  int32_t RedCondition(const std::string& name) {
    ScreenCondition c;
    c.name = name;
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
  std::vector<InputEvent> Of(InputEvent::Kind kind) {
    std::vector<InputEvent> out;
    for (const auto& e : sim.Events())
      if (e.kind == kind) out.push_back(e);
    return out;
  }

  SimPlatform sim;
  ActionRegistry reg;
};

TEST_F(SchedulerTest, PlaysStepsInOrderWithTheirPauses) {
  RepeatTask& task = Task(List({Key(65, 500), Mouse(CoordMode::Absolute, 7, 8, 250), Key(66)}));
  const uint32_t start = sim.Tick();
  EXPECT_TRUE(RunActionList(task, task.action_list_id, reg, p()));
  const auto downs = Of(InputEvent::KeyDown);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].code, 65);
  EXPECT_EQ(downs[1].code, 66);
  const auto cursor = Of(InputEvent::Cursor);
  ASSERT_EQ(cursor.size(), 1u);
  EXPECT_EQ(cursor[0].x, 7);
  EXPECT_EQ(cursor[0].y, 8);
  // key gap + pause, mouse gap + pause
  EXPECT_EQ(cursor[0].tick - start, 10u + 500u);
  EXPECT_EQ(downs[1].tick - start, 10u + 500u + 10u + 250u);
}

TEST_F(SchedulerTest, NegativePausesCountAsNothing) {
  RepeatTask& task = Task(List({Key(65, -3000), Key(66, -1)}));
  EXPECT_TRUE(RunActionList(task, task.action_list_id, reg, p()));
  EXPECT_EQ(sim.SleptMs(), 20u);
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 2u);
}

TEST_F(SchedulerTest, StepsAndListsThatResolveToNothingAreSkipped) {
  RepeatTask& task = Task(List({ActionStep{StepType::Key, 99}, ActionStep{StepType::Mouse, -1},
                                ActionStep{StepType::Branch, 5}, ActionStep{StepType::PasteText, 3},
                                ActionStep{StepType::OpenUrl, 1}, ActionStep{static_cast<StepType>(9), 0},
                                Key(67)}));
  EXPECT_TRUE(RunActionList(task, task.action_list_id, reg, p()));
  ASSERT_EQ(Of(InputEvent::KeyDown).size(), 1u);
  EXPECT_EQ(Of(InputEvent::KeyDown)[0].code, 67);
  EXPECT_TRUE(RunActionList(task, 42, reg, p()));
  EXPECT_TRUE(RunActionList(task, -1, reg, p()));
}

TEST_F(SchedulerTest, AClearedFlagEndsTheListBeforeAnyStep) {
  RepeatTask& task = Task(List({Key(65)}));
  reg.run_flag.Clear();
  EXPECT_FALSE(RunActionList(task, task.action_list_id, reg, p()));
  EXPECT_TRUE(sim.Events().empty());
}

TEST_F(SchedulerTest, BoundTaskPostsKeysToItsRuleWindow) {
  WindowRule rule;
  rule.name = "记事本";
  rule.window.Store(0x5000);
  const int32_t rule_id = reg.window_rules.Append(rule);
  RepeatTask& task = Task(List({Key(65), Mouse(CoordMode::Absolute, 1, 1)}));
  task.has_window = true;
  task.window_rule_id = rule_id;
  RunActionList(task, task.action_list_id, reg, p());
  const auto posts = Of(InputEvent::Post);
  ASSERT_EQ(posts.size(), 2u);
  EXPECT_EQ(posts[0].window, 0x5000u);
  EXPECT_TRUE(Of(InputEvent::KeyDown).empty());
  // Mouse input stays system-wide.
  EXPECT_EQ(Of(InputEvent::Mouse).size(), 2u);

  // A rule without a window yet, or a link to no rule: keys go to the foreground.
  reg.window_rules.Get(rule_id)->window.Store(0);
  sim.ClearEvents();
  RunActionList(task, task.action_list_id, reg, p());
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 1u);
  task.window_rule_id = 7;
  sim.ClearEvents();
  RunActionList(task, task.action_list_id, reg, p());
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 1u);
}

TEST_F(SchedulerTest, RelativeMouseStepsStartFromTheFoundPoint) {
  RepeatTask& task = Task(List({Mouse(CoordMode::Relative, 5, -5), Mouse(CoordMode::Absolute, 5, -5)}));
  // An ungated task starts at the origin.
  RunActionList(task, task.action_list_id, reg, p());
  task.found_point = Point{10, 20};
  RunActionList(task, task.action_list_id, reg, p());
  const auto cursor = Of(InputEvent::Cursor);
  ASSERT_EQ(cursor.size(), 4u);
  EXPECT_EQ(cursor[0].x, 5);
  EXPECT_EQ(cursor[0].y, -5);
  EXPECT_EQ(cursor[2].x, 15);
  EXPECT_EQ(cursor[2].y, 15);
  EXPECT_EQ(cursor[3].x, 5);
  EXPECT_EQ(cursor[3].y, -5);
}

TEST_F(SchedulerTest, HugeRelativeOffsetsClampInsteadOfOverflowing) {
  const int32_t max = std::numeric_limits<int32_t>::max();
  const int32_t min = std::numeric_limits<int32_t>::min();
  RepeatTask& task = Task(List({Mouse(CoordMode::Relative, max, min)}));
  task.found_point = Point{100, -100};
  RunActionList(task, task.action_list_id, reg, p());
  const auto cursor = Of(InputEvent::Cursor);
  ASSERT_EQ(cursor.size(), 1u);
  EXPECT_EQ(cursor[0].x, max);
  EXPECT_EQ(cursor[0].y, min);
}

TEST_F(SchedulerTest, PasteAndOpenUrlSteps) {
  PasteTextAction paste;
  paste.text = "你好\r\n";
  paste.pause = 100;
  const int32_t paste_id = reg.paste_text_steps.Append(paste);
  reg.open_url_steps.Append(OpenUrlAction{"http://a.example/", 0});
  OpenUrlAction url{"http://b.example/", 200};
  const int32_t url_id = reg.open_url_steps.Append(url);
  RepeatTask& task = Task(List({ActionStep{StepType::PasteText, paste_id}, ActionStep{StepType::OpenUrl, url_id}}));
  EXPECT_TRUE(RunActionList(task, task.action_list_id, reg, p()));
  EXPECT_EQ(sim.Clipboard(), "你好\r\n");
  EXPECT_TRUE(sim.Events().empty());  // pasting presses no key
  EXPECT_EQ(sim.OpenUrlRequests(), 1);
  const auto handed = reg.open_url.Get();
  EXPECT_EQ(handed.url, "http://b.example/");
  EXPECT_EQ(handed.requested_id, url_id);
  EXPECT_EQ(sim.SleptMs(), 300u);

  // A clipboard that cannot be opened does not stop the list.
  sim.clipboard_fails = true;
  EXPECT_TRUE(RunActionList(task, task.action_list_id, reg, p()));
  EXPECT_EQ(sim.OpenUrlRequests(), 2);
}

TEST_F(SchedulerTest, PassRunsDueTasksAndSchedulesFromThePassStart) {
  RepeatTask& task = Task(List({Key(65, 300)}), 1000);
  EXPECT_TRUE(RunWorkerPass(reg.ordinary_tasks, 5000, reg, p()));
  EXPECT_EQ(task.next_run, 6000u);  // not 5310, when the task finished
  EXPECT_EQ(task.tries, 0);         // no limit, no counting
  RunWorkerPass(reg.ordinary_tasks, 5999, reg, p());
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 1u);
  RunWorkerPass(reg.ordinary_tasks, 6000, reg, p());
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 2u);
}

TEST_F(SchedulerTest, CountLimitExhaustsATask) {
  Task(List({Key(65)}), 0, 2);
  Task(List({Key(66)}));
  for (uint32_t now = 100; now < 600; now += 100) RunWorkerPass(reg.ordinary_tasks, now, reg, p());
  int a = 0, b = 0;
  for (const auto& e : Of(InputEvent::KeyDown)) (e.code == 65 ? a : b)++;
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 5);
  EXPECT_EQ(reg.ordinary_tasks.Get(0)->tries, 2);
}

TEST_F(SchedulerTest, DueTestSurvivesTheTickWrap) {
  RepeatTask& task = Task(List({Key(65)}), 0x200);
  // A new task is due at once even with the counter past half its range.
  RunWorkerPass(reg.ordinary_tasks, 0xFFFFFF00u, reg, p());
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 1u);
  EXPECT_EQ(task.next_run, 0x100u);
  // Before the wrap the wrapped due tick lies in the future ...
  RunWorkerPass(reg.ordinary_tasks, 0xFFFFFFF0u, reg, p());
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 1u);
  RunWorkerPass(reg.ordinary_tasks, 0x0FFu, reg, p());
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 1u);
  // ... and is reached after it.
  RunWorkerPass(reg.ordinary_tasks, 0x100u, reg, p());
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 2u);
}

TEST_F(SchedulerTest, PassWithTheFlagClearRunsNothing) {
  Task(List({Key(65)}));
  reg.run_flag.Clear();
  EXPECT_FALSE(RunWorkerPass(reg.ordinary_tasks, 100, reg, p()));
  EXPECT_TRUE(sim.Events().empty());
}

TEST_F(SchedulerTest, GatedTaskUsesATryPerDueTestEvenWithoutMatch) {
  PaintRed(-1, -1);  // nothing red on screen
  RepeatTask& task = Task(List({Key(65)}), 0, 3);
  task.has_condition = true;
  task.condition_id = RedCondition("红点");
  for (uint32_t now = 100; now < 1000; now += 100) RunWorkerPass(reg.ordinary_tasks, now, reg, p());
  EXPECT_EQ(sim.CaptureCount(), 3);
  EXPECT_EQ(task.tries, 3);
  EXPECT_TRUE(sim.Events().empty());
}

TEST_F(SchedulerTest, GatedTaskCopiesTheMatchIntoItsFoundPoint) {
  PaintRed(300, 400);
  RepeatTask& task = Task(List({Mouse(CoordMode::Relative, 2, 3)}));
  task.has_condition = true;
  task.condition_id = RedCondition("红点");
  RunWorkerPass(reg.ordinary_tasks, 100, reg, p());
  EXPECT_EQ(task.found_point, (Point{300, 400}));
  const auto cursor = Of(InputEvent::Cursor);
  ASSERT_EQ(cursor.size(), 1u);
  EXPECT_EQ(cursor[0].x, 302);
  EXPECT_EQ(cursor[0].y, 403);
}

TEST_F(SchedulerTest, ConditionThatResolvesToNothingFailsTheTest) {
  RepeatTask& task = Task(List({Key(65)}), 0, 1);
  task.has_condition = true;
  task.condition_id = 3;
  RunWorkerPass(reg.ordinary_tasks, 100, reg, p());
  EXPECT_TRUE(sim.Events().empty());
  EXPECT_EQ(task.tries, 1);
}

TEST_F(SchedulerTest, MatchingBranchRunsNestedListThenContinuesFromItsPoint) {
  PaintRed(50, 60);
  const int32_t nested = List({Key(66)});
  const int32_t cond = RedCondition("分支");
  const int32_t branch = reg.branch_actions.Append(BranchAction{"分支", nested, cond});
  RepeatTask& task = Task(List({Key(65), ActionStep{StepType::Branch, branch}, Mouse(CoordMode::Relative, 1, 1)}));
  task.found_point = Point{1000, 1000};
  EXPECT_TRUE(RunActionList(task, task.action_list_id, reg, p()));
  const auto downs = Of(InputEvent::KeyDown);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].code, 65);
  EXPECT_EQ(downs[1].code, 66);
  const auto cursor = Of(InputEvent::Cursor);
  ASSERT_EQ(cursor.size(), 1u);
  EXPECT_EQ(cursor[0].x, 51);
  EXPECT_EQ(cursor[0].y, 61);

  // Without a match the nested list is skipped and the point stays.
  PaintRed(-1, -1);
  task.found_point = Point{1000, 1000};
  sim.ClearEvents();
  EXPECT_TRUE(RunActionList(task, task.action_list_id, reg, p()));
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 1u);
  ASSERT_EQ(Of(InputEvent::Cursor).size(), 1u);
  EXPECT_EQ(Of(InputEvent::Cursor)[0].x, 1001);
}

TEST_F(SchedulerTest, ABranchCycleDoesNotRecurseForever) {
  PaintRed(5, 5);
  const int32_t cond = RedCondition("环");
  // A list that branches into itself: scripts cannot build this, a
  // hand-made registry can.
  const int32_t list = reg.action_lists.Length();
  const int32_t branch = reg.branch_actions.Append(BranchAction{"环", list, cond});
  List({Key(65), ActionStep{StepType::Branch, branch}});
  RepeatTask& task = Task(list);
  EXPECT_TRUE(RunActionList(task, list, reg, p()));
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), 2u);
}

// The worker loop on the virtual clock: another thread ends it once enough
// has happened.
void RunWorkerUntil(ActionRegistry& reg, SimPlatform& sim, size_t downs, std::function<void()> body = {}) {
  if (!body) body = [&] { RunRepeatWorker(TaskListKind::Ordinary, reg, sim.platform()); };
  std::thread worker(body);
  for (;;) {
    size_t n = 0;
    for (const auto& e : sim.Events()) n += e.kind == InputEvent::KeyDown;
    if (n >= downs) break;
    std::this_thread::yield();
  }
  reg.run_flag.Clear();
  worker.join();
}

TEST_F(SchedulerTest, WorkerRunsATaskEveryIntervalOnTheVirtualClock) {
  Task(List({Key(65)}), 100);
  RunWorkerUntil(reg, sim, 4);
  const auto downs = Of(InputEvent::KeyDown);
  ASSERT_GE(downs.size(), 4u);
  for (size_t i = 1; i < 4; ++i) EXPECT_EQ(downs[i].tick - downs[i - 1].tick, 100u) << i;
}

TEST_F(SchedulerTest, TaskLongerThanItsIntervalRunsOnTheNextPass) {
  Task(List({Key(65, 300)}), 100);
  RunWorkerUntil(reg, sim, 3);
  const auto downs = Of(InputEvent::KeyDown);
  ASSERT_GE(downs.size(), 3u);
  // 10 ms gap + 300 ms pause + 10 ms pass sleep
  EXPECT_EQ(downs[1].tick - downs[0].tick, 320u);
  EXPECT_EQ(downs[2].tick - downs[1].tick, 320u);
}

TEST_F(SchedulerTest, PriorityWorkerWalksItsOwnList) {
  KeyAction k;
  k.keys = {70};
  const int32_t list = List({ActionStep{StepType::Key, reg.key_steps.Append(k)}});
  RepeatTask t;
  t.action_list_id = list;
  t.count_limit = 1;
  reg.priority_tasks.Append(t);
  Task(List({Key(71)}));  // ordinary: not this worker's
  RunWorkerUntil(reg, sim, 1, [&] { RunRepeatWorker(TaskListKind::Priority, reg, sim.platform()); });
  ASSERT_EQ(Of(InputEvent::KeyDown).size(), 1u);
  EXPECT_EQ(Of(InputEvent::KeyDown)[0].code, 70);
}

// What StopScript does: clear the flag, then wait until no step is in flight.
void Stop(ActionRegistry& reg) {
  reg.run_flag.Clear();
  while (!reg.run_flag.StepsIdle()) std::this_thread::yield();
}

TEST_F(SchedulerTest, StopDuringALongPauseEndsTheWorkerAtOnce) {
  sim.UseRealTime(true);
  Task(List({Key(65, 60000), Key(66)}));
  std::thread worker([&] { RunRepeatWorker(TaskListKind::Ordinary, reg, sim.platform()); });
  while (Of(InputEvent::KeyUp).empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const auto before = std::chrono::steady_clock::now();
  Stop(reg);
  worker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  const auto downs = Of(InputEvent::KeyDown);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].code, 65);
}

TEST_F(SchedulerTest, NoStepRunsAfterAStopHasReturned) {
  sim.UseRealTime(true);
  std::vector<ActionStep> steps;
  for (int i = 0; i < 50; ++i) steps.push_back(Key(65 + i % 26));
  Task(List(steps));
  std::thread worker([&] { RunRepeatWorker(TaskListKind::Ordinary, reg, sim.platform()); });
  while (Of(InputEvent::KeyDown).size() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  Stop(reg);
  const size_t after_stop = sim.Events().size();
  worker.join();
  EXPECT_EQ(sim.Events().size(), after_stop);
  // The step in flight was finished: every key pressed was released.
  EXPECT_EQ(Of(InputEvent::KeyDown).size(), Of(InputEvent::KeyUp).size());
}

}  // namespace
}  // namespace tora
