// 重复动作(table, interval, condition, window, priority, count): declares a
// repeat task over the rows of an action table.
#include <string>

#include "engine/action_table.h"
#include "engine/lua_args.h"
#include "engine/script_context.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "lauxlib.h"
#include "lua.h"

namespace tora {

namespace {

enum Argument { kArgTable = 1, kArgInterval, kArgCondition, kArgWindow, kArgPriority, kArgCount };

// The editor's window choices that name no rule: keys go to the foreground.
bool NamesNoRule(const std::string& window) {
  return window == "0" || window == texts::kWindowForeground || window == texts::kWindowBackground;
}

// A link that names nothing leaves the task unrun rather than unguarded.
void WarnUnlinked(lua_State* L, RepeatTask& task, const std::string& text, const char* missing,
                  const char* form) {
  task.unlinked = true;
  const std::string name = InnerName(text);
  if (text.find('(') == std::string::npos || name.empty())
    WarnAtCall(L, texts::kFnRepeatAction, Format(form, Excerpt(text).c_str()));
  else
    WarnAtCall(L, texts::kFnRepeatAction, Format(missing, Excerpt(text).c_str(), Excerpt(name).c_str()));
}

// Whether a relative mouse step of the task's list would count from a point
// nothing has found: only a rectangle search writes one (a fixed condition is
// looked at, not searched).
bool RelativeWithoutAMatch(const RepeatTask& task, const ActionRegistry& registry) {
  if (task.has_condition)
    if (const ScreenCondition* c = registry.screen_conditions.Get(task.condition_id); c && c->search_in_rect)
      return false;
  const ActionList* list = registry.action_lists.Get(task.action_list_id);
  return list && RelativeClickBeforeBranch(*list, registry);
}

}  // namespace

int LuaRepeatAction(lua_State* L) {
  ActionRegistry& registry = GetScriptContext(L).registry;

  RepeatTask task;
  task.script_line = CallLine(L);

  const std::string window = CheckString(L, kArgWindow);
  if (!NamesNoRule(window)) {
    if (const std::optional<int32_t> id = registry.window_rules.FindByName(InnerName(window))) {
      task.has_window = true;
      task.window_rule_id = *id;
    } else {
      WarnUnlinked(L, task, window, texts::kWarnWindowMissing, texts::kWarnWindowForm);
    }
  }

  ActionList list;
  std::string table;
  if (OptionalString(L, kArgTable, table))
    ParseActionTable(L, table, list, kAcceptBranch | kAcceptPasteText | kAcceptOpenUrl, registry,
                     texts::kFnRepeatAction);
  else
    WarnAtCall(L, texts::kFnRepeatAction, texts::kWarnNoTable);
  // The id is taken only now: the table's metatable may have run another
  // 重复动作 while the rows were read, and that call's list came first.
  list.id = registry.action_lists.Length();
  task.action_list_id = registry.action_lists.Append(std::move(list));

  task.interval = SecondsToMs(OptionalNumber(L, kArgInterval));
  if (!lua_isnumber(L, kArgInterval)) {
    const char* text = lua_isstring(L, kArgInterval) ? lua_tostring(L, kArgInterval) : luaL_typename(L, kArgInterval);
    WarnAtCall(L, texts::kFnRepeatAction, Format(texts::kWarnInterval, Excerpt(text).c_str()));
  }
  task.next_run = 0;

  std::string condition;
  if (OptionalString(L, kArgCondition, condition)) {
    if (condition != "0") {
      if (const std::optional<int32_t> id = registry.screen_conditions.FindByName(InnerName(condition))) {
        task.has_condition = true;
        task.condition_id = *id;
      } else {
        WarnUnlinked(L, task, condition, texts::kWarnConditionMissing, texts::kWarnConditionForm);
      }
    }
  }

  if (!task.unlinked && RelativeWithoutAMatch(task, registry))
    WarnAtCall(L, texts::kFnRepeatAction, Format(texts::kWarnRelativeWithoutPoint, Excerpt(table).c_str()));

  int is_number = 0;
  const lua_Number count = lua_tonumberx(L, kArgCount, &is_number);
  if (is_number) task.count_limit = TruncToInt32(count);
  if (task.count_limit < 0) WarnAtCall(L, texts::kFnRepeatAction, Format(texts::kWarnCountNegative, task.count_limit));

  // The task is complete before it is listed, so an argument error here
  // leaves no task behind.
  if (CheckString(L, kArgPriority) == texts::kPriorityTask)
    registry.priority_tasks.Append(task);
  else
    registry.ordinary_tasks.Append(task);
  return 0;
}

}  // namespace tora
