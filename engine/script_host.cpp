#include "engine/script_host.h"

#include <chrono>
#include <cstdlib>
#include <string>

#include "engine/scheduler.h"
#include "engine/script_context.h"
#include "engine/script_text.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "engine/window_rules.h"
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"

namespace tora {

namespace {


// Instructions between two looks at the stop request.
constexpr int kHookInterval = 10000;

// The stop request and the time limit, looked at from the count hook.
class HostInterrupt : public ScriptInterrupt {
 public:
  HostInterrupt(UserPort& user, uint32_t time_limit_ms)
      : user_(user), time_limit_ms_(time_limit_ms), start_(std::chrono::steady_clock::now()) {}

  void Check(lua_State* L) override {
    if (!fired_) {
      // Looking at the message queue costs more than a clock read: do it a
      // few times a second at most.
      const auto now = std::chrono::steady_clock::now();
      if (now - last_poll_ < kPollEvery) return;
      last_poll_ = now;
      if (user_.StopRequested()) {
        fired_ = true;
        stop_requested_ = true;
      } else if (time_limit_ms_ != 0 &&
                 now - start_ >= std::chrono::milliseconds(time_limit_ms_)) {
        fired_ = true;
        timed_out_ = true;
      }
      if (!fired_) return;
      // From now on every instruction raises, so a script that catches the
      // error with pcall cannot go on looping.
      lua_sethook(L, &HostInterrupt::Hook, LUA_MASKCOUNT, 1);
    }
    // Point at the line that was running: the interrupted Lua function, or
    // the caller of a C function such as 等待.
    luaL_where(L, 0);
    if (lua_rawlen(L, -1) == 0) {
      lua_pop(L, 1);
      luaL_where(L, 1);
    }
    lua_pushstring(L, timed_out_ ? texts::kScriptTimedOut : texts::kStopRequestedError);
    lua_concat(L, 2);
    lua_error(L);
  }

  static void Hook(lua_State* L, lua_Debug*) {
    ScriptContext& context = GetScriptContext(L);
    if (context.interrupt) context.interrupt->Check(L);
  }

  bool stop_requested() const { return stop_requested_; }
  bool timed_out() const { return timed_out_; }

 private:
  UserPort& user_;
  uint32_t time_limit_ms_;
  static constexpr std::chrono::milliseconds kPollEvery{30};
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_poll_{};
  bool fired_ = false;
  bool stop_requested_ = false;
  bool timed_out_ = false;
};

struct LuaCloser {
  void operator()(lua_State* L) const { lua_close(L); }
};

// The interpreter's error object as text (it need not be a string).
std::string ErrorText(lua_State* L) {
  if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER) {
    size_t len = 0;
    const char* s = lua_tolstring(L, -1, &len);
    return std::string(s, len);
  }
  return std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
}

// Prepares the file text the way the standard file loader does: a UTF-8
// byte-order mark is skipped, and a first line starting with '#' is dropped
// (its line end kept so that line numbers stay right). Every line end the
// editor shows is one line end for the interpreter, so that the lines it
// names are the editor's.
std::string PrepareChunk(const std::string& file_text) {
  const std::string text = OneLineEndEach(file_text);
  size_t start = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
  if (start < text.size() && text[start] == '#') {
    size_t eol = text.find('\n', start);
    return eol == std::string::npos ? std::string() : "\n" + text.substr(eol + 1);
  }
  return text.substr(start);
}

// The allocator of luaL_newstate, with room for the context in its user data.
void* ContextAlloc(void*, void* block, size_t, size_t size) {
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, size);
}

// Stands in for a library function that a script must not have.
int NotInScripts(lua_State* L) {
  return luaL_error(L, texts::kNotInScripts, lua_tostring(L, lua_upvalueindex(1)));
}

void Forbid(lua_State* L, const char* library, const char* function) {
  lua_getglobal(L, library);
  if (lua_istable(L, -1)) {
    lua_pushfstring(L, "%s.%s", library, function);
    lua_pushcclosure(L, NotInScripts, 1);
    lua_setfield(L, -2, function);
  }
  lua_pop(L, 1);
}

// Calls the loader in upvalue 1 with its mode argument (upvalue 2 gives its
// position) forced to text: precompiled code is not checked by the
// interpreter, and a damaged chunk reads and writes memory at will.
int TextOnlyLoader(lua_State* L) {
  const int mode_arg = static_cast<int>(lua_tointeger(L, lua_upvalueindex(2)));
  if (lua_gettop(L) < mode_arg) lua_settop(L, mode_arg);  // what follows stays absent
  lua_pushliteral(L, "t");
  lua_replace(L, mode_arg);
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
  return lua_gettop(L);
}

