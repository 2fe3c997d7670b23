// Random field texts through every generator of the editor: the rows of the
// key, mouse and other pages and of the recorder, the branch rows of the
// find pages' choices, the colour-point rows, the find calls, the window
// call and 添加代码, each page's result put into the code box as the page
// puts it. Each refusal is fine; whatever was written is saved as the editor
// saves it and run by the script host, which must load it with no error and
// no warning, and whose registry must hold exactly what was typed. The
// choice lists must offer exactly what the script declares.
#include <fuzzer/FuzzedDataProvider.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "editor/codegen.h"
#include "editor/find_code.h"
#include "editor/page_rows.h"
#include "editor/page_texts.h"
#include "editor/script_file.h"
#include "editor/script_literal.h"
#include "editor/texts.h"
#include "editor/window_page_logic.h"
#include "engine/action_table.h"
#include "engine/key_names.h"
#include "engine/registry.h"
#include "engine/script_host.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "platform/sim/sim_platform.h"
#include "vision/bmp_writer.h"
#include "vision/find_color.h"

namespace {

using namespace tora;
namespace pt = page_texts;
namespace et = editor_texts;

// What Lua's reader, the rows' separators and the numbers make special, and
// the words the pages know. GBK: 9C 5C 淺, 87 5C 嘰, 8C 5C 孿, EC 5C 靄,
// A9 5C ‐, DF 40 這, D6 D0 中.
const char* const kPieces[] = {
    "\\", "\"", "'", ",", "+", "(", ")", "{", "}", "[[", "--", "\\r\\n", "\\n", "\\x41", "\\065", "\\z", "\r\n",
    "\r", "\n", "\t", "\x01", "\x1A", " ", "-", ".", "0", "1", "3", "0.5", ".5", "3.", "0,5", "1e3", "-1", "0x1f",
    "007", "99999999999", "%", "http://a.cn/?q=", "\x9C\x5C", "\x87\x5C", "\x8C\x5C", "\xEC\x5C", "\xA9\x5C",
    "\xDF\x40", "\xD6\xD0", "Ctrl", "Shift", "A", "a", "Num +", "Num 5", "F11", "Page Up", "==", "~=", "ff",
    "100,200", "0,0,800,600"};

// Where the pictures of the find-image calls lie: real files, with names
// that hold backslash bytes.
std::vector<std::string>& Pictures() {
  static std::vector<std::string> paths;
  return paths;
}

// A valid GBK text of random pieces (no NUL: no edit control holds one).
std::string Field(FuzzedDataProvider& in) {
  std::string text;
  const int pieces = in.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < pieces && in.remaining_bytes() > 0; ++i) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
      case 0: text += static_cast<char>(in.ConsumeIntegralInRange(1, 0x7F)); break;
      case 1:
        text += static_cast<char>(in.ConsumeIntegralInRange(0x81, 0xFE));
        text += static_cast<char>(in.ConsumeBool() ? in.ConsumeIntegralInRange(0x40, 0x7E)
                                                   : in.ConsumeIntegralInRange(0x80, 0xFE));
        break;
      case 2: text += std::string(in.ConsumeIntegralInRange(1, 300), in.ConsumeBool() ? 'x' : '\\'); break;
      default: text += kPieces[in.ConsumeIntegralInRange<size_t>(0, std::size(kPieces) - 1)]; break;
    }
  }
  return text;
}

