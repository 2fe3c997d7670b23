// Mistakes a script can make without stopping: rows and arguments that the
// functions take but that cannot do what was written. They are collected
// while the script runs and shown after its own lines, one line each.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

struct lua_State;

namespace tora {

class ScriptWarnings {
 public:
  // Lines shown before the rest is only counted.
  static constexpr size_t kShown = 20;

  void Add(std::string text);
  // False when this key was seen before (the caller then says nothing). A
  // table read by several calls is one mistake, not one per call.
  bool FirstTime(const std::string& key);
  size_t Count() const { return count_; }
  // The first kShown texts, then one line that counts the others (more is
  // its format, taking an int).
  std::vector<std::string> Lines(const char* more) const;

 private:
  std::vector<std::string> kept_;
  size_t count_ = 0;
  std::set<std::string> seen_;
};

// The script line of the call to the script function now running; 0 when
// the interpreter cannot tell.
int CallLine(lua_State* L);

// Adds a warning about the script function now running: "警告：第N行 函数：
// what", N being the script line of the call.
void WarnAtCall(lua_State* L, const char* function, const std::string& what);
// The same for a mistake inside a table, which every call reading the table
// would repeat: said at the first of them only.
void WarnAboutTable(lua_State* L, const char* function, const std::string& what);

// A value as a warning quotes it: at most a few dozen bytes (never half a
// GBK character), line breaks and NULs as spaces.
std::string Excerpt(const std::string& text);

// The name of an action-table row as a warning shows it: the table, the row
// number and what the row holds.
std::string RowPlace(const std::string& table, const std::string& row_label, const std::string& kind,
                     const std::string& text);

}  // namespace tora
