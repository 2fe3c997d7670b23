#include "engine/script_context.h"
#include "engine/window_rules.h"

namespace tora {
bool ComputePlacement(WindowRule&, WindowPort&) { return false; }
WindowHandle FindRuleWindow(const std::string&, WindowPort&) { return 0; }
void RunWindowKeeper(ActionRegistry&, Platform&) {}
bool RunKeeperPass(uint32_t, ActionRegistry&, Platform&) { return false; }
void ReleaseTopmostWindows(ActionRegistry&, WindowPort&) {}
int LuaWindowOperation(lua_State*) { return 0; }
}  // namespace tora