template <size_t N>
std::string Pick(FuzzedDataProvider& in, const char* const (&items)[N]) {
  return items[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

// A field that is often one of the page's own items.
template <size_t N>
std::string ItemOrField(FuzzedDataProvider& in, const char* const (&items)[N]) {
  return in.ConsumeBool() ? Pick(in, items) : Field(in);
}

std::string Ms(const std::string& seconds) { return std::to_string(SecondsToMs(std::strtod(seconds.c_str(), nullptr))); }

// A row waiting in the repeat list, and the step it must become.
struct Row {
  std::string text, step;
};

// The script as the pages build it, and what its registry must hold, in
// the order the script declares it.
struct Model {
  std::string code;
  std::vector<Row> rows;  // the repeat list
  std::string points;     // the find-colour page's point list
  std::vector<std::string> point_steps;
  std::vector<std::string> rules, conditions, branches;
  // Each task: what the registry must hold of it, and the condition and
  // window texts its call was written with, which link by the names the
  // whole script declares (a name may be declared after the task).
  struct Task {
    std::string steps, condition, window;
    bool priority = false;
  };
  std::vector<Task> tasks;
  // Choice entries the script's lines must give, in code order.
  std::vector<std::string> colour_choices, image_choices, condition_choices, window_choices;
  bool exact = true;  // false once a line typed by hand went in
  bool relative = false;  // a relative click went into a find action or task
};

std::string Steps(const std::vector<Row>& rows) {
  std::string steps;
  for (const Row& row : rows) steps += row.step + ";";
  return steps;
}

// The repeat list as the generators get it: the rows, sometimes with a
// blank line or a line typed by hand among them.
std::string RepeatList(FuzzedDataProvider& in, Model& m, bool& typed) {
  std::string list;
  for (const Row& row : m.rows) list += row.text;
  typed = false;
  if (in.ConsumeBool()) list += "\r\n";
  if (in.ConsumeIntegralInRange(0, 7) == 0) {
    list += Field(in) + "\r\n";
    typed = true;
  }
  return list;
}

std::string KeyStep(KeyMode mode, const std::vector<std::string>& names, const std::string& pause) {
  std::string step = "K" + std::to_string(static_cast<int>(mode));
  for (const std::string& name : names) step += " " + std::to_string(KeyNameToCode(name));
  return step + " " + std::to_string(PauseFieldToMs(pause));
}

// A mouse step without its pause, which follows it.
std::string MouseStep(const std::string& kind, int32_t x, int32_t y, bool relative) {
  return "M" + kind + " " + std::to_string(x) + "," + std::to_string(y) + (relative ? " R " : " A ");
}

void KeyRow(FuzzedDataProvider& in, Model& m) {
  KeyRowInput row;
  row.mode = ItemOrField(in, pt::kKeyModeItems);
  size_t count = 0;
  const KeyNameEntry* table = KeyNameTable(&count);
  for (std::string& key : row.keys)
    key = in.ConsumeBool() ? std::string(table[in.ConsumeIntegralInRange<size_t>(0, count - 1)].name)
                           : in.ConsumeBool() ? std::string() : Field(in);
  row.pause = ItemOrField(in, pt::kKeyPauseItems);
  const PageRow out = BuildKeyRow(row);
  if (!out.message.empty()) return;
  std::vector<std::string> names;
  for (const std::string& key : row.keys)
    if (!key.empty()) names.push_back(key);
  const KeyMode mode = row.mode == pt::kKeyModeItems[0] ? KeyMode::Press
                       : row.mode == pt::kKeyModeItems[1] ? KeyMode::Down : KeyMode::Up;
  m.rows.push_back({out.row, KeyStep(mode, names, row.pause)});
}

void MouseRow(FuzzedDataProvider& in, Model& m) {
  MouseRowInput row;
  row.kind = ItemOrField(in, pt::kMouseKindItems);
  row.position = in.ConsumeBool() ? std::to_string(in.ConsumeIntegral<int16_t>()) + "," +
                                        std::to_string(in.ConsumeIntegral<int16_t>())
                                  : Field(in);
  const bool relative = in.ConsumeBool();
  row.coord_type = relative ? pt::kCoordRelativeItem : pt::kCoordAbsoluteItem;
  row.pause = ItemOrField(in, pt::kMousePauseItems);
  const PageRow out = BuildMouseRow(row);
  if (!out.message.empty()) return;
  const std::vector<std::string> xy = SplitString(row.position, ',');
  m.rows.push_back({out.row, MouseStep(row.kind, LeadingInt(xy[0]), LeadingInt(xy[1]), relative) +
                                 std::to_string(PauseFieldToMs(row.pause))});
}

// Clicks recorded, then stopped with Ctrl+F11: one row a click, its pause
// the whole seconds to the next click (0 for the last).
void RecordedClicks(FuzzedDataProvider& in, Model& m) {
  MouseRecorder recorder;
  recorder.Start();
  Row row;
  uint32_t now = in.ConsumeIntegral<uint32_t>(), last = now;
  for (int i = in.ConsumeIntegralInRange(1, 3); i > 0; --i) {
    if (!row.step.empty()) row.step += std::to_string(static_cast<int32_t>(now - last) / 1000 * 1000) + ";";
    const bool right = in.ConsumeBool();
    const int16_t x = in.ConsumeIntegral<int16_t>(), y = in.ConsumeIntegral<int16_t>();
    row.text += recorder.Click(right, x, y, now);
    row.step += MouseStep(right ? texts::kRowRightClick : texts::kRowLeftClick, x, y, false);
    last = now;
    now += in.ConsumeIntegralInRange<uint32_t>(0, 20000);
  }
  row.text += HotkeyStopText(false);
  row.step += "0";
  m.rows.push_back(row);
}

// The paste text as the clipboard must get it: one CR LF a line break, and
// the three characters the row cannot hold as their full-width look-alikes.
std::string PastedText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (c == ',') {
      out += pt::kFullWidthComma;
    } else if (c == '"') {
      out += pt::kFullWidthQuote;
    } else if (c == '\'') {
      out += pt::kFullWidthApostrophe;
    } else {
      out += c;
    }
  }
  return out;
}

