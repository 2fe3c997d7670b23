// What a script declares, said in words (GBK): its tasks with their rows,
// conditions and window rules, then the status lines, message boxes and
// warnings of the start.
#pragma once

#include <string>
#include <vector>

#include "engine/registry.h"
#include "vision/condition_check.h"

namespace tora {

// The script's screen conditions tested on a saved screen.
struct ScreenshotRecord {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<ConditionCheck> checks;  // one per screen condition, in their order
};

struct StartRecord {
  std::vector<std::string> status;    // top line first
  std::vector<std::string> messages;  // message boxes, in the order shown
  std::vector<std::string> warnings;
  const ScreenshotRecord* screenshot = nullptr;
};

// Whether a task's condition holds on the saved screen: true without a
// condition, false for a task that never runs (its condition or window
// names nothing).
bool TaskHoldsOn(const RepeatTask& task, const std::vector<ConditionCheck>& checks);

std::string TextReport(const ActionRegistry& registry, const StartRecord& start);

}  // namespace tora
