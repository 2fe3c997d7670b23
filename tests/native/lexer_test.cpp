// The interpreter must take GBK bytes as letters in names.
#include <gtest/gtest.h>

#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"

namespace {

TEST(GbkLexer, AcceptsChineseNamesOfFunctionsAndGeneratedTables) {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  const char* script =
      "local n = 0\n"
      "function 重复动作() n = n + 1 end\n"
      "function 中文() n = n + 1 end\n"
      "function 等待() n = n + 1 end\n"
      "function 窗口操作() n = n + 1 end\n"
      "function 找颜色点条件() n = n + 1 end\n"
      "function 找颜色点动作() n = n + 1 end\n"
      "function 找图像动作() n = n + 1 end\n"
      "function 找图像条件() n = n + 1 end\n"
      "动作_1 = {{\"按键\",\"A,1\"}}\n"
      "颜色点列表_2 = {{1,2,\"==\",0xFF}}\n"
      "动作列表_3 = {}\n"
      "重复动作() 中文() 等待() 窗口操作() 找颜色点条件() 找颜色点动作() 找图像动作() 找图像条件()\n"
      "结果 = n + #动作_1 + #颜色点列表_2 + #动作列表_3\n";
  ASSERT_EQ(luaL_loadstring(L, script), LUA_OK) << lua_tostring(L, -1);
  ASSERT_EQ(lua_pcall(L, 0, 0, 0), LUA_OK) << lua_tostring(L, -1);
  lua_getglobal(L, "结果");
  EXPECT_EQ(lua_tointeger(L, -1), 10);
  lua_close(L);
}

TEST(GbkLexer, AsciiClassesAreUnchanged) {
  lua_State* L = luaL_newstate();
  // Digits cannot start a name, punctuation is no letter.
  EXPECT_NE(luaL_loadstring(L, "1abc = 2"), LUA_OK);
  lua_settop(L, 0);
  EXPECT_NE(luaL_loadstring(L, "a$b = 2"), LUA_OK);
  lua_settop(L, 0);
  EXPECT_EQ(luaL_loadstring(L, "_a1 = 0x1F + 1e3"), LUA_OK);
  lua_close(L);
}

}  // namespace
