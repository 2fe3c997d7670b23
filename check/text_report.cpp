#include "check/text_report.h"

#include <algorithm>

#include "engine/action_table.h"
#include "engine/key_names.h"
#include "engine/text_util.h"
#include "engine/texts.h"

namespace tora {

namespace {

// Points of a condition listed before the rest is only counted.
constexpr size_t kPointsShown = 10;

std::string Ms(int32_t ms) { return Format("%d毫秒", ms); }

std::string Pause(int32_t ms) { return ms > 0 ? "，停顿" + Ms(ms) : std::string(); }

// A text on one line: line breaks as \r and \n, as the script writes them.
std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

std::string KeyNames(const std::vector<int32_t>& keys) {
  std::string out;
  for (int32_t code : keys) {
    if (!out.empty()) out += "+";
    const std::string name = KeyCodeToName(code);
    out += code == -1 ? std::string("(无此键)") : name.empty() ? Format("(代码%d)", code) : name;
  }
  return out;
}

const char* KeyModeName(KeyMode mode) {
  switch (mode) {
    case KeyMode::Press: return texts::kRowPress;
    case KeyMode::Down: return texts::kRowDown;
    case KeyMode::Up: return texts::kRowUp;
  }
  return "";
}

class Writer {
 public:
  explicit Writer(const ActionRegistry& registry) : reg_(registry) {}

  void Line(int indent, const std::string& text) { out_ += std::string(2 * static_cast<size_t>(indent), ' ') + text + "\n"; }

  void Steps(int32_t list_id, int indent, int depth) {
    const ActionList* list = reg_.action_lists.Get(list_id);
    if (!list || list->steps.empty()) return Line(indent, "(没有动作)");
    int n = 0;
    for (const ActionStep& step : list->steps) Step(step, ++n, indent, depth);
  }

  void Step(const ActionStep& step, int n, int indent, int depth) {
    const std::string at = Format("%d. ", n);
    switch (step.type) {
      case StepType::Key:
        if (const KeyAction* k = reg_.key_steps.Get(step.id))
          Line(indent, at + KeyModeName(k->mode) + " " + KeyNames(k->keys) + Pause(k->pause));
        return;
      case StepType::Mouse:
        if (const MouseAction* m = reg_.mouse_steps.Get(step.id)) {
          const std::string where = m->coord == CoordMode::Absolute
                                        ? Format("屏幕上(%d,%d)", m->x, m->y)
                                        : Format("找到的点偏移(%d,%d)", m->x, m->y);
          Line(indent, at + MouseRowKind(m->press, m->release) + " " + where + Pause(m->pause));
        }
        return;
      case StepType::PasteText:
        if (const PasteTextAction* p = reg_.paste_text_steps.Get(step.id))
          Line(indent, at + texts::kRowPasteText + " \"" + OneLine(p->text) + "\"" + Pause(p->pause));
        return;
      case StepType::OpenUrl:
        if (const OpenUrlAction* u = reg_.open_url_steps.Get(step.id))
          Line(indent, at + texts::kRowOpenUrl + " " + OneLine(u->url) + Pause(u->pause));
        return;
      case StepType::Branch:
        if (const BranchAction* b = reg_.branch_actions.Get(step.id)) {
          Line(indent, at + Format("找到\"%s\"(条件%d)时：", b->name.c_str(), b->condition_id));
          // Branches only name earlier ones; the bound is for hand-made registries.
          if (depth < reg_.branch_actions.Length()) Steps(b->action_list_id, indent + 1, depth + 1);
        }
        return;
    }
  }

  void Task(const RepeatTask& t, const char* kind, int n) {
    std::string head = Format("%s任务%d：每%s一次，", kind, n, Ms(t.interval).c_str());
    head += t.count_limit == 0 ? std::string("不限次数") : t.count_limit < 0 ? std::string("一次也不运行")
                                                                            : Format("最多%d次", t.count_limit);
    if (const ScreenCondition* c = t.has_condition ? reg_.screen_conditions.Get(t.condition_id) : nullptr)
      head += Format("；条件：\"%s\"(条件%d)成立时", c->name.c_str(), t.condition_id);
    if (const WindowRule* w = t.has_window ? reg_.window_rules.Get(t.window_rule_id) : nullptr)
      head += Format("；按键发给窗口操作\"%s\"的窗口", w->name.c_str());
    else
      head += "；按键发给前台";
    if (t.unlinked) head += "；不会运行：条件或窗口的名字没有对应";
    Line(0, head);
    Steps(t.action_list_id, 1, 0);
  }

