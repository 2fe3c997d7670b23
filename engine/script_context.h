// What the script functions reach while a script runs: the registry being
// filled and the platform. Stored in the interpreter's registry table.
#pragma once

#include <string>

#include "engine/registry.h"
#include "platform/platform.h"

struct lua_State;

namespace tora {

class ScriptWarnings;

// Ends a script that the user asked to stop, or that ran past a time limit.
class ScriptInterrupt {
 public:
  virtual ~ScriptInterrupt() = default;
  // Raises a script error when the script must end; called by the
  // instruction-count hook and inside long waits.
  virtual void Check(lua_State* L) = 0;
};

struct ScriptContext {
  ActionRegistry& registry;
  Platform& platform;
  ScriptInterrupt* interrupt = nullptr;
  ScriptWarnings* warnings = nullptr;  // none: mistakes go unsaid
  // The script's own folder with its separator ("" when the path names
  // none): relative picture paths start there.
  std::string script_folder;
};

void SetScriptContext(lua_State* L, ScriptContext* context);
ScriptContext& GetScriptContext(lua_State* L);

// The eight script functions, in the order they are registered.
int LuaRepeatAction(lua_State* L);        // 重复动作, engine/repeat_action.cpp
int LuaSum(lua_State* L);                 // 中文, engine/script_host.cpp
int LuaWait(lua_State* L);                // 等待, engine/script_host.cpp
int LuaWindowOperation(lua_State* L);     // 窗口操作, engine/window_rules.cpp
int LuaFindColorCondition(lua_State* L);  // 找颜色点条件, vision/find_color.cpp
int LuaFindColorAction(lua_State* L);     // 找颜色点动作, vision/find_color.cpp
int LuaFindImageAction(lua_State* L);     // 找图像动作, vision/find_image.cpp
int LuaFindImageCondition(lua_State* L);  // 找图像条件, vision/find_image.cpp

}  // namespace tora
