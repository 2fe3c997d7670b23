// Where a rectangle search came nearest: the candidate at which the most
// points of the condition pass on a frame. Used to explain a condition that
// does not hold; the test that decides whether it holds is ColorTest's.
#pragma once

#include <cstdint>

#include "engine/registry.h"
#include "platform/platform.h"

namespace tora {

class PreparedCondition;

struct NearestPlace {
  bool any = false;  // false when the rectangle holds no candidate
  Point at;          // the candidate's screen position
  uint64_t matched = 0;
};

// The candidate of the condition's rectangle (rectangle mode) at which the
// most points pass on a frame whose pixel (0, 0) is the screen's origin;
// among equals the first in the search's order (columns left to right,
// each top to bottom). False when the run flag was cleared meanwhile: then
// place says nothing.
bool FindNearestPlace(const PreparedCondition& prepared, const Frame& frame, const RunFlag& run_flag,
                      NearestPlace& place);

}  // namespace tora