  void Condition(const ScreenCondition& c, int n) {
    std::string head = Format("条件%d \"%s\"：", n, c.name.c_str());
    if (!c.picture.empty()) head += Format("图像%s，%d个取样点，", c.picture.c_str(), static_cast<int>(c.points.size()));
    else head += Format("%d个颜色点，", static_cast<int>(c.points.size()));
    if (c.search_in_rect)
      head += Format("在(%d,%d)-(%d,%d)里找", c.rect.left, c.rect.top, c.rect.right, c.rect.bottom);
    else
      head += "固定位置";
    head += Format("，容差%d", c.tolerance);
    Line(0, head);
    if (!c.picture.empty()) return;
    static const char* const kOps[] = {"(不比较)", "==", "!=", "~=", "!~"};
    for (size_t i = 0; i < c.points.size() && i < kPointsShown; ++i) {
      const ColorPoint& p = c.points[i];
      const char* op = p.op >= kOpEqual && p.op <= kOpNotNear ? kOps[p.op] : kOps[0];
      Line(1, Format("(%d,%d) %s 0x%06X", p.x, p.y, op, p.colour));
    }
    if (c.points.size() > kPointsShown) Line(1, Format("……共%d个", static_cast<int>(c.points.size())));
  }

  void Rule(const WindowRule& w, int n) {
    std::string head = Format("窗口操作%d \"%s\"：窗口\"%s\"，位置%s", n, w.name.c_str(), w.window_text.c_str(),
                              w.corner.c_str());
    if (w.topmost) head += "，置顶";
    if (w.width != 0 && w.height != 0) head += Format("，大小%dx%d", w.width, w.height);
    head += Format("，每%s查看一次", Ms(w.interval).c_str());
    Line(0, head);
  }

  void Screenshot(const ScreenshotRecord& shot) {
    Line(0, Format("在截图上（%dx%d）：", shot.width, shot.height));
    const std::vector<ScreenCondition>& conditions = reg_.screen_conditions.Items();
    for (size_t n = 0; n < conditions.size() && n < shot.checks.size(); ++n) {
      const ScreenCondition& c = conditions[n];
      const std::vector<std::string> lines = DescribeCheck(c, shot.checks[n]);
      for (size_t i = 0; i < lines.size(); ++i)
        Line(i == 0 ? 1 : 2, i == 0 ? Format("条件%d \"%s\"：%s", static_cast<int>(n), c.name.c_str(), lines[i].c_str())
                                    : lines[i]);
    }
    ShotTasks(reg_.priority_tasks.Items(), "优先", shot);
    ShotTasks(reg_.ordinary_tasks.Items(), "", shot);
  }

  void ShotTasks(const std::vector<RepeatTask>& tasks, const char* kind, const ScreenshotRecord& shot) {
    int n = 0;
    for (const RepeatTask& t : tasks) {
      const char* verdict = t.unlinked ? "不会运行（条件或窗口的名字没有对应）"
                            : !t.has_condition       ? "没有条件，会运行"
                            : TaskHoldsOn(t, shot.checks) ? "条件成立，会运行"
                                                           : "条件不成立";
      Line(1, Format("%s任务%d：%s", kind, n++, verdict));
    }
  }

  void Texts(const char* title, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    Line(0, Format("%s（%d）：", title, static_cast<int>(lines.size())));
    for (const std::string& line : lines) Line(1, line);
  }

  std::string Take() { return std::move(out_); }

 private:
  const ActionRegistry& reg_;
  std::string out_;
};

}  // namespace

bool TaskHoldsOn(const RepeatTask& task, const std::vector<ConditionCheck>& checks) {
  if (task.unlinked) return false;
  if (!task.has_condition) return true;
  return task.condition_id >= 0 && static_cast<size_t>(task.condition_id) < checks.size() &&
         checks[static_cast<size_t>(task.condition_id)].met;
}

std::string TextReport(const ActionRegistry& registry, const StartRecord& start) {
  Writer w(registry);
  int n = 0;
  for (const RepeatTask& t : registry.priority_tasks.Items()) w.Task(t, "优先", n++);
  n = 0;
  for (const RepeatTask& t : registry.ordinary_tasks.Items()) w.Task(t, "", n++);
  n = 0;
  for (const ScreenCondition& c : registry.screen_conditions.Items()) w.Condition(c, n++);
  n = 0;
  for (const BranchAction& b : registry.branch_actions.Items()) {
    w.Line(0, Format("找到时的动作%d \"%s\"：条件%d成立时", n++, b.name.c_str(), b.condition_id));
    w.Steps(b.action_list_id, 1, 1);
  }
  n = 0;
  for (const WindowRule& r : registry.window_rules.Items()) w.Rule(r, n++);
  // The warnings stand among the status lines too; they are listed below.
  std::vector<std::string> status;
  for (const std::string& line : start.status)
    if (std::find(start.warnings.begin(), start.warnings.end(), line) == start.warnings.end()) status.push_back(line);
  w.Texts("状态", status);
  w.Texts("提示框", start.messages);
  if (start.screenshot) w.Screenshot(*start.screenshot);
  w.Texts("警告", start.warnings);
  if (start.warnings.empty()) w.Line(0, "没有警告");
  return w.Take();
}

}  // namespace tora