std::string EncodedUrl(const std::string& url) {
  std::string out;
  for (char c : url) out += c == ',' ? "%2C" : c == '"' ? "%22" : std::string(1, c);
  return out;
}

void TextRow(FuzzedDataProvider& in, Model& m) {
  const bool paste = in.ConsumeBool();
  const std::string text = Field(in);
  const std::string pause = ItemOrField(in, pt::kOtherPauseItems);
  const PageRow out = paste ? BuildPasteRows(text, pause) : BuildAddressRow(text, pause);
  if (!out.message.empty()) return;
  const std::string ms = std::to_string(PauseFieldToMs(pause));
  if (paste)
    m.rows.push_back({out.row, "P" + PastedText(text) + " " + ms + ";" + KeyStep(KeyMode::Press, {"Ctrl", "V"}, "1")});
  else
    m.rows.push_back({out.row, "U" + EncodedUrl(text) + " " + ms});
}

// A branch row from a find page's choices, or from a choice typed by hand.
void BranchRow(FuzzedDataProvider& in, Model& m) {
  const bool colour = in.ConsumeBool();
  const std::vector<std::string> choices = colour ? ColorActionChoices(m.code) : ImageActionChoices(m.code);
  std::string choice;
  std::string name;
  if (!choices.empty() && in.ConsumeBool()) {
    const size_t at = in.ConsumeIntegralInRange<size_t>(0, choices.size() - 1);
    choice = choices[at];
  } else {
    name = Field(in);
    choice = colour ? std::string(et::kColourAction) + "(" + name + ")" : std::string(et::kImageAction) + "(\"" + name + "\")";
  }
  const PageEdit out = colour ? ColorActionRow(choice, m.code) : ImageActionRow(choice, m.code);
  if (out.refused) return;
  if (name.empty()) {
    // The name the entry offers: the choice between "(" (and a quote) and ")".
    const size_t open = choice.find('(') + (colour ? 1 : 2);
    name = choice.substr(open, choice.size() - open - (colour ? 1 : 2));
  }
  m.rows.push_back({out.text, "B" + name});
}

[[noreturn]] void Fail(const char* what, const std::string& code, const std::string& detail);

// The words the window box once offered, which scripts keep: no rule.
const char* const kOldWindowWords[] = {"前台", "后台"};

// A condition or window box as the user leaves it: empty, one of its
// entries, or typed: a name alone or in an entry's call form, whether the
// script declares it (before or after the task) or not, or any text.
std::string BoxText(FuzzedDataProvider& in, const std::vector<std::string>& items,
                    const std::vector<const char*>& calls) {
  switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: return std::string();
    case 1: return Field(in);
    case 2: return (in.ConsumeBool() ? std::string(calls[in.ConsumeIntegralInRange<size_t>(0, calls.size() - 1)]) : "") +
                   "(" + Field(in) + ")";
    default: return items[in.ConsumeIntegralInRange<size_t>(0, items.size() - 1)];
  }
}

