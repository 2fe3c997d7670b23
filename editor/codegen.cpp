#include "editor/codegen.h"

#include <algorithm>

#include "editor/field_text.h"
#include "editor/script_literal.h"
#include "editor/texts.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "engine/texts.h"

namespace tora {

namespace {

bool IsAsciiNameByte(unsigned char b) {
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_';
}

// The "call(name)" entries of the lines that declare a name with one of the
// calls. A link names what stands between its "(" and its last character,
// so an entry shows the name as the script holds it, whatever it contains;
// an empty name could not be linked and is not offered.
std::vector<std::string> CallChoices(const std::string& code_box, const std::vector<const char*>& calls) {
  std::vector<std::string> choices;
  for (const std::string& line : BoxLines(code_box))
    for (const char* call : calls)
      if (const std::optional<std::string> name = DeclaredName(line, call); name && !name->empty())
        choices.push_back(std::string(call) + "(" + *name + ")");
  return choices;
}

// Whether a condition or window text of a task links to one of the names.
bool LinksTo(const std::string& text, const std::vector<std::string>& names) {
  if (text.find('(') == std::string::npos) return false;
  const std::string name = InnerName(text);
  return !name.empty() && std::find(names.begin(), names.end(), name) != names.end();
}

bool IsRowKind(const std::string& kind, const std::vector<const char*>& kinds) {
  return std::find_if(kinds.begin(), kinds.end(), [&](const char* k) { return kind == k; }) != kinds.end();
}

}  // namespace

std::vector<std::string> BoxLines(const std::string& box) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = box.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.push_back(box.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(box.substr(start));
  return lines;
}

// The lexer takes every byte from 0x80 up as a letter but not the ASCII
// punctuation some GBK characters have as their second byte (這 is DF 40,
// "@"), so such a character would split the name and the script would not
// load.
bool IsNameText(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsAsciiNameByte(b)) continue;
    if (!IsGbkPairAt(text, i)) return false;
    const unsigned char trail = static_cast<unsigned char>(text[++i]);
    if (trail < 0x80 && !IsAsciiNameByte(trail)) return false;
  }
  return true;
}

bool HoldsNoRow(const std::string& line) {
  return line.size() < 5 || line.find_first_not_of(" \t") == std::string::npos;
}

int32_t LineCount(const std::string& box) {
  int32_t lines = 1;
  for (size_t at = box.find("\r\n"); at != std::string::npos; at = box.find("\r\n", at + 2)) ++lines;
  return lines;
}

TableRows ReadTableRows(const std::string& repeat_list, const char* reader) {
  namespace t = editor_texts;
  // Rows a find action's table cannot do: its reader skips text rows, and
  // the call goes in front of the script, before every find action a
  // branch row could name.
  static const std::vector<const char*> kFindActionSkips = {texts::kRowPasteText, texts::kRowOpenUrl,
                                                            texts::kFnFindColorAction, texts::kFnFindImageAction};
  TableRows rows;
  int number = 0;
  for (const std::string& line : BoxLines(repeat_list)) {
    ++number;
    if (HoldsNoRow(line)) continue;
    const std::optional<RowLine> row = ReadRowLine(line);
    if (!row) {
      rows.message = Format(t::kBadRepeatLine, number, Excerpt(line).c_str());
      return rows;
    }
    if (reader && IsRowKind(row->kind, kFindActionSkips)) {
      rows.message = Format(t::kRowNotForAction, number, Excerpt(row->kind).c_str(), reader);
      return rows;
    }
    // The next row needs the comma between them.
    rows.text += line + (row->separated ? "" : ",") + "\r\n";
  }
  return rows;
}

