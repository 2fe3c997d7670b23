// 找颜色点条件 and 找颜色点动作: colour-point conditions declared by a script.
#include <cmath>
#include <string>
#include <vector>

#include "engine/action_table.h"
#include "engine/lua_args.h"
#include "engine/script_context.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "lauxlib.h"
#include "lua.h"
#include "vision/find_color.h"
#include "vision/prepared_condition.h"

namespace tora {

int32_t ColorOpFromText(const std::string& text) {
  if (text == "==") return kOpEqual;
  if (text == "!=") return kOpNotEqual;
  if (text == "~=") return kOpNear;
  if (text == "!~") return kOpNotNear;
  // An operator without a test: the point always matches.
  return kOpNone;
}

uint32_t ColourFromNumber(double value) {
  if (!std::isfinite(value)) return 0;
  // Truncated toward zero, then kept modulo 2^32, so that every 32-bit
  // value written in the script (0xFFFFFFFF too) is stored unchanged.
  const double t = std::trunc(value);
  if (t >= 9.2e18 || t <= -9.2e18) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(t)));
}

namespace {

// Reads the global point table into points. Looking up element 2 of its
// element 1 first makes a missing or empty table stop the script here with
// the interpreter's indexing error.
// A row of a point table as a warning names it: its key.
std::string PointRowLabel(lua_State* L, int key) {
  if (lua_type(L, key) != LUA_TNUMBER) return std::string("'") + luaL_typename(L, key) + "'";
  lua_pushvalue(L, key);  // converting the key itself would break lua_next
  std::string label = lua_tostring(L, -1);
  lua_pop(L, 1);
  return label;
}

void ReadPointTable(lua_State* L, const char* function, const std::string& name, std::vector<ColorPoint>& points) {
  // Looked up like the script's own access: a name may hold any byte, a NUL
  // included, so not through lua_getglobal's C string.
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  lua_pushlstring(L, name.data(), name.size());
  lua_gettable(L, -2);
  lua_remove(L, -2);
  const int table = lua_gettop(L);
  lua_pushnumber(L, 1);
  lua_gettable(L, table);
  lua_pushnumber(L, 2);
  lua_gettable(L, -2);
  lua_settop(L, table);
  // Only a real table has rows to walk; a value that merely answered the
  // lookup above through a metatable is refused.
  if (!lua_istable(L, table))
    luaL_error(L, texts::kErrPointTableNotTable, name.c_str(), luaL_typename(L, table));

  lua_pushnil(L);
  while (lua_next(L, table) != 0) {
    const int row = lua_gettop(L);
    for (int k = 1; k <= 4; ++k) {
      lua_pushnumber(L, k);
      lua_gettable(L, row);
    }
    ColorPoint p;
    int x_ok = 0, y_ok = 0, colour_ok = 0;
    p.x = TruncToInt32(lua_tonumberx(L, row + 1, &x_ok));
    p.y = TruncToInt32(lua_tonumberx(L, row + 2, &y_ok));
    const std::string op = CheckString(L, row + 3);
    p.op = ColorOpFromText(op);
    p.colour = ColourFromNumber(lua_tonumberx(L, row + 4, &colour_ok));
    if (!x_ok || !y_ok || !colour_ok)
      WarnAboutTable(L, function, Format(texts::kWarnPointRow, Excerpt(name).c_str(), PointRowLabel(L, row - 1).c_str()));
    else if (p.op == kOpNone)
      WarnAboutTable(L, function, Format(texts::kWarnPointOp, Excerpt(name).c_str(), PointRowLabel(L, row - 1).c_str(),
                                     Excerpt(op).c_str()));
    points.push_back(p);
    lua_settop(L, row - 1);  // keep the key for lua_next
  }
  lua_settop(L, table - 1);
}

// Mode, range and tolerance from the arguments starting at mode_index.
void ReadModeAndRange(lua_State* L, const char* function, int mode_index, Platform& platform,
                      ScreenCondition& condition) {
  std::string mode;
  if (!OptionalString(L, mode_index, mode)) return;
  if (mode != texts::kModeRect && mode != texts::kModeFixed)
    WarnAtCall(L, function, Format(texts::kWarnMode, Excerpt(mode).c_str()));
  int tolerance_index = mode_index + 1;
  if (mode == texts::kModeRect) {
    const std::string range = CheckString(L, mode_index + 1);
    if (range == texts::kFullScreen) {
      const Size size = platform.screen.ScreenSize();
      condition.rect = Rect{0, 0, size.width, size.height};
      condition.search_in_rect = true;
    } else {
      const std::vector<std::string> fields = SplitString(range, ',');
      if (fields.size() == 4) {
        condition.rect = Rect{LeadingInt(fields[0]), LeadingInt(fields[1]), LeadingInt(fields[2]), LeadingInt(fields[3])};
        condition.search_in_rect = true;
      } else {
        WarnAtCall(L, function, Format(texts::kWarnRange, Excerpt(range).c_str()));
      }
    }
    tolerance_index = mode_index + 2;
  }
  int is_number = 0;
  const lua_Number t = lua_tonumberx(L, tolerance_index, &is_number);
  if (is_number) {
    condition.tolerance = TruncToInt32(t);
  } else if (!lua_isnoneornil(L, tolerance_index)) {
    // In fixed mode a range written here, as for a rectangle, is the most
    // likely cause.
    const char* text = lua_isstring(L, tolerance_index) ? lua_tostring(L, tolerance_index) : luaL_typename(L, tolerance_index);
    if (condition.search_in_rect)
      WarnAtCall(L, function, Format(texts::kWarnTolerance, Excerpt(text).c_str(), condition.tolerance));
    else
      WarnAtCall(L, function, Format(texts::kWarnFixedTolerance, tolerance_index, Excerpt(text).c_str(),
                                     condition.tolerance));
  }
}

}  // namespace

int LuaFindColorCondition(lua_State* L) {
  ScriptContext& context = GetScriptContext(L);
  ActionRegistry& registry = context.registry;
  ScreenCondition condition;
  condition.name = CheckString(L, 1);
  const std::string table = CheckString(L, 2);
  ReadPointTable(L, texts::kFnFindColorCondition, table, condition.points.Edit());
  ReadModeAndRange(L, texts::kFnFindColorCondition, 3, context.platform, condition);
  PrepareCondition(condition);
  registry.screen_conditions.Append(std::move(condition));
  return 0;
}

int LuaFindColorAction(lua_State* L) {
  ScriptContext& context = GetScriptContext(L);
  ActionRegistry& registry = context.registry;
  ScreenCondition condition;
  ActionList list;
  BranchAction branch;

  condition.name = CheckString(L, 1);
  branch.name = condition.name;
  const std::string points_table = CheckString(L, 2);
  ReadPointTable(L, texts::kFnFindColorAction, points_table, condition.points.Edit());
  std::string action_table;
  if (OptionalString(L, 3, action_table))
    ParseActionTable(L, action_table, list, kAcceptBranch, registry, texts::kFnFindColorAction);
  ReadModeAndRange(L, texts::kFnFindColorAction, 4, context.platform, condition);
  if (!condition.search_in_rect && RelativeClickBeforeBranch(list, registry))
    WarnAtCall(L, texts::kFnFindColorAction, Format(texts::kWarnRelativeFixed, Excerpt(action_table).c_str()));
  PrepareCondition(condition);
  AppendBranch(registry, std::move(condition), std::move(list), std::move(branch));
  return 0;
}

}  // namespace tora