void AddCode(FuzzedDataProvider& in, Model& m) {
  RepeatCodeInput code;
  code.interval = ItemOrField(in, et::kIntervalItems);
  code.count = ItemOrField(in, et::kCountItems);
  code.description = in.ConsumeBool() ? std::string() : Field(in);
  bool typed = false;
  code.repeat_list = RepeatList(in, m, typed);
  code.condition = BoxText(in, ConditionBoxItems(m.code), {et::kColourCondition, et::kImageCondition});
  code.window = in.ConsumeIntegralInRange(0, 7) == 0 ? Pick(in, kOldWindowWords)
                                                     : BoxText(in, WindowBoxItems(m.code), {et::kWindowOperation});
  code.priority = in.ConsumeBool();
  code.code_box = m.code;
  const RepeatCodeResult out = AddRepeatCode(code);
  if (!out.message.empty()) return;
  m.exact = m.exact && !typed;
  m.code = out.code_box;
  const std::string count = code.count == et::kEndless ? "0" : code.count;
  Model::Task task{Steps(m.rows) + "|" + Ms(code.interval) + "|" + std::to_string(std::atoll(count.c_str())), "", "",
                   code.priority};
  // The two texts as the call holds them: after the table's name and the
  // interval, which holds no comma.
  const std::string call = out.code_box.substr(out.code_box.rfind(texts::kFnRepeatAction));
  size_t at = call.find(',', call.find("\",") + 2) + 1;
  task.condition = ReadLuaString(call, at).value_or("?");
  ++at;
  task.window = ReadLuaString(call, at).value_or("?");
  // Either names what the box was given, in an entry's "call(name)" or
  // bare; the entry that writes "0" and the old words stand for no link.
  const auto named = [](const std::string& text) { return text.find('(') == std::string::npos ? text : InnerName(text); };
  for (const auto& [typed, written, none] : {std::tuple{code.condition, task.condition, et::kNoConditionItem},
                                              std::tuple{code.window, task.window, et::kForegroundWindowItem}}) {
    const bool no_link = typed.empty() || typed == "0" || typed == none;
    if (no_link ? written != "0" : written != typed && (written.find('(') == std::string::npos || named(typed) != InnerName(written)))
      Fail("a link not as typed", m.code, typed + " -> " + written);
  }
  m.tasks.push_back(task);
  for (const Row& row : m.rows) m.relative = m.relative || row.step.find(" R ") != std::string::npos;
  m.rows.clear();
}

void WindowCall(FuzzedDataProvider& in, Model& m) {
  WindowCallInput call;
  call.window_text = in.ConsumeBool() ? WindowItemText(in.ConsumeIntegralInRange<int64_t>(1, 1 << 30), Field(in), Field(in))
                                      : Field(in);
  call.use_class = in.ConsumeBool();
  call.corner = Pick(in, et::kCornerItems);
  call.topmost = in.ConsumeBool();
  call.keep_size = in.ConsumeBool();
  call.width = in.ConsumeBool() ? std::to_string(in.ConsumeIntegralInRange(0, 4000)) : Field(in);
  call.height = in.ConsumeBool() ? std::to_string(in.ConsumeIntegralInRange(0, 4000)) : Field(in);
  call.description = Field(in);
  call.interval = ItemOrField(in, et::kIntervalItems);
  call.code_box = m.code;
  const WindowCallResult out = WindowOperationCall(call);
  if (out.call.empty()) return;
  const std::string name = call.description.empty() ? std::to_string(LineCount(m.code)) : call.description;
  const auto size = [&](const std::string& text) { return call.keep_size ? 0 : std::atoi(text.c_str()); };
  m.rules.insert(m.rules.begin(), name + "|" + WindowArgument(call.window_text, call.use_class) + "|" + call.corner +
                                      "|" + (call.topmost ? "T" : "-") + "|" + std::to_string(size(call.width)) + "," +
                                      std::to_string(size(call.height)) + "|" + Ms(call.interval));
  if (!name.empty()) m.window_choices.insert(m.window_choices.begin(), std::string(et::kWindowOperation) + "(" + name + ")");
  m.code = out.call + m.code;
}

