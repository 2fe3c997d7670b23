// Key names and their virtual-key codes, both directions.
#pragma once

#include <cstdint>
#include <string>

namespace tora {

struct KeyNameEntry {
  const char* name;
  int32_t code;
};

// The 58 named keys, in table order.
const KeyNameEntry* KeyNameTable(size_t* count);

// "" gives -1; a name of the table its code; any other one-byte name its own
// byte value; anything else -1.
int32_t KeyNameToCode(const std::string& name);

// Digits and capital letters name themselves; other codes the first table
// row with that code; a code without a row gives "".
std::string KeyCodeToName(int32_t code);

}  // namespace tora