void WrapLoader(lua_State* L, const char* name, int mode_arg) {
  lua_getglobal(L, name);
  if (lua_isfunction(L, -1)) {
    lua_pushinteger(L, mode_arg);
    lua_pushcclosure(L, TextOnlyLoader, 2);
    lua_setglobal(L, name);
  } else {
    lua_pop(L, 1);
  }
}

// dofile, loading source text only.
int TextOnlyDofile(lua_State* L) {
  const char* name = luaL_optstring(L, 1, nullptr);
  lua_settop(L, 1);
  if (luaL_loadfilex(L, name, "t") != LUA_OK) return lua_error(L);
  lua_call(L, 0, LUA_MULTRET);
  return lua_gettop(L) - 1;
}

// The searcher of Lua modules for require, loading source text only.
// Upvalue 1 is the package table, upvalue 2 its searchpath.
int TextOnlySearcher(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  lua_pushvalue(L, lua_upvalueindex(2));
  lua_pushvalue(L, 1);
  lua_getfield(L, lua_upvalueindex(1), "path");
  if (!lua_isstring(L, -1)) return luaL_error(L, "package.path must be a string");
  lua_call(L, 2, 2);
  if (lua_isnil(L, -2)) return 1;  // searchpath's list of the files it tried
  lua_pop(L, 1);
  const char* file = lua_tostring(L, -1);
  if (luaL_loadfilex(L, file, "t") != LUA_OK)
    return luaL_error(L, "error loading module '%s' from file '%s':\n\t%s", name, file, lua_tostring(L, -1));
  lua_insert(L, -2);  // loader, then the file name it is called with
  return 2;
}

void WrapSearcher(lua_State* L) {
  lua_getglobal(L, "package");
  if (lua_istable(L, -1)) {
    lua_getfield(L, -1, "searchers");
    lua_getfield(L, -2, "searchpath");
    if (lua_istable(L, -2) && lua_isfunction(L, -1)) {
      lua_pushvalue(L, -3);
      lua_insert(L, -2);
      lua_pushcclosure(L, TextOnlySearcher, 2);
      lua_rawseti(L, -2, 2);
    } else {
      lua_pop(L, 1);
    }
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
}

// What the standard libraries would let a script do to the program itself:
// remove the hook through which the user stops it, end the whole process,
// or run precompiled code.
void SealLibraries(lua_State* L) {
  Forbid(L, "debug", "sethook");
  Forbid(L, "os", "exit");
  WrapLoader(L, "load", 3);
  WrapLoader(L, "loadstring", 3);
  WrapLoader(L, "loadfile", 2);
  lua_pushcclosure(L, TextOnlyDofile, 0);
  lua_setglobal(L, "dofile");
  WrapSearcher(L);
}

void RegisterFunctions(lua_State* L) {
  const struct {
    const char* name;
    lua_CFunction fn;
  } functions[] = {
      {texts::kFnRepeatAction, LuaRepeatAction},
      {texts::kFnSum, LuaSum},
      {texts::kFnWait, LuaWait},
      {texts::kFnWindowOperation, LuaWindowOperation},
      {texts::kFnFindColorCondition, LuaFindColorCondition},
      {texts::kFnFindColorAction, LuaFindColorAction},
      {texts::kFnFindImageAction, LuaFindImageAction},
      {texts::kFnFindImageCondition, LuaFindImageCondition},
  };
  for (const auto& f : functions) {
    lua_pushcclosure(L, f.fn, 0);
    lua_setglobal(L, f.name);
  }
}

}  // namespace

// The context rides on the allocator's user data: unlike the registry, which
// debug.getregistry hands to any script, no script can reach or replace it.
void SetScriptContext(lua_State* L, ScriptContext* context) { lua_setallocf(L, &ContextAlloc, context); }

ScriptContext& GetScriptContext(lua_State* L) {
  void* context = nullptr;
  lua_getallocf(L, &context);
  return *static_cast<ScriptContext*>(context);
}

ThreadPriority PriorityFromText(const std::string& text) {
  if (text == texts::kPriorityHigh) return ThreadPriority::Highest;
  if (text == texts::kPriorityLow) return ThreadPriority::BelowNormal;
  if (text == texts::kPriorityLowest) return ThreadPriority::Lowest;
  return ThreadPriority::Normal;
}