void ColourPoint(FuzzedDataProvider& in, Model& m) {
  const std::string position = in.ConsumeBool() ? std::to_string(in.ConsumeIntegral<int16_t>()) + "," +
                                                      std::to_string(in.ConsumeIntegral<int16_t>())
                                                : Field(in);
  const std::string op = ItemOrField(in, et::kOperatorItems);
  const std::string colour = in.ConsumeBool() ? ColourText(in.ConsumeIntegral<uint32_t>()) : Field(in);
  const PageEdit out = AddColorPoint(position, op, colour);
  if (out.refused) return;
  const std::vector<std::string> xy = SplitString(position, ',');
  m.points += out.text;
  m.point_steps.push_back(std::to_string(LeadingInt(xy[0])) + "," + std::to_string(LeadingInt(xy[1])) + " " +
                          std::to_string(ColorOpFromText(op.substr(0, 2))) + " " +
                          std::to_string(std::strtoul(colour.c_str(), nullptr, 16)));
}

// The name of a find call: the name box without spaces, or the code box's
// line count.
std::string CallName(const std::string& name_box, const std::string& code) {
  std::string name;
  for (char c : name_box)
    if (c != ' ') name += c;
  return name.empty() ? std::to_string(LineCount(code)) : name;
}

// A find action's condition and branch in the model; its table's rows.
void AddFindAction(Model& m, const std::string& name, const std::string& condition, bool colour) {
  m.conditions.insert(m.conditions.begin(), condition);
  m.branches.insert(m.branches.begin(), name + "|" + Steps(m.rows));
  auto& choices = colour ? m.colour_choices : m.image_choices;
  choices.insert(choices.begin(), colour ? std::string(et::kColourAction) + "(" + name + ")"
                                         : std::string(et::kImageAction) + "(\"" + name + "\")");
  for (const Row& row : m.rows) m.relative = m.relative || row.step.find(" R ") != std::string::npos;
  m.rows.clear();
}

std::string Rect(const std::string& range) {
  if (range == et::kRangeItems[2]) return "0,0,320,200";
  std::string rect;
  for (const std::string& part : SplitString(range, ',')) rect += (rect.empty() ? "" : ",") + std::to_string(LeadingInt(part));
  return rect;
}

void ColourCall(FuzzedDataProvider& in, Model& m) {
  ColorForm form;
  const bool action = in.ConsumeBool();
  bool typed = false;
  form.point_list = m.points;
  if (in.ConsumeIntegralInRange(0, 7) == 0) {
    form.point_list += Field(in) + "\r\n";
    typed = true;
  }
  form.name = in.ConsumeBool() ? std::string() : Field(in);
  form.code_box = m.code;
  if (action) form.repeat_list = RepeatList(in, m, typed);
  form.mode = Pick(in, et::kModeItems);
  form.tolerance = in.ConsumeBool() ? std::string() : ItemOrField(in, et::kToleranceItems);
  form.range = ItemOrField(in, et::kRangeItems);
  const PageEdit out = action ? GenerateColorAction(form) : GenerateColorCondition(form);
  if (out.refused) return;
  m.exact = m.exact && !typed;
  const std::string name = CallName(form.name, m.code);
  const bool moving = form.mode == et::kModeMoving;
  std::string condition = name + "|C" + (moving ? Rect(form.range) : "-") + "|" +
                          std::to_string(std::atoi(form.tolerance.empty() ? "10" : form.tolerance.c_str()));
  for (const std::string& point : m.point_steps) condition += "|" + point;
  m.code = out.text + m.code;
  if (action) {
    AddFindAction(m, name, condition, true);
  } else {
    m.conditions.insert(m.conditions.begin(), condition);
    m.condition_choices.insert(m.condition_choices.begin(), std::string(et::kColourCondition) + "(" + name + ")");
  }
  // Both clear the point list and the repeat list.
  m.points.clear();
  m.point_steps.clear();
  m.rows.clear();
}

