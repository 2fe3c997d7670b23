#include "editor/find_code.h"

#include <algorithm>
#include <optional>

#include "editor/codegen.h"
#include "editor/field_text.h"
#include "editor/script_literal.h"
#include "editor/texts.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"

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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads a token of a point row at text[at] and the blanks after it; false
// when what stands there is not the token.
bool Take(const std::string& text, size_t& at, char token) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  if (at >= text.size() || text[at] != token) return false;
  ++at;
  while (at < text.size() && IsBlank(text[at])) ++at;
  return true;
}

// The characters of text from at on that pass the test, taken.
std::string TakeWhile(const std::string& text, size_t& at, bool (*test)(char)) {
  const size_t start = at;
  while (at < text.size() && test(text[at])) ++at;
  return text.substr(start, at - start);
}

bool IsNumberChar(char c) { return (c >= '0' && c <= '9') || c == '-'; }
bool IsHexChar(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool IsOperator(const std::string& op) { return op == "==" || op == "!=" || op == "~=" || op == "!~"; }

// A search rectangle as the script reads it: the whole screen, or four
// whole numbers.
bool IsRange(const std::string& range) { return range == t::kRangeItems[2] || IsWholeNumbers(range, 4); }

// A line of the point list read as the point row {x,y,"op",0xcolour} that
// "添加" writes (blanks allowed between its parts), with the comma after it
// that the next row needs; nothing when it is no such row.
std::optional<std::string> PointRowLine(const std::string& line) {
  size_t at = 0;
  if (!Take(line, at, '{')) return std::nullopt;
  const std::string x = TakeWhile(line, at, IsNumberChar);
  if (!IsWholeNumber(x) || !Take(line, at, ',')) return std::nullopt;
  const std::string y = TakeWhile(line, at, IsNumberChar);
  if (!IsWholeNumber(y) || !Take(line, at, ',')) return std::nullopt;
  const std::optional<std::string> op = ReadLuaString(line, at);
  if (!op || !IsOperator(*op) || !Take(line, at, ',')) return std::nullopt;
  if (line.compare(at, 2, "0x") != 0 && line.compare(at, 2, "0X") != 0) return std::nullopt;
  at += 2;
  if (!IsColourDigits(TakeWhile(line, at, IsHexChar)) || !Take(line, at, '}')) return std::nullopt;
  const bool separated = at < line.size() && (line[at] == ',' || line[at] == ';');
  if (separated) ++at;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at != line.size()) return std::nullopt;
  return separated ? line : line + ",";
}

// The lines of the point list that can hold a row (see HoldsNoRow), each
// with its line break, whole whatever their length; a refusal names the
// first other line that is no point row.
PageEdit PointRows(const std::string& list) {
  std::string rows;
  int number = 0;
  for (const std::string& line : BoxLines(list)) {
    ++number;
    if (HoldsNoRow(line)) continue;
    const std::optional<std::string> row = PointRowLine(line);
    if (!row) {
      PageEdit refused = Refuse(t::kBadPointLine);
      refused.message = Format(t::kBadPointLine, number, Excerpt(line).c_str());
      return refused;
    }
    rows += *row + "\r\n";
  }
  return Done(rows);
}

// The point table of a colour form, or a refusal.
PageEdit PointTable(const ColorForm& form, const std::string& name) {
  const PageEdit rows = PointRows(form.point_list);
  if (rows.refused) return rows;
  // A table without rows stops the script where the call reads its first
  // row, so a list of blank lines is as good as none.
  if (rows.text.empty()) return Refuse(t::kEmptyPointList);
  return Done(t::kPointTablePrefix + name + "={\r\n" + rows.text + "  }\r\n");
}

// The action rows of a form for the reader's table, or a refusal; none at
// all goes in the owner-less hint box (an empty table would stop the script
// at the call).
PageEdit ActionTable(const std::string& repeat_list, const std::string& name, const char* reader) {
  if (repeat_list.empty()) return Refuse(t::kEmptyActionList, true);
  const TableRows rows = ReadTableRows(repeat_list, reader);
  if (!rows.message.empty()) {
    PageEdit refused = Refuse(t::kEmptyActionList);
    refused.message = rows.message;
    return refused;
  }
  if (rows.text.empty()) return Refuse(t::kEmptyActionList, true);
  return Done(Format(t::kActionListTable, name.c_str(), rows.text.c_str()));
}

