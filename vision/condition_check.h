// A screen condition tested on a given screen, with what it takes to explain
// a miss: where the search came nearest, what differs there, and the
// tolerance that would have done. Whether the condition holds, and where,
// is always the answer of the program's own test (ColorTest's search).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/registry.h"
#include "platform/platform.h"

namespace tora {

// Points that fail, listed one by one; the rest are only counted.
constexpr size_t kMaxDifferences = 5;

// A point that fails where the condition came nearest.
struct PointDifference {
  size_t point = 0;      // its place in the condition's list, from 0
  int64_t x = 0, y = 0;  // the screen position it was read at
  int32_t op = kOpEqual;
  uint32_t want = 0;     // the colour the point names
  uint32_t got = 0;      // the screen's pixel there; kInvalidColour off the screen
  bool off_screen = false;
};

struct ConditionCheck {
  // The run flag was cleared before the answer was complete: nothing below
  // is one.
  bool stopped = false;
  bool met = false;
  // Rectangle mode, met: where it was found.
  bool has_found = false;
  Point found;
  // Not met. In rectangle mode the nearest place is the candidate at which
  // the most points pass (the first in the search's order among equals);
  // there is none when the rectangle is empty. In fixed mode every point is
  // read at its own position.
  bool has_nearest = false;
  Point nearest;
  uint64_t matched = 0;  // points that pass there (met: all of them)
  uint64_t of = 0;       // points of the condition
  std::vector<PointDifference> differences;  // the first kMaxDifferences that fail, in list order
  // The smallest tolerance at which every point would pass there; only
  // when every point that fails is "~=" and no "!~" point fails with it.
  bool has_tolerance = false;
  int32_t tolerance = 0;
};

// Tests the condition on screen, a capture of the whole primary display
// (its pixel (0, 0) at the screen's origin; positions outside it read as
// the invalid colour). Reads the run flag as the live test does: a stop
// ends the check at once, as stopped. Writes nothing into the condition.
ConditionCheck CheckCondition(const ScreenCondition& condition, const Frame& screen, const RunFlag& run_flag);

// The check in words (GBK), one line each: what was found, or the nearest
// place, then the points that differ there and the tolerance that would do.
std::vector<std::string> DescribeCheck(const ScreenCondition& condition, const ConditionCheck& check);

// An operator as the script writes it ("==", "!=", "~=", "!~"; "" for one
// without a test).
const char* OperatorText(int32_t op);

}  // namespace tora
