// The repeat workers and the step dispatcher.
#pragma once

#include <cstdint>

#include "engine/registry.h"
#include "engine/text_util.h"
#include "platform/platform.h"

namespace tora {

// Which list a repeat worker walks.
enum class TaskListKind { Priority, Ordinary };

// The worker loop: every 10 ms runs each due task of the list until the run
// flag is cleared.
void RunRepeatWorker(TaskListKind kind, ActionRegistry& registry, Platform& platform);

// One pass of the worker loop at tick now; false when the run flag was found
// clear. Exposed for tests.
bool RunWorkerPass(RecordList<RepeatTask>& tasks, uint32_t now, ActionRegistry& registry, Platform& platform);

// Plays an action list for a task; false when it stopped because the run
// flag was clear.
bool RunActionList(RepeatTask& task, int32_t list_id, ActionRegistry& registry, Platform& platform);

}  // namespace tora
