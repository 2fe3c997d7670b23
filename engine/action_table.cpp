#include "engine/action_table.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/key_names.h"
#include "engine/script_context.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "lauxlib.h"
#include "lua.h"

namespace tora {

namespace {

// Rows between two looks at the stop request: a script that hands a huge
// table to 重复动作 in a loop spends its time here, out of reach of the
// interpreter's instruction hook.
constexpr int kRowsPerInterruptCheck = 1024;

struct MouseKind {
  const char* kind;
  uint32_t press;
  uint32_t release;
};

// A double click is two events that each carry left-down and left-up.
const MouseKind kMouseKinds[] = {
    {texts::kRowMouseMove, 0, 0},
    {texts::kRowLeftClick, kMouseLeftDown, kMouseLeftUp},
    {texts::kRowRightClick, kMouseRightDown, kMouseRightUp},
    {texts::kRowMiddleClick, kMouseMiddleDown, kMouseMiddleUp},
    {texts::kRowLeftDouble, kMouseLeftDown | kMouseLeftUp, kMouseLeftDown | kMouseLeftUp},
    {texts::kRowLeftDown, kMouseLeftDown, 0},
    {texts::kRowLeftUp, 0, kMouseLeftUp},
    {texts::kRowRightDown, kMouseRightDown, 0},
    {texts::kRowRightUp, 0, kMouseRightUp},
    {texts::kRowMiddleDown, kMouseMiddleDown, 0},
    {texts::kRowMiddleUp, 0, kMouseMiddleUp},
};

const MouseKind* FindMouseKind(const std::string& kind) {
  for (const MouseKind& m : kMouseKinds)
    if (kind == m.kind) return &m;
  return nullptr;
}

// luaL_error formats its message and never returns.
template <typename... Args>
[[noreturn]] void Raise(lua_State* L, const char* format, Args... args) {
  luaL_error(L, format, args...);
  __builtin_unreachable();
}

// Whether indexing the value at idx can do anything but raise: tables can be
// indexed, and so can any value whose metatable has __index (strings do).
bool Indexable(lua_State* L, int idx) {
  if (lua_istable(L, idx)) return true;
  if (luaL_getmetafield(L, idx, "__index")) {
    lua_pop(L, 1);
    return true;
  }
  return false;
}

// The script's t[1][2], value dropped. A missing table or a missing first
// row raises the indexing error at the script line of the call; indexing
// through metatables is left to the interpreter.
void ProbeFirstRow(lua_State* L, int table, const std::string& name) {
  if (!Indexable(L, table)) Raise(L, texts::kErrMissingTable, name.c_str(), luaL_typename(L, table));
  lua_pushinteger(L, 1);
  lua_gettable(L, table);
  if (!Indexable(L, -1)) Raise(L, texts::kErrMissingFirstRow, name.c_str(), luaL_typename(L, -1));
  lua_pushinteger(L, 2);
  lua_gettable(L, -2);
  lua_pop(L, 2);
}

// How a row's key reads in an error message: its number, or its text quoted.
std::string RowLabel(lua_State* L, int key) {
  if (lua_type(L, key) == LUA_TNUMBER) {
    lua_pushvalue(L, key);  // converting the key itself would break lua_next
    std::string label = lua_tostring(L, -1);
    lua_pop(L, 1);
    return label;
  }
  if (lua_type(L, key) == LUA_TSTRING) return std::string("'") + lua_tostring(L, key) + "'";
  return std::string("(") + luaL_typename(L, key) + " key)";
}

int CountEntries(lua_State* L, int row) {
  int count = 0;
  lua_pushnil(L);
  while (lua_next(L, row)) {
    lua_pop(L, 1);
    if (count < INT_MAX) ++count;
  }
  return count;
}

// Entry n of the row at row, which must be a string (a number is taken as its
// text, as the interpreter's own argument check does).
std::string RowEntry(lua_State* L, int row, int n, int key, const std::string& name) {
  lua_rawgeti(L, row, n);
  if (!lua_isstring(L, -1))
    Raise(L, texts::kErrRowEntryType, n, RowLabel(L, key).c_str(), name.c_str(), luaL_typename(L, -1));
  size_t length = 0;
  const char* text = lua_tolstring(L, -1, &length);
  std::string value(text, length);
  lua_pop(L, 1);
  return value;
}

const std::string& FieldOrEmpty(const std::vector<std::string>& fields, size_t i) {
  static const std::string kEmpty;
  return i < fields.size() ? fields[i] : kEmpty;
}

// A row without a pause field waits 0 ms.
int32_t PauseField(const std::vector<std::string>& fields, size_t i) {
  return i < fields.size() ? PauseFieldToMs(fields[i]) : 0;
}

}  // namespace

std::string PasteTextOf(const std::string& text) {
  static const char kEscape[] = "\\r\\n";
  const size_t escape_length = std::strlen(kEscape);
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (IsGbkPairAt(text, i)) {
      out.append(text, i, 2);
      i += 2;
    } else if (text.compare(i, escape_length, kEscape) == 0) {
      out += "\r\n";
      i += escape_length;
    } else {
      out += text[i++];
    }
  }
  return out;
}

