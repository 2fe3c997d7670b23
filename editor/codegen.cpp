#include "editor/codegen.h"

#include <algorithm>

#include "editor/field_text.h"
#include "editor/page_texts.h"
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

RepeatCodeResult Refused(const std::string& message, const std::string& code_box) {
  return RepeatCodeResult{message, code_box, ""};
}

// Where a text stops being a name (IsNameText): the first character that
// cannot stand in one, or npos.
size_t NameTextStop(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsAsciiNameByte(b)) continue;
    if (!IsGbkPairAt(text, i)) return i;
    const unsigned char trail = static_cast<unsigned char>(text[i + 1]);
    if (trail < 0x80 && !IsAsciiNameByte(trail)) return i;
    ++i;
  }
  return std::string::npos;
}

// A condition or window box's text as the call gets it.
struct LinkText {
  std::string message;  // why it cannot be written; empty when it can
  std::string text;
};

// The condition and window boxes: "0" for none (an empty box, or the entry
// that says so), an entry of the list as it stands, or "call(name)" or a
// bare name typed before the script declares it. The task reads the name
// between the first "(" and the last character, so a typed one is written
// in that form, with a call that declares such names; a name the pages
// could not declare (IsNameText) could never link.
LinkText ReadLink(const std::string& typed, const char* none_item, const char* field, const char* bad_form,
                  const std::vector<const char*>& calls, const std::string& code_box) {
  if (typed.empty() || typed == "0" || typed == none_item) return {"", "0"};
  if (LinksTo(typed, DeclaredNames(code_box, calls))) return {"", typed};
  std::string call, name = typed;
  const size_t open = typed.find('(');  // never a GBK trail byte, nor is ")"
  if (open != std::string::npos) {
    call = typed.substr(0, open);
    const bool known = std::find(calls.begin(), calls.end(), call) != calls.end();
    if (!known || typed.back() != ')') return {Format(bad_form, Excerpt(typed).c_str()), ""};
    name = typed.substr(open + 1, typed.size() - open - 2);
  }
  if (name.empty()) return {Format(bad_form, Excerpt(typed).c_str()), ""};
  if (const size_t stop = NameTextStop(name); stop != std::string::npos) {
    const std::string character = name.substr(stop, IsGbkPairAt(name, stop) ? 2 : 1);
    return {Format(editor_texts::kBadNameCharacter, field, Excerpt(character).c_str()), ""};
  }
  if (call.empty()) {
    // A bare name goes with the call that declares it, or the first one.
    call = calls.front();
    for (const char* c : calls)
      if (const std::vector<std::string> names = DeclaredNames(code_box, {c});
          std::find(names.begin(), names.end(), name) != names.end())
        call = c;
  }
  return {"", call + "(" + name + ")"};
}

