#include "engine/key_names.h"

namespace tora {
// Placeholder until the key table lands.
const KeyNameEntry* KeyNameTable(size_t* count) { *count = 0; return nullptr; }
int32_t KeyNameToCode(const std::string&) { return -1; }
std::string KeyCodeToName(int32_t) { return {}; }
}  // namespace tora
