// Evaluation of a screen condition on a fresh capture of the screen.
#pragma once

#include "engine/registry.h"
#include "platform/platform.h"

namespace tora {

// Tests the condition on a capture of the whole screen. On success found
// receives the condition's found point after the test (the new match in
// rectangle mode, the unchanged stored value in fixed mode), so that a caller
// copies a value that belongs to its own evaluation.
bool ColorTest(ScreenCondition& condition, Platform& platform, const RunFlag& run_flag, Point& found);

// The same test on a frame already captured (what ColorTest runs after the capture).
bool MatchCondition(ScreenCondition& condition, const Frame& frame, const RunFlag& run_flag, Point& found,
                    TracePort* trace);

class PreparedCondition;

// The same search without writing anything: whether the prepared condition
// holds on a frame whose pixel (0, 0) is the screen's origin, and in
// rectangle mode where (at). False when the run flag was cleared meanwhile.
bool SearchCondition(const PreparedCondition& prepared, const Frame& frame, const RunFlag& run_flag, Point& at);

// One point's operator test of a pixel.
bool PointMatches(int32_t op, uint32_t pixel, uint32_t colour, int32_t tolerance);

}  // namespace tora