namespace {

// Where a row stands, for its warnings.
struct RowSite {
  lua_State* L;
  const char* reader;
  const std::string& table;
  int key;  // the row's key, on the stack while the row is read
  const std::string& kind;
  const std::string& text;

  void Warn(const std::string& what) const {
    WarnAboutTable(L, reader, RowPlace(table, RowLabel(L, key), kind, text) + what);
  }
};


// Whether a pause field says a number (LeadingNumber reads one from it).
bool PauseIsNumber(const std::string& field) {
  const char* start = field.c_str();
  char* end = nullptr;
  std::strtod(start, &end);
  return end != start;
}

void CheckPause(const std::vector<std::string>& fields, size_t i, const RowSite& site) {
  if (i < fields.size() && !PauseIsNumber(fields[i]))
    site.Warn(Format(texts::kWarnPauseNotNumber, Excerpt(fields[i]).c_str()));
}

KeyAction BuildKeyAction(KeyMode mode, const std::vector<std::string>& fields, const RowSite& site) {
  KeyAction action;
  action.mode = mode;
  // The record holds kMaxKeysPerStep codes; names beyond that are dropped so
  // that a press row and its release row still agree on the keys they hold.
  const std::vector<std::string> names = SplitString(FieldOrEmpty(fields, 0), '+');
  if (names.empty()) site.Warn(texts::kWarnNoKeys);
  for (const std::string& name : names) {
    if (static_cast<int>(action.keys.size()) == kMaxKeysPerStep) {
      site.Warn(texts::kWarnTooManyKeys);
      break;
    }
    action.keys.push_back(KeyNameToCode(name));
    if (const std::string problem = KeyNameWarning(name); !problem.empty()) site.Warn(problem);
  }
  CheckPause(fields, 1, site);
  action.pause = PauseField(fields, 1);
  return action;
}

bool KeyModeOf(const std::string& kind, KeyMode& mode) {
  if (kind == texts::kRowPress) mode = KeyMode::Press;
  else if (kind == texts::kRowDown) mode = KeyMode::Down;
  else if (kind == texts::kRowUp) mode = KeyMode::Up;
  else return false;
  return true;
}

bool IsBranchKind(const std::string& kind) {
  return kind == texts::kFnFindColorAction || kind == texts::kFnFindImageAction;
}

// The pause of a text row: a comma in the text ends it, and what follows is
// taken for the pause.
void CheckTextRow(const std::vector<std::string>& fields, const char* cut_warning, const RowSite& site) {
  if (fields.size() > 2)
    site.Warn(Format(cut_warning, Excerpt(fields[0]).c_str()));
  else
    CheckPause(fields, 1, site);
}

// Turns one row into its step record. The record is complete before it is
// appended and its step is added right after, with no script call between,
// so an error never leaves a record half-built.
void AddRow(const RowSite& site, ActionList& list, unsigned accepted, ActionRegistry& registry) {
  const std::string& kind = site.kind;
  const std::string& text = site.text;
  const std::vector<std::string> fields = SplitString(text, ',');
  KeyMode mode;
  if (KeyModeOf(kind, mode)) {
    const int32_t id = registry.key_steps.Append(BuildKeyAction(mode, fields, site));
    list.steps.push_back(ActionStep{StepType::Key, id});
  } else if (kind == texts::kRowPasteText) {
    if (!(accepted & kAcceptPasteText)) return site.Warn(Format(texts::kWarnRowNotHere, site.reader, kind.c_str()));
    CheckTextRow(fields, texts::kWarnPasteCut, site);
    PasteTextAction action{PasteTextOf(FieldOrEmpty(fields, 0)), PauseField(fields, 1)};
    const int32_t id = registry.paste_text_steps.Append(std::move(action));
    list.steps.push_back(ActionStep{StepType::PasteText, id});
  } else if (kind == texts::kRowOpenUrl) {
    if (!(accepted & kAcceptOpenUrl)) return site.Warn(Format(texts::kWarnRowNotHere, site.reader, kind.c_str()));
    CheckTextRow(fields, texts::kWarnUrlCut, site);
    OpenUrlAction action{FieldOrEmpty(fields, 0), PauseField(fields, 1)};
    const int32_t id = registry.open_url_steps.Append(std::move(action));
    list.steps.push_back(ActionStep{StepType::OpenUrl, id});
  } else if (IsBranchKind(kind)) {
    if (!(accepted & kAcceptBranch)) return site.Warn(Format(texts::kWarnRowNotHere, site.reader, kind.c_str()));
    if (const std::optional<int32_t> id = registry.branch_actions.FindByName(text))
      list.steps.push_back(ActionStep{StepType::Branch, *id});
    else
      site.Warn(Format(texts::kWarnBranchMissing, Excerpt(text).c_str()));
  } else if (const MouseKind* mouse = FindMouseKind(kind)) {
    if (fields.size() != 4) return site.Warn(Format(texts::kWarnMouseFields, static_cast<int>(fields.size())));
    MouseAction action;
    action.x = LeadingInt(fields[0]);
    action.y = LeadingInt(fields[1]);
    action.coord = fields[2] == texts::kCoordAbsolute ? CoordMode::Absolute : CoordMode::Relative;
    if (fields[2] != texts::kCoordAbsolute && fields[2] != texts::kCoordRelative)
      site.Warn(Format(texts::kWarnMouseMode, Excerpt(fields[2]).c_str()));
    CheckPause(fields, 3, site);
    action.pause = PauseFieldToMs(fields[3]);
    action.press = mouse->press;
    action.release = mouse->release;
    const int32_t id = registry.mouse_steps.Append(action);
    list.steps.push_back(ActionStep{StepType::Mouse, id});
  } else {
    site.Warn(Format(texts::kWarnUnknownRow, Excerpt(kind).c_str()));
  }
}

}  // namespace

