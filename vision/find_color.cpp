#include "engine/script_context.h"

namespace tora {
int LuaFindColorCondition(lua_State*) { return 0; }
int LuaFindColorAction(lua_State*) { return 0; }
}  // namespace tora
