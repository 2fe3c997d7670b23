#include "engine/script_warnings.h"

#include <algorithm>
#include <cstdint>

#include "engine/script_context.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "lua.h"

namespace tora {

void ScriptWarnings::Add(std::string text) {
  ++count_;
  if (kept_.size() < kShown) kept_.push_back(std::move(text));
}

bool ScriptWarnings::FirstTime(const std::string& key) {
  // A script that makes new tables in a loop could make the set grow
  // without end; past this many, repeats are counted again.
  constexpr size_t kMaxRemembered = 10000;
  if (seen_.count(key)) return false;
  if (seen_.size() < kMaxRemembered) seen_.insert(key);
  return true;
}

std::vector<std::string> ScriptWarnings::Lines(const char* more) const {
  std::vector<std::string> lines = kept_;
  if (count_ > kept_.size())
    lines.push_back(Format(more, static_cast<int>(std::min<size_t>(count_ - kept_.size(), INT32_MAX))));
  return lines;
}

int CallLine(lua_State* L) {
  // Level 1 is the script code that made the call.
  lua_Debug ar;
  if (lua_getstack(L, 1, &ar) && lua_getinfo(L, "l", &ar) && ar.currentline > 0) return ar.currentline;
  return 0;
}

void WarnAtCall(lua_State* L, const char* function, const std::string& what) {
  ScriptWarnings* warnings = GetScriptContext(L).warnings;
  if (!warnings) return;
  const int line = CallLine(L);
  warnings->Add(line > 0 ? Format(texts::kWarnAtLine, line, function, what.c_str())
                         : Format(texts::kWarnNoLine, function, what.c_str()));
}

void WarnAboutTable(lua_State* L, const char* function, const std::string& what) {
  ScriptWarnings* warnings = GetScriptContext(L).warnings;
  if (warnings && warnings->FirstTime(std::string(function) + '\n' + what)) WarnAtCall(L, function, what);
}

std::string Excerpt(const std::string& text) {
  constexpr size_t kMaxBytes = 48;
  std::string out;
  size_t i = 0;
  while (i < text.size() && out.size() < kMaxBytes) {
    if (IsGbkPairAt(text, i)) {
      out.append(text, i, 2);
      i += 2;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(text[i++]);
    out += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
  }
  if (i < text.size()) out += texts::kExcerptCut;
  return out;
}

std::string RowPlace(const std::string& table, const std::string& row_label, const std::string& kind,
                     const std::string& text) {
  return Format(texts::kWarnRowPlace, Excerpt(table).c_str(), row_label.c_str(), Excerpt(kind).c_str(),
                Excerpt(text).c_str());
}

}  // namespace tora
