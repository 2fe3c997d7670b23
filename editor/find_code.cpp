#include "editor/find_code.h"

#include "editor/codegen.h"
#include "editor/texts.h"
#include "engine/text_util.h"
#include "tools/texts.h"

namespace tora {

namespace t = editor_texts;

namespace {

PageEdit Refuse(const char* message, bool hint_box = false) {
  PageEdit edit;
  edit.message = message;
  edit.hint_box = hint_box;
  edit.refused = true;
  return edit;
}

PageEdit Done(std::string text) {
  PageEdit edit;
  edit.text = std::move(text);
  return edit;
}

std::string WithoutSpaces(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ') out += c;
  return out;
}

// The name of a generated call and its tables: the name box without spaces
// (a space would split the table names), or the code box's line count.
std::string FormName(const std::string& name_box, const std::string& code_box) {
  const std::string name = WithoutSpaces(name_box);
  return name.empty() ? std::to_string(LineCount(code_box)) : name;
}

// A number that stands bare in a call: an optional minus and up to nine
// digits. Anything else would not load, or would read some other global.
bool IsWholeNumber(const std::string& text) {
  size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
  if (text.size() - i < 1 || text.size() - i > 9) return false;
  for (; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

// The lines of a list that can hold a row ({1,2,"==",0x0} is the least a
// point row can be; blank lines and fragments are dropped), each with its
// line break, whole whatever their length.
std::string RowLines(const std::string& list) {
  std::string rows;
  for (const std::string& line : BoxLines(list))
    if (line.size() >= 5) rows += line + "\r\n";
  return rows;
}

// The point table of a colour form, or a refusal.
PageEdit PointTable(const ColorForm& form, const std::string& name) {
  // A table without rows stops the script where the call reads its first
  // row, so a list of blank lines is as good as none.
  const std::string rows = RowLines(form.point_list);
  if (rows.empty()) return Refuse(t::kEmptyPointList);
  return Done(t::kPointTablePrefix + name + "={\r\n" + rows + "  }\r\n");
}

// The action rows of a form, or a refusal in the owner-less hint box. A
// list of only blank lines would make an empty table, which stops the
// script at the call.
PageEdit ActionTable(const std::string& repeat_list, const std::string& name) {
  if (RowLines(repeat_list).empty()) return Refuse(t::kEmptyActionList, true);
  return Done(Format(t::kActionListTable, name.c_str(), repeat_list.c_str()));
}

// The entries of the code box's lines that start with the call name: the
// line up to its first comma, closed by ")". Whole lines are looked at, so
// that a long name is offered as well as a short one.
std::vector<std::string> ActionChoices(const std::string& code_box, const char* call, bool drop_quotes) {
  std::vector<std::string> choices;
  for (const std::string& line : BoxLines(code_box)) {
    if (!StartsWith(line, call)) continue;
    // Neither ',' nor '"' can be the second byte of a GBK character.
    const size_t comma = line.find(',');
    if (comma == std::string::npos || comma == 0) continue;
    std::string choice;
    for (size_t i = 0; i < comma; ++i)
      if (!drop_quotes || line[i] != '"') choice += line[i];
    choices.push_back(choice + ")");
  }
  return choices;
}

// The name a choice box entry "kind(name)" names, quotes removed; empty
// when the text does not have that form.
std::string ChoiceName(const std::string& choice, const char* kind) {
  const std::string open = std::string(kind) + "(";
  if (!StartsWith(choice, open) || choice.size() <= open.size() || choice.back() != ')') return {};
  std::string name;
  for (size_t i = open.size(); i + 1 < choice.size(); ++i)
    if (choice[i] != '"') name += choice[i];
  return name;
}

// The branch row that calls the named find action.
PageEdit BranchRow(const std::string& choice, const char* kind, const char* refusal) {
  if (choice.empty()) return Refuse(refusal);
  // An entry typed into the box that names no action would leave a row
  // that the action table cannot read.
  const std::string name = ChoiceName(choice, kind);
  if (name.empty() || !IsNameText(name)) return Refuse(refusal);
  return Done("{\"" + std::string(kind) + "\",\"" + name + "\"},\r\n");
}

}  // namespace

// --- the find-colour page ---

PageEdit AddColorPoint(const std::string& position, const std::string& operator_text, const std::string& colour) {
  if (position.empty()) return Refuse(t::kNoColourPosition);
  if (position == t::kPositionPrompt) return Refuse(t::kBadColourPosition);
  const std::string op = operator_text.substr(0, 2);
  if (op.empty()) return Refuse(t::kNoOperator);
  if (colour.empty()) return Refuse(t::kNoColour);
  return Done(Format(t::kPointRow, position.c_str(), op.c_str(), colour.c_str()));
}

PageEdit GenerateColorCondition(const ColorForm& form) {
  if (form.point_list.empty()) return Refuse(t::kEmptyPointList);
  const std::string name = FormName(form.name, form.code_box);
  const std::string table_name = t::kPointTablePrefix + name;
  PageEdit table = PointTable(form, name);
  if (table.refused) return table;
  const std::string tolerance = form.tolerance.empty() ? t::kDefaultTolerance : form.tolerance;
  const bool moving = form.mode == t::kModeMoving;
  if (moving && form.range.size() < 4) return Refuse(t::kBadRange);
  if (!IsNameText(name)) return Refuse(t::kBadDescription);
  if (!IsWholeNumber(tolerance)) return Refuse(t::kBadTolerance);
  const std::string call =
      moving ? Format(t::kColourConditionRect, name.c_str(), table_name.c_str(), form.range.c_str(), tolerance.c_str())
             : Format(t::kColourConditionFixed, name.c_str(), table_name.c_str(), tolerance.c_str());
  return Done(table.text + call);
}

PageEdit GenerateColorAction(const ColorForm& form) {
  const std::string name = FormName(form.name, form.code_box);
  PageEdit actions = ActionTable(form.repeat_list, name);
  if (actions.refused) return actions;
  if (form.point_list.empty()) return Refuse(t::kEmptyPointList);
  const std::string table_name = t::kPointTablePrefix + name;
  const std::string action_name = t::kActionListPrefix + name;
  PageEdit table = PointTable(form, name);
  if (table.refused) return table;
  const std::string tolerance = form.tolerance.empty() ? t::kDefaultTolerance : form.tolerance;
  const bool moving = form.mode == t::kModeMoving;
  if (moving && form.range.size() < 7) return Refuse(t::kBadRange);
  if (!IsNameText(name)) return Refuse(t::kBadDescription);
  if (!IsWholeNumber(tolerance)) return Refuse(t::kBadTolerance);
  const std::string call = moving ? Format(t::kColourActionRect, name.c_str(), table_name.c_str(),
                                           action_name.c_str(), form.range.c_str(), tolerance.c_str())
                                  : Format(t::kColourActionFixed, name.c_str(), table_name.c_str(),
                                           action_name.c_str(), tolerance.c_str());
  return Done(table.text + actions.text + call);
}

std::vector<std::string> ColorActionChoices(const std::string& code_box) {
  return ActionChoices(code_box, t::kColourAction, true);
}

PageEdit ColorActionRow(const std::string& choice) {
  return BranchRow(choice, t::kColourAction, t::kChooseColourAction);
}

// --- the find-image page ---

namespace {

// The area of an image form in its mode, or a refusal; an empty path stops
// without a message.
PageEdit ImageArea(const ImageForm& form, size_t least_range) {
  if (form.path.empty()) {
    PageEdit silent;
    silent.refused = true;
    return silent;
  }
  if (form.mode == t::kModeMoving) {
    if (form.range.size() < least_range) return Refuse(t::kBadRange);
    return Done(form.range);
  }
  if (form.position.size() < 3) return Refuse(t::kBadFixedPosition);
  return Done(form.position);
}

}  // namespace

PageEdit GenerateImageCondition(const ImageForm& form) {
  const std::string name = FormName(form.name, form.code_box);
  PageEdit area = ImageArea(form, 4);
  if (area.refused) return area;
  if (!IsNameText(name)) return Refuse(t::kBadDescription);
  if (!IsWholeNumber(form.percent)) return Refuse(t::kBadPercent);
  const char* format = form.mode == t::kModeMoving ? t::kImageConditionRect : t::kImageConditionFixed;
  return Done(Format(format, name.c_str(), area.text.c_str(), form.percent.c_str(), form.path.c_str()));
}

PageEdit GenerateImageAction(const ImageForm& form) {
  const std::string name = FormName(form.name, form.code_box);
  PageEdit actions = ActionTable(form.repeat_list, name);
  if (actions.refused) return actions;
  PageEdit area = ImageArea(form, 7);
  if (area.refused) return area;
  if (!IsNameText(name)) return Refuse(t::kBadDescription);
  if (!IsWholeNumber(form.percent)) return Refuse(t::kBadPercent);
  const std::string table_name = t::kActionListPrefix + name;
  const char* format = form.mode == t::kModeMoving ? t::kImageActionRect : t::kImageActionFixed;
  return Done(actions.text + Format(format, name.c_str(), table_name.c_str(), area.text.c_str(),
                                    form.percent.c_str(), form.path.c_str()));
}

std::vector<std::string> ImageActionChoices(const std::string& code_box) {
  return ActionChoices(code_box, t::kImageAction, false);
}

PageEdit ImageActionRow(const std::string& choice) {
  return BranchRow(choice, t::kImageAction, t::kChooseImageAction);
}

std::string DoubledBackslashes(const std::string& path) {
  std::string out;
  // Every 0x5C byte, also the second byte of a GBK character (81 5C): the
  // script's lexer reads the literal byte by byte, and a lone 0x5C there
  // would start an escape and change the path.
  for (char c : path) {
    out += c;
    if (c == '\\') out += '\\';
  }
  return out;
}

// --- what the screen tools hand back ---

std::string RectText(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  return Format("%d,%d,%d,%d", static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
                static_cast<int>(y2));
}

std::string CutFileName(int32_t x, int32_t y) { return Format("%d_%d", static_cast<int>(x), static_cast<int>(y)); }

std::string OverwriteQuestion(const std::string& path) {
  // The last separator that is a character of its own, not a GBK trail byte.
  size_t name_start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsGbkPairAt(path, i)) {
      ++i;
      continue;
    }
    if (path[i] == '\\' || path[i] == '/') name_start = i + 1;
  }
  return path.substr(name_start) + tool_texts::kOverwriteQuestion;
}

}  // namespace tora
