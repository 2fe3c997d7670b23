# Lua 5.2.4 from the fetched source tree, built as a static library.
# Compiled as C++ so that a script error unwinds our C++ frames (Lua then
# raises errors as C++ exceptions instead of longjmp). Our own character
# class table replaces lctype.c.
if(NOT EXISTS "${TORA_LUA_DIR}/src/lvm.c")
  message(FATAL_ERROR "Lua source not found in ${TORA_LUA_DIR}; run scripts/setup.sh first")
endif()
set(_lua_names lapi lcode ldebug ldo ldump lfunc lgc llex lmem lobject lopcodes
  lparser lstate lstring ltable ltm lundump lvm lzio
  lauxlib lbaselib lbitlib lcorolib ldblib liolib lmathlib loslib lstrlib ltablib loadlib linit)
set(_lua_sources)
foreach(n IN LISTS _lua_names)
  list(APPEND _lua_sources "${TORA_LUA_DIR}/src/${n}.c")
endforeach()
set_source_files_properties(${_lua_sources} PROPERTIES LANGUAGE CXX)
add_library(lua52 STATIC ${_lua_sources} ${CMAKE_SOURCE_DIR}/engine/lua_ctype.cpp)
target_include_directories(lua52 SYSTEM PUBLIC "${TORA_LUA_DIR}/src")
target_compile_definitions(lua52 PUBLIC LUA_COMPAT_ALL)
if(NOT TORA_WINDOWS)
  target_compile_definitions(lua52 PRIVATE LUA_USE_POSIX)
endif()
target_compile_options(lua52 PRIVATE -w -x c++)
if(TORA_SANITIZE)
  target_compile_options(lua52 PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
endif()
