// What a script declares, said in words (GBK): its tasks with their rows,
// conditions and window rules, then the status lines, message boxes and
// warnings of the start.
#pragma once

#include <string>
#include <vector>

#include "engine/registry.h"

namespace tora {

struct StartRecord {
  std::vector<std::string> status;    // top line first
  std::vector<std::string> messages;  // message boxes, in the order shown
  std::vector<std::string> warnings;
};

std::string TextReport(const ActionRegistry& registry, const StartRecord& start);

}  // namespace tora