void ImageCall(FuzzedDataProvider& in, Model& m) {
  ImageForm form;
  const bool action = in.ConsumeBool();
  const std::string path = Pictures()[in.ConsumeIntegralInRange<size_t>(0, Pictures().size() - 1)];
  // As the page puts it in (doubled), or typed with single backslashes
  // where that is no doubled one (a GBK character's second byte 5C before a
  // separator is none).
  bool doubled = false;
  for (size_t i = 0; i + 1 < path.size(); i += IsGbkPairAt(path, i) ? 2 : 1)
    doubled = doubled || (path[i] == '\\' && path[i + 1] == '\\');
  form.path = !doubled && in.ConsumeBool() ? path : DoubledBackslashes(path);
  form.name = in.ConsumeBool() ? std::string() : Field(in);
  form.mode = Pick(in, et::kModeItems);
  form.position = in.ConsumeBool() ? "100,50" : Field(in);
  form.range = ItemOrField(in, et::kRangeItems);
  form.percent = ItemOrField(in, et::kPercentItems);
  form.code_box = m.code;
  bool typed = false;
  if (action) form.repeat_list = RepeatList(in, m, typed);
  const PageEdit out = action ? GenerateImageAction(form) : GenerateImageCondition(form);
  if (out.refused) return;
  m.exact = m.exact && !typed;
  const std::string name = CallName(form.name, m.code);
  const bool moving = form.mode == et::kModeMoving;
  const std::string condition = name + "|I" + (moving ? Rect(form.range) : "-") + "|" + path;
  m.code = out.text + m.code;
  if (action) {
    AddFindAction(m, name, condition, false);
  } else {
    m.conditions.insert(m.conditions.begin(), condition);
    m.condition_choices.insert(m.condition_choices.begin(), std::string(et::kImageCondition) + "(" + name + ")");
  }
}

// --- what the registry holds, written as the model writes it ---

std::string StepOf(const ActionRegistry& r, const ActionStep& step) {
  switch (step.type) {
    case StepType::Key: {
      const KeyAction& k = *r.key_steps.Get(step.id);
      std::string text = "K" + std::to_string(static_cast<int>(k.mode));
      for (int32_t code : k.keys) text += " " + std::to_string(code);
      return text + " " + std::to_string(k.pause);
    }
    case StepType::Mouse: {
      const MouseAction& a = *r.mouse_steps.Get(step.id);
      return MouseStep(MouseRowKind(a.press, a.release), a.x, a.y, a.coord == CoordMode::Relative) +
             std::to_string(a.pause);
    }
    case StepType::PasteText: {
      const PasteTextAction& p = *r.paste_text_steps.Get(step.id);
      return "P" + p.text + " " + std::to_string(p.pause);
    }
    case StepType::OpenUrl: {
      const OpenUrlAction& u = *r.open_url_steps.Get(step.id);
      return "U" + u.url + " " + std::to_string(u.pause);
    }
    case StepType::Branch: return "B" + r.branch_actions.Get(step.id)->name;
  }
  return "?";
}

std::string StepsOf(const ActionRegistry& r, int32_t list) {
  std::string steps;
  for (const ActionStep& step : r.action_lists.Get(list)->steps) steps += StepOf(r, step) + ";";
  return steps;
}

std::string ConditionOf(const ScreenCondition& c) {
  const std::string rect = c.search_in_rect ? std::to_string(c.rect.left) + "," + std::to_string(c.rect.top) + "," +
                                                  std::to_string(c.rect.right) + "," + std::to_string(c.rect.bottom)
                                            : "-";
  if (!c.picture.empty()) return c.name + "|I" + rect + "|" + c.picture;
  std::string text = c.name + "|C" + rect + "|" + std::to_string(c.tolerance);
  for (const ColorPoint& p : c.points)
    text += "|" + std::to_string(p.x) + "," + std::to_string(p.y) + " " + std::to_string(p.op) + " " +
            std::to_string(p.colour);
  return text;
}

std::string TaskOf(const ActionRegistry& r, const RepeatTask& t, bool priority) {
  return StepsOf(r, t.action_list_id) + "|" + std::to_string(t.interval) + "|" + std::to_string(t.count_limit) + "|" +
         (t.has_condition ? r.screen_conditions.Get(t.condition_id)->name : "-") + "|" +
         (t.has_window ? r.window_rules.Get(t.window_rule_id)->name : "-") + "|" + (priority ? "P" : "O");
}

// A text for the log: control characters but line ends as \xNN.
std::string Shown(const std::string& text) {
  std::string out;
  for (unsigned char c : text)
    out += c < 0x20 && c != '\n' && c != '\r' ? Format("\\x%02X", c) : std::string(1, static_cast<char>(c));
  return out;
}

