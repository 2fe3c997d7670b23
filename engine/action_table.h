// The action-table reader shared by 重复动作, 找颜色点动作 and 找图像动作.
#pragma once

#include <cstdint>
#include <string>

#include "engine/registry.h"

struct lua_State;

namespace tora {

// Which optional row kinds a reader accepts. Key and mouse rows are read by
// every reader.
enum AcceptedRows : unsigned {
  kAcceptBranch = 1u << 0,
  kAcceptPasteText = 1u << 1,
  kAcceptOpenUrl = 1u << 2,
};

// Reads the global table named table_name and appends a step record and an
// ActionStep to list for every row it accepts. Raises a script error (an
// indexing error) when the table is missing or has no first row, and when a
// row is not a table of exactly two strings; records of the rows read before
// stay in the registry. The caller gives list its id after this returns.
// Rows that are read but cannot do what they say (an unknown kind, a key name
// that names no key, ...) become warnings in reader's name.
void ParseActionTable(lua_State* L, const std::string& table_name, ActionList& list, unsigned accepted,
                      ActionRegistry& registry, const char* reader);

// What a key name presses when that is not what it seems to say ("" when
// it names its key): the warning the reader gives for it.
std::string KeyNameWarning(const std::string& name);

// The text a paste row's first field puts on the clipboard: the four
// characters \r\n, as the editor writes a line break, become CR LF. A
// backslash that is the second byte of a GBK character is no escape.
std::string PasteTextOf(const std::string& field);

// Whether the list clicks relative to the found point before any branch step
// (which may find one) has run.
bool RelativeClickBeforeBranch(const ActionList& list, const ActionRegistry& registry);

// The row kind of a mouse step with these flags ("" for none of the eleven).
const char* MouseRowKind(uint32_t press, uint32_t release);

}  // namespace tora
