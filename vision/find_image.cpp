#include "engine/script_context.h"

namespace tora {
int LuaFindImageAction(lua_State*) { return 0; }
int LuaFindImageCondition(lua_State*) { return 0; }
}  // namespace tora
