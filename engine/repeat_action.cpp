#include "engine/script_context.h"

namespace tora {
int LuaRepeatAction(lua_State*) { return 0; }
}  // namespace tora