// The entries of the code box's lines that declare a find action with
// call: the call and the name, closed by ")", the name in quotes for a
// find-image action as its choice box shows it.
std::vector<std::string> ActionChoices(const std::string& code_box, const char* call, bool quoted) {
  std::vector<std::string> choices;
  for (const std::string& line : BoxLines(code_box))
    if (const std::optional<std::string> name = DeclaredName(line, call))
      choices.push_back(std::string(call) + (quoted ? "(\"" + *name + "\")" : "(" + *name + ")"));
  return choices;
}

// The name a choice box entry "kind(name)" names (kind("name") for a
// quoted one); nothing when the text does not have that form.
std::optional<std::string> ChoiceName(const std::string& choice, const char* kind, bool quoted) {
  const std::string open = std::string(kind) + "(";
  if (!StartsWith(choice, open) || choice.size() <= open.size() || choice.back() != ')') return std::nullopt;
  std::string name = choice.substr(open.size(), choice.size() - open.size() - 1);
  if (quoted && name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
  return name;
}

// The branch row that calls the named find action; any name a find action
// of the code box declares can be written.
PageEdit BranchRow(const std::string& choice, const std::string& code_box, const char* kind, bool quoted,
                   const char* refusal) {
  const std::optional<std::string> name = ChoiceName(choice, kind, quoted);
  // An entry typed into the box that names no action of the script would
  // leave a row that calls nothing. Either kind's row finds either kind.
  const std::vector<std::string> actions = DeclaredNames(code_box, {t::kColourAction, t::kImageAction});
  if (!name || std::find(actions.begin(), actions.end(), *name) == actions.end()) return Refuse(refusal);
  return Done(RowText(kind, *name));
}

}  // namespace

// --- the find-colour page ---

PageEdit AddColorPoint(const std::string& position, const std::string& operator_text, const std::string& colour) {
  if (position.empty()) return Refuse(t::kNoColourPosition);
  if (position == t::kPositionPrompt) return Refuse(t::kBadColourPosition);
  const std::string op = operator_text.substr(0, 2);
  if (op.empty()) return Refuse(t::kNoOperator);
  if (colour.empty()) return Refuse(t::kNoColour);
  // Position and colour stand bare in the row.
  if (!IsWholeNumbers(position, 2)) return Refuse(t::kBadColourPosition);
  if (!IsOperator(op)) return Refuse(t::kNoOperator);
  // The colour test shows its colours with "0x": one copied from there is
  // the same colour.
  const bool prefixed = colour.size() > 2 && (StartsWith(colour, "0x") || StartsWith(colour, "0X"));
  const std::string digits = prefixed ? colour.substr(2) : colour;
  if (!IsColourDigits(digits)) return Refuse(t::kBadColour);
  return Done(Format(t::kPointRow, position.c_str(), op.c_str(), digits.c_str()));
}

PageEdit GenerateColorCondition(const ColorForm& form) {
  if (form.point_list.empty()) return Refuse(t::kEmptyPointList);
  const std::string name = FormName(form.name, form.code_box);
  const std::string table_name = t::kPointTablePrefix + name;
  PageEdit table = PointTable(form, name);
  if (table.refused) return table;
  const std::string tolerance = form.tolerance.empty() ? t::kDefaultTolerance : form.tolerance;
  const bool moving = form.mode == t::kModeMoving;
  if (moving && (form.range.size() < 4 || !IsRange(form.range))) return Refuse(t::kBadRange);
  if (!IsNameText(name)) return Refuse(t::kBadDescription);
  if (!IsWholeNumber(tolerance)) return Refuse(t::kBadTolerance);
  const std::string call =
      moving ? Format(t::kColourConditionRect, name.c_str(), table_name.c_str(), form.range.c_str(), tolerance.c_str())
             : Format(t::kColourConditionFixed, name.c_str(), table_name.c_str(), tolerance.c_str());
  return Done(table.text + call);
}