std::string StripChunkPrefix(const std::string& message, const std::string& path) {
  if (StartsWith(message, path + ":")) return message.substr(path.size() + 1);
  // A long path is shortened by the interpreter to "..." and its tail; cut
  // through the colon that stands before the line number.
  if (StartsWith(message, "...")) {
    for (size_t i = message.find(':'); i != std::string::npos; i = message.find(':', i + 1)) {
      size_t j = i + 1;
      while (j < message.size() && message[j] >= '0' && message[j] <= '9') ++j;
      if (j > i + 1 && j < message.size() && message[j] == ':') return message.substr(i + 1);
    }
  }
  // A message without the chunk name (an error raised with level 0, an error
  // object that is no string) is shown whole.
  return message;
}

ScriptHost::ScriptHost(ActionRegistry& registry, Platform& platform) : registry_(registry), platform_(platform) {}

ScriptHost::~ScriptHost() {
  registry_.run_flag.Clear();
  JoinWorkers();
}

void ScriptHost::JoinWorkers() {
  for (auto& worker : workers_) worker->Join();
  workers_.clear();
}

ScriptHost::Outcome ScriptHost::RunScript() {
  UserPort& user = platform_.user;
  timed_out_ = false;
  warnings_.clear();

  // Workers of the previous run may still be finishing a step; they must be
  // gone before the registry they read is emptied.
  registry_.run_flag.Clear();
  JoinWorkers();
  registry_.EmptyAll();
  user.ClearStatus();

  std::unique_ptr<lua_State, LuaCloser> state(luaL_newstate());
  lua_State* L = state.get();
  if (!L) return Outcome::NotFound;
  luaL_openlibs(L);
  SealLibraries(L);
  RegisterFunctions(L);

  const std::string ini = platform_.files.ExecutableDir() + "\\" + texts::kSetupIni;
  const std::string path = user.ScriptPath();
  if (path.empty()) {
    user.ShowMessage(texts::kNoScriptPath, texts::kAppTitle, MessageOwner::MainWindow);
    return Outcome::NoPath;
  }
  const std::optional<uint64_t> size = platform_.files.FileSize(path);
  std::string text;
  if (!size || (*size != 0 && !platform_.files.ReadFile(path, text))) {
    user.ShowMessage(texts::kScriptNotFound, texts::kAppTitle, MessageOwner::MainWindow);
    return Outcome::NotFound;
  }
  if (*size == 0) {
    user.ShowMessage(texts::kScriptEmpty, texts::kAppTitle, MessageOwner::MainWindow);
    return Outcome::Empty;
  }
  platform_.files.WriteProfile(ini, texts::kSetupSection, texts::kSetupKeyScript, path);

  // A script saved as UTF-8 (most editors' choice today) is read as the
  // same characters; one holding a character GBK cannot hold is refused with
  // its line rather than run with the names garbled.
  const ScriptText decoded = DecodeScriptFile(text);
  if (decoded.unconvertible_line > 0) {
    user.AppendStatus(texts::kSyntaxError);
    user.AppendStatus(std::string(texts::kErrorLinePrefix) + Format(texts::kNotGbkLine, decoded.unconvertible_line));
    return Outcome::SyntaxError;
  }
  if (decoded.from_utf8) text = decoded.gbk;

  // Only source text is run: a precompiled chunk is not checked by the
  // interpreter and a damaged one could bring the program down.
  const std::string chunk = PrepareChunk(text);
  const std::string chunk_name = "@" + path;
  if (luaL_loadbufferx(L, chunk.data(), chunk.size(), chunk_name.c_str(), "t") != LUA_OK) {
    const std::string message = ErrorText(L);
    user.AppendStatus(texts::kSyntaxError);
    user.AppendStatus(std::string(texts::kErrorLinePrefix) + StripChunkPrefix(message, path));
    return Outcome::SyntaxError;
  }

  HostInterrupt interrupt(user, time_limit_ms_);
  ScriptWarnings warnings;
  ScriptContext context{registry_, platform_, &interrupt, &warnings, ScriptFolder(path)};
  SetScriptContext(L, &context);
  lua_sethook(L, &HostInterrupt::Hook, LUA_MASKCOUNT, kHookInterval);
  if (lua_pcall(L, 0, LUA_MULTRET, 0) != LUA_OK) {
    const std::string message = ErrorText(L);
    user.AppendStatus(texts::kRuntimeError);
    user.AppendStatus(std::string(texts::kErrorLinePrefix) + StripChunkPrefix(message, path));
  }
  timed_out_ = interrupt.timed_out();
  const bool stop_requested = interrupt.stop_requested();
  state.reset();  // the registry holds copies of everything the run needs

  // After the script's own lines, what it got wrong without stopping, and
  // the windows the keeper is still waiting for.
  warnings_ = warnings.Lines(texts::kWarnMore);
  for (const std::string& line : warnings_) user.AppendStatus(line);
  if (report_waiting_windows_) {
    ScriptWarnings waiting;
    for (const WindowRule& rule : registry_.window_rules.Items())
      if (rule.window.Load() == 0)
        waiting.Add(Format(texts::kWaitingForWindow, Excerpt(rule.name).c_str(), Excerpt(rule.window_text).c_str()));
    for (const std::string& line : waiting.Lines(texts::kWaitingMore)) user.AppendStatus(line);
  }

  registry_.run_flag.Set();
  if (stop_requested) {
    // The user asked to stop while the script itself was running: no run.
    StopScript();
    return Outcome::Loaded;
  }
  const ThreadPriority priority = PriorityFromText(user.CpuPriorityText());
  if (!registry_.priority_tasks.Empty())
    workers_.push_back(platform_.threads.Start(
        [this] { RunRepeatWorker(TaskListKind::Priority, registry_, platform_); }, priority));
  if (!registry_.ordinary_tasks.Empty())
    workers_.push_back(platform_.threads.Start(
        [this] { RunRepeatWorker(TaskListKind::Ordinary, registry_, platform_); }, priority));
  if (!registry_.window_rules.Empty())
    workers_.push_back(
        platform_.threads.Start([this] { RunWindowKeeper(registry_, platform_); }, priority));

  if (registry_.priority_tasks.Empty() && registry_.ordinary_tasks.Empty() && registry_.window_rules.Empty()) {
    user.AppendStatus(texts::kNothingRuns);
    StopScript();
    return Outcome::Loaded;
  }
  user.AppendStatus(texts::kRunningLine);
  user.AppendStatus(texts::kHintLine);
  user.AppendStatus(texts::kHintTargetLine);
  user.SetTitle(texts::kRunningTitle);
  user.SetRunningControls(true);
  return Outcome::Loaded;
}