std::string KeyNameWarning(const std::string& name) {
  if (name.empty()) return texts::kWarnKeyEmpty;
  const int32_t code = KeyNameToCode(name);
  if (code == -1) return Format(texts::kWarnKeyNoName, Excerpt(name).c_str());
  if (name.size() != 1 || KeyCodeToName(code) == name) return {};  // a named key, a capital or a digit
  const char c = name[0];
  const std::string pressed = KeyCodeToName(code);
  if (c >= 'a' && c <= 'z') return Format(texts::kWarnKeyLowerCase, name.c_str(), pressed.c_str(), c - 'a' + 'A');
  if (!pressed.empty()) return Format(texts::kWarnKeyOtherName, Excerpt(name).c_str(), pressed.c_str());
  return Format(texts::kWarnKeyOtherCode, Excerpt(name).c_str(), code);
}

bool RelativeClickBeforeBranch(const ActionList& list, const ActionRegistry& registry) {
  for (const ActionStep& step : list.steps) {
    if (step.type == StepType::Branch) return false;
    if (step.type != StepType::Mouse) continue;
    const MouseAction* mouse = registry.mouse_steps.Get(step.id);
    if (mouse && mouse->coord == CoordMode::Relative) return true;
  }
  return false;
}

const char* MouseRowKind(uint32_t press, uint32_t release) {
  for (const MouseKind& m : kMouseKinds)
    if (m.press == press && m.release == release) return m.kind;
  return "";
}

void ParseActionTable(lua_State* L, const std::string& table_name, ActionList& list, unsigned accepted,
                      ActionRegistry& registry, const char* reader) {
  const int base = lua_gettop(L);
  ScriptInterrupt* interrupt = GetScriptContext(L).interrupt;

  // The global of that name, looked up like the script's own access (a name
  // may hold any byte, so not through lua_getglobal's C string).
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  lua_pushlstring(L, table_name.data(), table_name.size());
  lua_gettable(L, -2);
  const int table = lua_gettop(L);
  ProbeFirstRow(L, table, table_name);
  // Only a real table has rows to walk; something that merely answered the
  // probe through a metatable is refused.
  if (!lua_istable(L, table)) Raise(L, texts::kErrTableNotTable, table_name.c_str(), luaL_typename(L, table));

  int rows = 0;
  lua_pushnil(L);
  while (lua_next(L, table)) {
    const int key = lua_gettop(L) - 1;
    const int row = key + 1;
    if (interrupt && ++rows % kRowsPerInterruptCheck == 0) interrupt->Check(L);
    // A row is {kind, text}. Anything else is a script mistake the editor
    // never writes; running the other rows without it would play a different
    // sequence than the one written, so the script stops here instead.
    if (!lua_istable(L, row))
      Raise(L, texts::kErrRowNotTable, RowLabel(L, key).c_str(), table_name.c_str(), luaL_typename(L, row));
    const int entries = CountEntries(L, row);
    if (entries != 2) Raise(L, texts::kErrRowEntryCount, RowLabel(L, key).c_str(), table_name.c_str(), entries);
    const std::string kind = RowEntry(L, row, 1, key, table_name);
    const std::string text = RowEntry(L, row, 2, key, table_name);
    AddRow(RowSite{L, reader, table_name, key, kind, text}, list, accepted, registry);
    lua_pop(L, 1);  // the row; the key stays for lua_next
  }
  lua_settop(L, base);
}

}  // namespace tora
