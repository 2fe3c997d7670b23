#include "engine/action_table.h"

namespace tora {
void ParseActionTable(lua_State*, const std::string&, ActionList&, unsigned, ActionRegistry&) {}
}  // namespace tora