void ScriptHost::StopScript() {
  UserPort& user = platform_.user;
  RunFlag& flag = registry_.run_flag;
  flag.Clear();
  // A step already in flight finishes (a pressed key is released); after
  // this wait no worker starts another one.
  platform_.threads.WaitUntil([&flag] { return flag.StepsIdle(); });
  ReleaseTopmostWindows(registry_, platform_.windows);
  user.DeleteFirstStatusWithPrefix(texts::kRunningPrefix);
  user.InsertStatusTop(texts::kStoppedLine);
  user.SetTitle(texts::kAppTitle);
  user.SetRunningControls(false);
}

// 中文(a, b): shows the sum of the two numbers, truncated, in a box.
int LuaSum(lua_State* L) {
  int is_number = 0;
  const lua_Number a = lua_tonumberx(L, 1, &is_number);
  if (!is_number) {
    lua_pushstring(L, texts::kSumFirstNotNumber);
    return lua_error(L);
  }
  const lua_Number b = lua_tonumberx(L, 2, &is_number);
  if (!is_number) {
    lua_pushstring(L, texts::kSumSecondNotNumber);
    return lua_error(L);
  }
  const int32_t sum = static_cast<int32_t>(static_cast<uint32_t>(TruncToInt32(a)) +
                                           static_cast<uint32_t>(TruncToInt32(b)));
  ScriptContext& context = GetScriptContext(L);
  // A loop of boxes runs few instructions between them: look for a stop
  // request before each one, not only from the count hook.
  if (context.interrupt) context.interrupt->Check(L);
  context.platform.user.ShowMessage(std::to_string(sum), texts::kSumCaption, MessageOwner::None);
  return 2;
}

// 等待(ms): sleeps on the interface thread, in slices so that a stop
// request or the time limit still ends the script.
int LuaWait(lua_State* L) {
  int is_number = 0;
  const lua_Number value = lua_tonumberx(L, 1, &is_number);
  const int32_t ms = is_number ? TruncToInt32(value) : 0;
  if (ms <= 0) return 0;
  ScriptContext& context = GetScriptContext(L);
  constexpr uint32_t kSlice = 20;
  auto remaining = static_cast<uint32_t>(ms);
  while (remaining > 0) {
    if (context.interrupt) context.interrupt->Check(L);
    const uint32_t step = remaining < kSlice ? remaining : kSlice;
    context.platform.clock.Sleep(step);
    remaining -= step;
  }
  return 0;
}

}  // namespace tora