// Whether the condition a task names is declared in fixed mode, which looks
// at its place without searching and gives no position. The last
// declaration of the name is the one the task links to; a name not yet
// declared is not known to be fixed.
bool NamesFixedCondition(const std::string& condition, const std::string& code_box) {
  namespace t = editor_texts;
  // Where each declaring call has its mode among its leading literals.
  static const struct {
    const char* call;
    size_t mode_at;
  } kModes[] = {{t::kColourCondition, 2}, {t::kImageCondition, 1}, {t::kColourAction, 3}, {t::kImageAction, 2}};
  const std::string name = InnerName(condition);
  bool fixed = false;
  for (const std::string& line : BoxLines(code_box))
    for (const auto& m : kModes)
      if (const std::vector<std::string> literals = CallLiterals(line, m.call);
          !literals.empty() && literals[0] == name && DeclaredName(line, m.call))
        fixed = literals.size() > m.mode_at && literals[m.mode_at] == t::kModeFixed;
  return fixed;
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
bool IsNameText(const std::string& text) { return NameTextStop(text) == std::string::npos; }

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
  RepeatCodeResult result{"", in.code_box, ""};
  if (in.recording) return Refused(t::kStopRecordingFirst, in.code_box);
  if (in.interval.empty()) return Refused(t::kNoInterval, in.code_box);
  if (in.count.empty()) return Refused(t::kNoCount, in.code_box);
  const std::string count = in.count == t::kEndless ? "0" : in.count;
  std::string description;
  for (char c : in.description)
    if (c != ' ') description += c;
  const std::string priority = in.priority ? t::kPriority : "0";
  if (in.repeat_list.empty()) return Refused(t::kEmptyActionList, in.code_box);
  // Both stand bare in the call, where anything but one number would stop
  // the script loading or shift the arguments after it.
  if (!IsSeconds(in.interval)) return Refused(t::kBadInterval, in.code_box);
  if (!IsCountNumber(count)) return Refused(t::kBadCount, in.code_box);
  if (!IsNameText(description)) return Refused(t::kBadDescription, in.code_box);
  const TableRows rows = ReadTableRows(in.repeat_list, nullptr);
  if (!rows.message.empty()) return Refused(rows.message, in.code_box);
  // A table without rows stops the script at the call that reads it: a
  // list of blank lines is as good as none.
  if (rows.text.empty()) return Refused(t::kEmptyActionList, in.code_box);
  // A link may name what the script declares later: the start warns of
  // one that is still missing then.
  const LinkText condition = ReadLink(in.condition, t::kNoConditionItem, t::kFieldCondition, t::kBadConditionForm,
                                      {t::kColourCondition, t::kImageCondition, t::kColourAction, t::kImageAction},
                                      in.code_box);
  if (!condition.message.empty()) return Refused(condition.message, in.code_box);
  // The two words the window box once offered name no rule, as "0".
  const bool old_word = in.window == texts::kWindowForeground || in.window == texts::kWindowBackground;
  const LinkText window = old_word ? LinkText{"", in.window}
                                   : ReadLink(in.window, t::kForegroundWindowItem, t::kFieldWindow,
                                              t::kBadWindowForm, {t::kWindowOperation}, in.code_box);
  if (!window.message.empty()) return Refused(window.message, in.code_box);
  if (HasRelativeClick(in.repeat_list)) {
    if (condition.text == "0")
      result.question = t::kRelativeWithoutCondition;
    else if (NamesFixedCondition(condition.text, in.code_box))
      result.question = t::kRelativeWithFixedCondition;
  }

  const std::string name = description.empty() ? std::to_string(LineCount(in.code_box)) : description;
  const std::string table = t::kActionTablePrefix + name;
  std::string& box = result.code_box;
  box += table + "={\r\n" + rows.text + "  }\r\n";
  box += Format(t::kRepeatActionCall, table.c_str(), in.interval.c_str(), LuaStringBody(condition.text).c_str(),
                LuaStringBody(window.text).c_str(), priority.c_str(), count.c_str());
  box += "\r\n\r\n";
  return result;
}

std::vector<std::string> ConditionChoices(const std::string& code_box) {
  return CallChoices(code_box, {editor_texts::kColourCondition, editor_texts::kImageCondition});
}

std::vector<std::string> WindowChoices(const std::string& code_box) {
  return CallChoices(code_box, {editor_texts::kWindowOperation});
}

std::vector<std::string> ConditionBoxItems(const std::string& code_box) {
  std::vector<std::string> items{editor_texts::kNoConditionItem};
  for (std::string& choice : ConditionChoices(code_box)) items.push_back(std::move(choice));
  return items;
}

std::vector<std::string> WindowBoxItems(const std::string& code_box) {
  std::vector<std::string> items{editor_texts::kForegroundWindowItem};
  for (std::string& choice : WindowChoices(code_box)) items.push_back(std::move(choice));
  return items;
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

bool HasRelativeClick(const std::string& repeat_list) {
  namespace t = editor_texts;
  for (const std::string& line : BoxLines(repeat_list)) {
    const std::optional<RowLine> row = ReadRowLine(line);
    if (!row) continue;
    if (row->kind == t::kColourAction || row->kind == t::kImageAction) return false;
    static const std::vector<const char*> kMouseKinds(std::begin(page_texts::kMouseKindItems),
                                                      std::end(page_texts::kMouseKindItems));
    if (!IsRowKind(row->kind, kMouseKinds)) continue;
    const std::vector<std::string> fields = SplitString(row->fields, ',');
    if (fields.size() == 4 && fields[2] != texts::kCoordAbsolute) return true;
  }
  return false;
}

}  // namespace tora
