// The action-table reader shared by 重复动作, 找颜色点动作 and 找图像动作.
#pragma once

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
void ParseActionTable(lua_State* L, const std::string& table_name, ActionList& list, unsigned accepted,
                      ActionRegistry& registry);

}  // namespace tora
