#include "engine/scheduler.h"

namespace tora {
void RunRepeatWorker(TaskListKind, ActionRegistry&, Platform&) {}
bool RunWorkerPass(RecordList<RepeatTask>&, uint32_t, ActionRegistry&, Platform&) { return false; }
bool RunActionList(RepeatTask&, int32_t, ActionRegistry&, Platform&) { return true; }
}  // namespace tora
