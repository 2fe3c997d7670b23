// An interpreter wired to a registry and the simulated platform, for tests of
// the script functions without the host around them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/registry.h"
#include "engine/script_context.h"
#include "engine/script_warnings.h"
#include "engine/texts.h"
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
#include "platform/sim/sim_platform.h"

namespace tora::testing {

class ScriptFixture : public ::testing::Test {
 protected:
  ScriptFixture() : L_(luaL_newstate()), context_{registry_, sim_.platform(), nullptr, &warnings_, ""} {
    luaL_openlibs(L_);
    SetScriptContext(L_, &context_);
    Register(texts::kFnRepeatAction, LuaRepeatAction);
  }
  ~ScriptFixture() override { lua_close(L_); }

  void Register(const char* name, lua_CFunction fn) {
    lua_pushcclosure(L_, fn, 0);
    lua_setglobal(L_, name);
  }

  // Runs GBK script text; returns "" on success, else the error message.
  // The stack must be as it was before, whatever the outcome.
  std::string Run(const std::string& script) {
    const int top = lua_gettop(L_);
    std::string error;
    if (luaL_loadbuffer(L_, script.data(), script.size(), "=t") != LUA_OK || lua_pcall(L_, 0, 0, 0) != LUA_OK) {
      const char* message = lua_tostring(L_, -1);
      error = message ? message : "(no message)";
      if (error.empty()) error = "(empty message)";
      lua_pop(L_, 1);
    }
    EXPECT_EQ(lua_gettop(L_), top);
    return error;
  }

  // A branch action as 找颜色点动作 would leave it, without its condition.
  int32_t AddBranch(const std::string& name, int32_t list_id) {
    BranchAction branch;
    branch.name = name;
    branch.action_list_id = list_id;
    return registry_.branch_actions.Append(branch);
  }

  SimPlatform sim_;
  ActionRegistry registry_;
  ScriptWarnings warnings_;
  lua_State* L_;
  ScriptContext context_;
};

}  // namespace tora::testing
