#include "engine/scheduler.h"

#include <algorithm>
#include <limits>

#include "engine/input.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "vision/color_test.h"

namespace tora {

namespace {

// The sleep between two passes of a repeat worker.
constexpr uint32_t kPassSleepMs = 10;

// How long a task's condition may be tested without ever holding before the
// status list says so.
constexpr uint32_t kNeverHeldMs = 60000;

// Offsets from a found point are the script's numbers: their sum is clamped
// rather than left to overflow.
int32_t AddClamped(int32_t a, int32_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Sleeps a step's pause; false when the run was stopped meanwhile.
bool PauseAfterStep(int32_t pause, ActionRegistry& registry, Platform& platform) {
  if (pause <= 0) return registry.run_flag.IsSet();
  return platform.clock.Pause(static_cast<uint32_t>(pause), registry.run_flag);
}

// Evaluates a condition for a task; on a match the task's found point takes
// the point of this very evaluation (the condition's own field may already
// hold another worker's match).
bool TestForTask(RepeatTask& task, int32_t condition_id, ActionRegistry& registry, Platform& platform) {
  ScreenCondition* condition = registry.screen_conditions.Get(condition_id);
  if (!condition) return false;
  Point found;
  if (!ColorTest(*condition, platform, registry.run_flag, found)) return false;
  task.found_point = found;
  return true;
}

bool PlayList(RepeatTask& task, int32_t list_id, WindowHandle target, int depth, ActionRegistry& registry,
              Platform& platform);

// A task whose condition was tested for a minute without holding once says
// so, once a run: from outside, a condition that never holds looks like a
// program that does nothing.
void NoteConditionMissed(RepeatTask& task, uint32_t now, ActionRegistry& registry, Platform& platform) {
  if (task.condition_held || task.never_held_said) return;
  if (!task.condition_tested) {
    task.condition_tested = true;
    task.first_test = now;
    return;
  }
  if (static_cast<uint32_t>(now - task.first_test) < kNeverHeldMs) return;
  task.never_held_said = true;
  const ScreenCondition* condition = registry.screen_conditions.Get(task.condition_id);
  if (!condition) return;
  const int seconds = static_cast<int>(kNeverHeldMs / 1000);
  const std::string name = Excerpt(condition->name);
  const std::string line = task.script_line > 0
                               ? Format(texts::kNeverHeldAtLine, task.script_line, name.c_str(), seconds)
                               : Format(texts::kNeverHeld, name.c_str(), seconds);
  // Like a step: never after the stop has written its line.
  StepGuard guard(registry.run_flag);
  if (guard.ok()) platform.user.InsertStatusTop(line);
}

// Plays one step. Returns false when the run was stopped; a step whose record
// is missing is skipped.
bool PlayStep(RepeatTask& task, const ActionStep& step, WindowHandle target, int depth, ActionRegistry& registry,
              Platform& platform) {
  RunFlag& flag = registry.run_flag;
  switch (step.type) {
    case StepType::Key: {
      const KeyAction* key = registry.key_steps.Get(step.id);
      if (!key) return true;
      {
        StepGuard guard(flag);
        if (!guard.ok()) return false;
        SendKeys(key->keys, key->mode, target, platform);
      }
      return PauseAfterStep(key->pause, registry, platform);
    }
    case StepType::Mouse: {
      const MouseAction* mouse = registry.mouse_steps.Get(step.id);
      if (!mouse) return true;
      int32_t x = mouse->x;
      int32_t y = mouse->y;
      if (mouse->coord != CoordMode::Absolute) {
        x = AddClamped(task.found_point.x, mouse->x);
        y = AddClamped(task.found_point.y, mouse->y);
      }
      {
        StepGuard guard(flag);
        if (!guard.ok()) return false;
        SendMouse(mouse->press, mouse->release, x, y, platform);
      }
      return PauseAfterStep(mouse->pause, registry, platform);
    }
    case StepType::Branch: {
      const BranchAction* branch = registry.branch_actions.Get(step.id);
      if (!branch) return true;
      // Scripts can only name earlier branches, so nesting never exceeds the
      // number of branches; the bound keeps a hand-made cycle from
      // exhausting the stack.
      if (depth >= registry.branch_actions.Length()) return true;
      const int32_t list_id = branch->action_list_id;
      if (TestForTask(task, branch->condition_id, registry, platform))
        PlayList(task, list_id, target, depth + 1, registry, platform);
      return true;  // the caller sees a stop at its next step
    }
    case StepType::PasteText: {
      const PasteTextAction* paste = registry.paste_text_steps.Get(step.id);
      if (!paste) return true;
      {
        StepGuard guard(flag);
        if (!guard.ok()) return false;
        PutClipboardText(paste->text, platform);
      }
      return PauseAfterStep(paste->pause, registry, platform);
    }
    case StepType::OpenUrl: {
      const OpenUrlAction* url = registry.open_url_steps.Get(step.id);
      if (!url) return true;
      {
        StepGuard guard(flag);
        if (!guard.ok()) return false;
        registry.open_url.Request(url->url, step.id);
        platform.user.RequestOpenUrl();
      }
      return PauseAfterStep(url->pause, registry, platform);
    }
  }
  return true;  // a step type no parser writes
}

bool PlayList(RepeatTask& task, int32_t list_id, WindowHandle target, int depth, ActionRegistry& registry,
              Platform& platform) {
  const ActionList* list = registry.action_lists.Get(list_id);
  if (!list) return true;
  for (const ActionStep& step : list->steps) {
    if (!registry.run_flag.IsSet()) return false;
    if (!PlayStep(task, step, target, depth, registry, platform)) return false;
  }
  return true;
}

}  // namespace

bool RunActionList(RepeatTask& task, int32_t list_id, ActionRegistry& registry, Platform& platform) {
  // The window is read once per play: the keeper may find a new one
  // meanwhile, and a list's keys should not be split between two windows.
  WindowHandle target = 0;
  if (task.has_window)
    if (const WindowRule* rule = registry.window_rules.Get(task.window_rule_id)) target = rule->window.Load();
  return PlayList(task, list_id, target, 0, registry, platform);
}

// Whether the window a bound task sends to is there. Until it is, the task
// waits: its keys are meant for that window, not for whatever has the focus.
bool BoundWindowPresent(const RepeatTask& task, const ActionRegistry& registry, Platform& platform) {
  const WindowRule* rule = registry.window_rules.Get(task.window_rule_id);
  if (!rule) return false;
  const WindowHandle window = rule->window.Load();
  return window != 0 && platform.windows.IsWindow(window);
}

bool RunWorkerPass(RecordList<RepeatTask>& tasks, uint32_t now, ActionRegistry& registry, Platform& platform) {
  for (RepeatTask& task : tasks.Items()) {
    if (!registry.run_flag.IsSet()) return false;
    if (task.unlinked) continue;
    if (task.count_limit != 0 && task.tries >= task.count_limit) continue;
    if (!TickDue(now, task.next_run)) continue;
    if (task.has_window && !BoundWindowPresent(task, registry, platform)) {
      // Not a try: nothing was looked at or sent.
      task.next_run = TickAfter(now, task.interval);
      continue;
    }
    if (!task.has_condition) {
      RunActionList(task, task.action_list_id, registry, platform);
    } else if (TestForTask(task, task.condition_id, registry, platform)) {
      task.condition_tested = task.condition_held = true;
      RunActionList(task, task.action_list_id, registry, platform);
    } else {
      NoteConditionMissed(task, now, registry, platform);
    }
    // From the pass's start, not the task's end: a task that takes longer
    // than its interval is due again on the next pass. A gated task uses up
    // a try whether or not its condition held.
    task.next_run = TickAfter(now, task.interval);
    if (task.count_limit != 0) ++task.tries;
  }
  return registry.run_flag.IsSet();
}

void RunRepeatWorker(TaskListKind kind, ActionRegistry& registry, Platform& platform) {
  RecordList<RepeatTask>& tasks = kind == TaskListKind::Priority ? registry.priority_tasks : registry.ordinary_tasks;
  while (registry.run_flag.IsSet()) {
    if (!RunWorkerPass(tasks, platform.clock.TickCount(), registry, platform)) return;
    if (!platform.clock.Pause(kPassSleepMs, registry.run_flag)) return;
  }
}

}  // namespace tora
