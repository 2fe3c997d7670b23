#include "engine/window_rules.h"

#include <algorithm>
#include <limits>

#include "engine/lua_args.h"
#include "engine/scheduler.h"
#include "engine/script_context.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "lauxlib.h"
#include "lua.h"

namespace tora {

namespace {

// The sleep between two passes of the keeper.
constexpr uint32_t kKeeperPassMs = 100;

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool IsCorner(const std::string& corner) {
  for (const char* known : {texts::kCornerNone, texts::kCornerTopLeft, texts::kCornerTopRight, texts::kCornerBottomLeft,
                            texts::kCornerBottomRight, texts::kCornerCentre})
    if (corner == known) return true;
  return false;
}

}  // namespace

WindowHandle FindRuleWindow(const std::string& window_text, WindowPort& windows) {
  WindowHandle window = windows.FindByTitle(window_text);
  if (window == 0) window = windows.FindByClass(window_text);
  return window;
}

bool ComputePlacement(WindowRule& rule, WindowPort& windows) {
  const WindowHandle window = rule.window.Load();
  if (window == 0 || !windows.IsWindow(window)) return false;
  rule.ready = false;
  Rect rect;
  if (!windows.GetRect(window, rect)) return false;  // closed in between
  const Rect area = windows.WorkArea();
  // The size is taken once, from the first window found, and kept in the
  // rule: a window that reappears later is given that same size.
  if (rule.width == 0 || rule.height == 0) {
    rule.width = Clamp32(static_cast<int64_t>(rect.right) - rect.left);
    rule.height = Clamp32(static_cast<int64_t>(rect.bottom) - rect.top);
  }
  if (rule.width <= 0 || rule.height <= 0) return false;
  const int64_t free_w = static_cast<int64_t>(area.right) - area.left - rule.width;
  const int64_t free_h = static_cast<int64_t>(area.bottom) - area.top - rule.height;
  // Positions count from the screen origin, not from the work area's corner.
  const std::string& corner = rule.corner;
  if (corner == texts::kCornerNone) {
    rule.move = false;
  } else if (corner == texts::kCornerTopLeft) {
    rule.x = 0, rule.y = 0, rule.move = true;
  } else if (corner == texts::kCornerTopRight) {
    rule.x = Clamp32(free_w), rule.y = 0, rule.move = true;
  } else if (corner == texts::kCornerBottomLeft) {
    rule.x = 0, rule.y = Clamp32(free_h), rule.move = true;
  } else if (corner == texts::kCornerBottomRight) {
    rule.x = Clamp32(free_w), rule.y = Clamp32(free_h), rule.move = true;
  } else if (corner == texts::kCornerCentre) {
    rule.x = Clamp32(free_w / 2), rule.y = Clamp32(free_h / 2), rule.move = true;
  }
  rule.ready = true;
  return true;
}

bool RunKeeperPass(uint32_t now, ActionRegistry& registry, Platform& platform) {
  WindowPort& windows = platform.windows;
  for (WindowRule& rule : registry.window_rules.Items()) {
    if (!registry.run_flag.IsSet()) return false;
    if (!TickDue(now, rule.next_check)) continue;
    rule.next_check = TickAfter(now, rule.interval);
    if (!rule.ready || !windows.IsWindow(rule.window.Load())) {
      const WindowHandle found = FindRuleWindow(rule.window_text, windows);
      rule.window.Store(found);
      if (found == 0) continue;
      rule.ready = ComputePlacement(rule, windows);
    }
    if (!rule.ready) continue;
    // Held like an input step, so that a stop, once it has returned and
    // taken the windows out of the topmost band, cannot be undone by a pass
    // that was already under way.
    StepGuard guard(registry.run_flag);
    if (!guard.ok()) return false;
    const WindowHandle window = rule.window.Load();
    if (rule.move) windows.Move(window, rule.x, rule.y, rule.width, rule.height);
    if (rule.topmost) windows.SetTopmost(window, true);
  }
  return registry.run_flag.IsSet();
}

void RunWindowKeeper(ActionRegistry& registry, Platform& platform) {
  while (registry.run_flag.IsSet()) {
    if (!RunKeeperPass(platform.clock.TickCount(), registry, platform)) return;
    if (!platform.clock.Pause(kKeeperPassMs, registry.run_flag)) return;
  }
}

void ReleaseTopmostWindows(ActionRegistry& registry, WindowPort& windows) {
  for (WindowRule& rule : registry.window_rules.Items()) {
    if (!rule.topmost) continue;
    const WindowHandle window = rule.window.Load();
    if (window != 0 && windows.IsWindow(window)) windows.SetTopmost(window, false);
  }
}

// 窗口操作(name, window text, corner, topmost, width, height, interval):
// declares a window rule; the window is looked for at once.
int LuaWindowOperation(lua_State* L) {
  ScriptContext& context = GetScriptContext(L);
  WindowPort& windows = context.platform.windows;
  WindowRule rule;
  rule.name = CheckString(L, 1);
  rule.window_text = CheckString(L, 2);
  rule.window.Store(FindRuleWindow(rule.window_text, windows));
  rule.corner = CheckString(L, 3);
  const std::string topmost = CheckString(L, 4);
  rule.topmost = topmost == texts::kTopmost;
  if (!IsCorner(rule.corner))
    WarnAtCall(L, texts::kFnWindowOperation, Format(texts::kWarnCorner, Excerpt(rule.corner).c_str()));
  if (!rule.topmost && topmost != texts::kNotTopmost)
    WarnAtCall(L, texts::kFnWindowOperation, Format(texts::kWarnTopmost, Excerpt(topmost).c_str()));
  rule.width = TruncToInt32(OptionalNumber(L, 5));
  rule.height = TruncToInt32(OptionalNumber(L, 6));
  if (rule.window.Load() != 0) rule.ready = ComputePlacement(rule, windows);
  rule.interval = SecondsToMs(OptionalNumber(L, 7));
  rule.next_check = 0;
  context.registry.window_rules.Append(std::move(rule));
  return 0;
}

}  // namespace tora
