#include "engine/key_names.h"

namespace tora {

namespace {

// The key page lists the names in this order, so it is kept as users know
// it; "Num Locke" is spelled as that page has always shown it.
const KeyNameEntry kKeyNames[] = {
    {"F1", 112},        {"F2", 113},       {"F3", 114},         {"F4", 115},      {"F5", 116},
    {"F6", 117},        {"F7", 118},       {"F8", 119},         {"F9", 120},      {"F10", 121},
    {"F11", 122},       {"F12", 123},      {"Alt", 18},         {"Ctrl", 17},     {"Shift", 16},
    {"Caps Lock", 20},  {"Backspace", 8},  {"Spacebar", 32},    {"Page Up", 33},  {"Page Down", 34},
    {"End", 35},        {"Home", 36},      {"Insert", 45},      {"Delete", 46},   {"Num Locke", 144},
    {"Tab", 9},         {"Enter", 13},     {"Esc", 27},         {"左", 37},       {"右", 39},
    {"上", 38},         {"下", 40},        {"Num 0", 96},       {"Num 1", 97},    {"Num 2", 98},
    {"Num 3", 99},      {"Num 4", 100},    {"Num 5", 101},      {"Num 6", 102},   {"Num 7", 103},
    {"Num 8", 104},     {"Num 9", 105},    {"Num *", 106},      {"Num +", 107},   {"Num Enter", 108},
    {"Num -", 109},     {"Num .", 110},    {"-", 189},          {"+", 187},       {"\\", 220},
    {"[", 219},         {"]", 221},        {";", 186},          {"'", 222},       {",", 188},
    {".", 190},         {"/", 191},        {"`", 192},
};

constexpr size_t kKeyNameCount = sizeof(kKeyNames) / sizeof(kKeyNames[0]);
static_assert(kKeyNameCount == 58, "the key page offers 58 named keys");

}  // namespace

const KeyNameEntry* KeyNameTable(size_t* count) {
  if (count) *count = kKeyNameCount;
  return kKeyNames;
}

int32_t KeyNameToCode(const std::string& name) {
  if (name.empty()) return -1;
  for (const KeyNameEntry& entry : kKeyNames)
    if (name == entry.name) return entry.code;
  // Letters and digits are not in the table: a single character names the
  // key whose code is that character (so "a" gives 97, not the A key).
  if (name.size() == 1) return static_cast<unsigned char>(name[0]);
  return -1;
}

std::string KeyCodeToName(int32_t code) {
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return std::string(1, static_cast<char>(code));
  for (const KeyNameEntry& entry : kKeyNames)
    if (entry.code == code) return entry.name;
  return std::string();
}

}  // namespace tora