[[noreturn]] void Fail(const char* what, const std::string& code, const std::string& detail = "") {
  std::fprintf(stderr, "generator fuzzer: %s\n--- detail\n%s\n--- script\n%s\n", what, Shown(detail).c_str(),
               Shown(code).c_str());
  std::abort();
}

void Expect(const std::vector<std::string>& got, const std::vector<std::string>& want, const char* what,
            const std::string& code) {
  if (got == want) return;
  std::string detail;
  for (const auto& g : got) detail += "got  " + g + "\n";
  for (const auto& w : want) detail += "want " + w + "\n";
  Fail(what, code, detail);
}

// The engine's warnings about relative clicks that nothing found a point
// for: a matter of the choices, not of the texts.
bool AboutRelativeClicks(const std::string& warning) {
  for (const char* format : {texts::kWarnRelativeWithoutPoint, texts::kWarnRelativeFixed}) {
    const std::string text = format;
    const std::string tail = text.substr(text.find("%s") + 2);
    if (warning.find(tail) != std::string::npos) return true;
  }
  return false;
}

// The engine's warnings about a condition or window that links to nothing.
bool AboutLinks(const std::string& warning) {
  for (const char* format : {texts::kWarnConditionMissing, texts::kWarnConditionForm, texts::kWarnWindowMissing,
                             texts::kWarnWindowForm}) {
    const std::string text = format;
    const std::string tail = text.substr(text.rfind("%s") + 2);
    if (warning.find(tail) != std::string::npos) return true;
  }
  return false;
}

// This process's folder for the pictures and the script file, in TMPDIR
// (fuzz/run.sh gives each fuzzer one and removes it afterwards).
const std::string& Folder() {
  static const std::string folder =
      std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/tora_generator_fuzz_" + std::to_string(getpid());
  return folder;
}