RepeatCodeResult AddRepeatCode(const RepeatCodeInput& in) {
  namespace t = editor_texts;
  RepeatCodeResult result{"", in.code_box};
  if (in.recording) return {t::kStopRecordingFirst, in.code_box};
  if (in.interval.empty()) return {t::kNoInterval, in.code_box};
  if (in.count.empty()) return {t::kNoCount, in.code_box};
  const std::string count = in.count == t::kEndless ? "0" : in.count;
  std::string description;
  for (char c : in.description)
    if (c != ' ') description += c;
  const std::string priority = in.priority ? t::kPriority : "0";
  if (in.repeat_list.empty()) return {t::kEmptyActionList, in.code_box};
  // Both stand bare in the call, where anything but one number would stop
  // the script loading or shift the arguments after it.
  if (!IsSeconds(in.interval)) return {t::kBadInterval, in.code_box};
  if (!IsCountNumber(count)) return {t::kBadCount, in.code_box};
  if (!IsNameText(description)) return {t::kBadDescription, in.code_box};
  const TableRows rows = ReadTableRows(in.repeat_list, nullptr);
  if (!rows.message.empty()) return {rows.message, in.code_box};
  // A table without rows stops the script at the call that reads it: a
  // list of blank lines is as good as none.
  if (rows.text.empty()) return {t::kEmptyActionList, in.code_box};
  // A link that names nothing in the script leaves the task unrun.
  const std::string condition = in.condition.empty() ? "0" : in.condition;
  if (condition != "0" &&
      !LinksTo(condition, DeclaredNames(in.code_box, {t::kColourCondition, t::kImageCondition, t::kColourAction,
                                                       t::kImageAction})))
    return {Format(t::kConditionNotInScript, Excerpt(condition).c_str()), in.code_box};
  const std::string window = in.window.empty() ? "0" : in.window;
  if (window != "0" && window != texts::kWindowForeground && window != texts::kWindowBackground &&
      !LinksTo(window, DeclaredNames(in.code_box, {t::kWindowOperation})))
    return {Format(t::kWindowNotInScript, Excerpt(window).c_str()), in.code_box};

  const std::string name = description.empty() ? std::to_string(LineCount(in.code_box)) : description;
  const std::string table = t::kActionTablePrefix + name;
  std::string& box = result.code_box;
  box += table + "={\r\n" + rows.text + "  }\r\n";
  box += Format(t::kRepeatActionCall, table.c_str(), in.interval.c_str(), LuaStringBody(condition).c_str(),
                LuaStringBody(window).c_str(), priority.c_str(), count.c_str());
  box += "\r\n\r\n";
  return result;
}

std::vector<std::string> ConditionChoices(const std::string& code_box) {
  return CallChoices(code_box, {editor_texts::kColourCondition, editor_texts::kImageCondition});
}

std::vector<std::string> WindowChoices(const std::string& code_box) {
  return CallChoices(code_box, {editor_texts::kWindowOperation});
}

std::optional<PositionTarget> ParsePositionLine(const std::string& line) {
  std::string rest;
  if (StartsWith(line, "{\"")) {
    const size_t sep = line.find("\",\"");
    rest = sep == std::string::npos ? line.substr(2) : line.substr(sep + 3);
  } else if (StartsWith(line, "{")) {
    rest = line.substr(1);
  } else {
    return std::nullopt;
  }
  PositionTarget target;
  const size_t comma = rest.find(',');
  if (comma != std::string::npos) {
    target.x_text = rest.substr(0, comma);
    rest = rest.substr(comma + 1);
  }
  target.y_text = rest.substr(0, rest.find(','));
  target.x = LeadingInt(target.x_text);
  target.y = LeadingInt(target.y_text);
  return target;
}

std::string PositionColourResult(const PositionTarget& target, uint32_t pixel) {
  return Format("%s,%s = 0x%x", target.x_text.c_str(), target.y_text.c_str(), static_cast<unsigned>(pixel));
}

std::string PositionText(int32_t x, int32_t y) { return Format("%d,%d", static_cast<int>(x), static_cast<int>(y)); }

std::string ColourText(uint32_t colour) { return Format("%x", static_cast<unsigned>(colour)); }

}  // namespace tora
