#include "vision/color_test.h"

namespace tora {
bool ColorTest(ScreenCondition&, Platform&, const RunFlag&, Point&) { return false; }
bool MatchCondition(ScreenCondition&, const Frame&, const RunFlag&, Point&, TracePort*) { return false; }
bool PointMatches(int32_t, uint32_t, uint32_t, int32_t) { return true; }
}  // namespace tora
