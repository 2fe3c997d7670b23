// Reading the arguments of the script functions.
#pragma once

#include <string>

#include "lauxlib.h"
#include "lua.h"

namespace tora {

// A required string argument (a number counts); anything else ends the
// script with the interpreter's own argument error.
inline std::string CheckString(lua_State* L, int index) {
  size_t length = 0;
  const char* text = luaL_checklstring(L, index, &length);
  return std::string(text, length);
}

// A string argument (a number counts), or nothing.
inline bool OptionalString(lua_State* L, int index, std::string& out) {
  if (!lua_isstring(L, index)) return false;
  size_t length = 0;
  const char* text = lua_tolstring(L, index, &length);
  out.assign(text, length);
  return true;
}

// A number argument, or 0 when it is none.
inline double OptionalNumber(lua_State* L, int index) {
  int is_number = 0;
  const lua_Number value = lua_tonumberx(L, index, &is_number);
  return is_number ? value : 0.0;
}

}  // namespace tora
