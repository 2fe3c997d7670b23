// Window rules: placement and the window keeper thread.
#pragma once

#include "engine/registry.h"
#include "platform/platform.h"

namespace tora {

// Computes the rule's target placement from its window and the work area;
// false when the window is gone or the size is not positive.
bool ComputePlacement(WindowRule& rule, WindowPort& windows);

// Finds a window by title, else by class name.
WindowHandle FindRuleWindow(const std::string& window_text, WindowPort& windows);

// The keeper loop: every 100 ms applies each due rule until the run flag is cleared.
void RunWindowKeeper(ActionRegistry& registry, Platform& platform);

// One pass of the keeper at tick now; false when the run flag was found clear.
bool RunKeeperPass(uint32_t now, ActionRegistry& registry, Platform& platform);

// Takes the windows of topmost rules out of the topmost band (at stop).
void ReleaseTopmostWindows(ActionRegistry& registry, WindowPort& windows);

}  // namespace tora