PageEdit GenerateColorAction(const ColorForm& form) {
  const std::string name = FormName(form.name, form.code_box);
  PageEdit actions = ActionTable(form.repeat_list, name, t::kColourAction);
  if (actions.refused) return actions;
  if (form.point_list.empty()) return Refuse(t::kEmptyPointList);
  const std::string table_name = t::kPointTablePrefix + name;
  const std::string action_name = t::kActionListPrefix + name;
  PageEdit table = PointTable(form, name);
  if (table.refused) return table;
  const std::string tolerance = form.tolerance.empty() ? t::kDefaultTolerance : form.tolerance;
  const bool moving = form.mode == t::kModeMoving;
  if (moving && (form.range.size() < 7 || !IsRange(form.range))) return Refuse(t::kBadRange);
  if (!IsNameText(name)) return Refuse(t::kBadDescription);
  if (!IsWholeNumber(tolerance)) return Refuse(t::kBadTolerance);
  const std::string call = moving ? Format(t::kColourActionRect, name.c_str(), table_name.c_str(),
                                           action_name.c_str(), form.range.c_str(), tolerance.c_str())
                                  : Format(t::kColourActionFixed, name.c_str(), table_name.c_str(),
                                           action_name.c_str(), tolerance.c_str());
  return Done(table.text + actions.text + call);
}

std::vector<std::string> ColorActionChoices(const std::string& code_box) {
  return ActionChoices(code_box, t::kColourAction, false);
}

PageEdit ColorActionRow(const std::string& choice, const std::string& code_box) {
  return BranchRow(choice, code_box, t::kColourAction, false, t::kChooseColourAction);
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
    if (form.range.size() < least_range || !IsRange(form.range)) return Refuse(t::kBadRange);
    return Done(form.range);
  }
  if (form.position.size() < 3 || !IsWholeNumbers(form.position, 2)) return Refuse(t::kBadFixedPosition);
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
  const std::string path = LuaStringBody(PathFromBox(form.path));
  return Done(Format(format, name.c_str(), area.text.c_str(), form.percent.c_str(), path.c_str()));
}

PageEdit GenerateImageAction(const ImageForm& form) {
  const std::string name = FormName(form.name, form.code_box);
  PageEdit actions = ActionTable(form.repeat_list, name, t::kImageAction);
  if (actions.refused) return actions;
  PageEdit area = ImageArea(form, 7);
  if (area.refused) return area;
  if (!IsNameText(name)) return Refuse(t::kBadDescription);
  if (!IsWholeNumber(form.percent)) return Refuse(t::kBadPercent);
  const std::string table_name = t::kActionListPrefix + name;
  const char* format = form.mode == t::kModeMoving ? t::kImageActionRect : t::kImageActionFixed;
  const std::string path = LuaStringBody(PathFromBox(form.path));
  return Done(actions.text + Format(format, name.c_str(), table_name.c_str(), area.text.c_str(),
                                    form.percent.c_str(), path.c_str()));
}

std::vector<std::string> ImageActionChoices(const std::string& code_box) {
  return ActionChoices(code_box, t::kImageAction, true);
}

PageEdit ImageActionRow(const std::string& choice, const std::string& code_box) {
  return BranchRow(choice, code_box, t::kImageAction, true, t::kChooseImageAction);
}

// Both go by characters: the second byte of a GBK character (81 5C) is no
// backslash. The call escapes every byte of the path through LuaStringBody.
std::string PathFromBox(const std::string& box) {
  // A path typed by hand has a single separator somewhere, and keeps every
  // backslash it has (the two of a share, \\server\folder, among them).
  for (size_t i = 0; i < box.size(); i += IsGbkPairAt(box, i) ? 2 : 1) {
    if (box[i] != '\\') continue;
    const size_t end = std::min(box.find_first_not_of('\\', i), box.size());
    if ((end - i) % 2 != 0) return box;
    i = end - 1;
  }
  std::string path;
  for (size_t i = 0; i < box.size(); ++i) {
    if (IsGbkPairAt(box, i)) {
      path.append(box, i++, 2);
      continue;
    }
    path += box[i];
    if (box[i] == '\\') ++i;
  }
  return path;
}

std::string DoubledBackslashes(const std::string& path) {
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsGbkPairAt(path, i)) {
      out.append(path, i++, 2);
      continue;
    }
    out += path[i];
    if (path[i] == '\\') out += '\\';
  }
  return out;
}

}  // namespace tora