const std::string& ScriptPath() {
  static const std::string path = Folder() + "/script.txt";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  mkdir(Folder().c_str(), 0700);
  Frame picture;
  picture.Resize(4, 3, 0x123456);
  picture.Set(1, 1, 0xFF00FF);
  const std::string bmp = EncodeBmp24(picture);
  for (const char* name : {"/a.bmp", "/e\\f.bmp", "/\x9C\x5C\\b.bmp", "/c\\\\d\x87\x5C.bmp"}) {
    const std::string path = Folder() + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
      std::fwrite(bmp.data(), 1, bmp.size(), f);
      std::fclose(f);
      Pictures().push_back(path);
    }
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScriptPath();
  FuzzedDataProvider in(data, size);
  Model m;
  const int ops = in.ConsumeIntegralInRange(1, 14);
  for (int i = 0; i < ops && in.remaining_bytes() > 0; ++i) {
    switch (in.ConsumeIntegralInRange(0, 10)) {
      case 0: KeyRow(in, m); break;
      case 1: MouseRow(in, m); break;
      case 2: RecordedClicks(in, m); break;
      case 3: TextRow(in, m); break;
      case 4: BranchRow(in, m); break;
      case 5: case 6: AddCode(in, m); break;
      case 7: WindowCall(in, m); break;
      case 8: ColourPoint(in, m); break;
      case 9: ColourCall(in, m); break;
      default: ImageCall(in, m); break;
    }
  }
  // The choice lists offer what the script declares, each as its page shows it.
  Expect(ColorActionChoices(m.code), m.colour_choices, "colour action choices", m.code);
  Expect(ImageActionChoices(m.code), m.image_choices, "image action choices", m.code);
  Expect(ConditionChoices(m.code), m.condition_choices, "condition choices", m.code);
  Expect(WindowChoices(m.code), m.window_choices, "window choices", m.code);
  if (m.code.empty()) return 0;

  // Saved as the editor saves it (CR CR LF line ends), run as a start runs
  // it. This build's own texts are UTF-8 (clang knows no GBK), and a file
  // that is all UTF-8 would be converted to GBK on reading: a first line
  // that is GBK only keeps the bytes as they are.
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    const std::string bytes = "-- \xD6\xD0\r\r\n" + FileBytesFromCodeBox(m.code);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  } else {
    return 0;
  }
  static SimPlatform& sim = []() -> SimPlatform& {
    static SimPlatform platform;
    platform.RunThreads(false);
    platform.KeepTrace(false);
    platform.SetScreenSize(320, 200);
    platform.SetScriptPath(ScriptPath());
    return platform;
  }();
  static ActionRegistry registry;
  static ScriptHost host(registry, sim.platform());
  host.SetScriptTimeLimit(5000);
  host.SetReportWaitingWindows(false);
  const size_t messages = sim.Messages().size();
  const ScriptHost::Outcome outcome = host.RunScript();
  host.StopScript();
  host.JoinWorkers();
  std::string status;
  for (const std::string& line : sim.Status()) status += line + "\n";
  if (outcome != ScriptHost::Outcome::Loaded || status.find(texts::kRuntimeError) != std::string::npos)
    Fail("the script did not load and run", m.code, status);
  if (!m.exact) return 0;
  // A task links to what the whole script declares; a name it does not is
  // said once a task, and leaves the task unlinked.
  const std::vector<std::string> condition_names =
      DeclaredNames(m.code, {et::kColourCondition, et::kImageCondition, et::kColourAction, et::kImageAction});
  const std::vector<std::string> window_names = DeclaredNames(m.code, {et::kWindowOperation});
  const auto link = [](const std::string& text, const std::vector<std::string>& names, size_t& unlinked) {
    if (text == "0" || text == kOldWindowWords[0] || text == kOldWindowWords[1]) return std::string("-");
    const std::string name = InnerName(text);
    if (std::find(names.begin(), names.end(), name) != names.end()) return name;
    ++unlinked;
    return std::string("-");
  };
  std::vector<std::string> want_tasks;
  size_t unlinked = 0;
  for (const Model::Task& t : m.tasks) {
    size_t missing = 0;
    const std::string condition = link(t.condition, condition_names, missing);
    const std::string window = link(t.window, window_names, missing);
    want_tasks.push_back(t.steps + "|" + condition + "|" + window + "|" + (t.priority ? "P" : "O"));
    unlinked += missing;
  }
  // Past the lines shown, the rest are only counted.
  const bool all_shown = host.Warnings().size() <= ScriptWarnings::kShown;
  size_t link_warnings = 0;
  for (size_t i = 0; i < host.Warnings().size(); ++i) {
    const std::string& warning = host.Warnings()[i];
    if (AboutLinks(warning)) ++link_warnings;
    else if (!(m.relative && AboutRelativeClicks(warning)) && !(i == ScriptWarnings::kShown && !all_shown))
      Fail("a warning", m.code, warning);
  }
  if (all_shown ? link_warnings != unlinked : link_warnings > unlinked)
    Fail("warnings of unlinked tasks", m.code, std::to_string(link_warnings) + " of " + std::to_string(unlinked));
  if (sim.Messages().size() != messages) Fail("a message box", m.code, sim.Messages().back().text);

  std::vector<std::string> rules, conditions, branches, tasks;
  for (const WindowRule& r : registry.window_rules.Items())
    rules.push_back(r.name + "|" + r.window_text + "|" + r.corner + "|" + (r.topmost ? "T" : "-") + "|" +
                    std::to_string(r.width) + "," + std::to_string(r.height) + "|" + std::to_string(r.interval));
  for (const ScreenCondition& c : registry.screen_conditions.Items()) conditions.push_back(ConditionOf(c));
  for (const BranchAction& b : registry.branch_actions.Items())
    branches.push_back(b.name + "|" + StepsOf(registry, b.action_list_id));
  // Tasks in script order: the two lists interleave as the calls came.
  std::vector<std::pair<int32_t, std::string>> ordered;
  for (const RepeatTask& t : registry.ordinary_tasks.Items()) ordered.push_back({t.action_list_id, TaskOf(registry, t, false)});
  for (const RepeatTask& t : registry.priority_tasks.Items()) ordered.push_back({t.action_list_id, TaskOf(registry, t, true)});
  std::sort(ordered.begin(), ordered.end());
  for (const auto& task : ordered) tasks.push_back(task.second);
  Expect(rules, m.rules, "window rules", m.code);
  Expect(conditions, m.conditions, "screen conditions", m.code);
  Expect(branches, m.branches, "branch actions", m.code);
  Expect(tasks, want_tasks, "repeat tasks", m.code);
  return 0;
}
