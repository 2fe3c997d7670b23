// Key names to virtual-key codes and back.
#include "engine/key_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tora {
namespace {

TEST(KeyNames, TableHasTheFiftyEightKeysInOrder) {
  size_t count = 0;
  const KeyNameEntry* table = KeyNameTable(&count);
  ASSERT_EQ(count, 58u);
  EXPECT_STREQ(table[0].name, "F1");
  EXPECT_EQ(table[0].code, 112);
  EXPECT_STREQ(table[11].name, "F12");
  EXPECT_EQ(table[11].code, 123);
  EXPECT_STREQ(table[12].name, "Alt");
  EXPECT_STREQ(table[13].name, "Ctrl");
  EXPECT_STREQ(table[32].name, "Num 0");
  EXPECT_EQ(table[32].code, 96);
  EXPECT_STREQ(table[57].name, "`");
  EXPECT_EQ(table[57].code, 192);
  // No name twice, no code twice: both directions are one-to-one.
  std::set<std::string> names;
  std::set<int32_t> codes;
  for (size_t i = 0; i < count; ++i) {
    names.insert(table[i].name);
    codes.insert(table[i].code);
  }
  EXPECT_EQ(names.size(), count);
  EXPECT_EQ(codes.size(), count);
}

TEST(KeyNames, NameToCode) {
  EXPECT_EQ(KeyNameToCode("-"), 189);
  EXPECT_EQ(KeyNameToCode("+"), 187);
  EXPECT_EQ(KeyNameToCode("Spacebar"), 32);
  EXPECT_EQ(KeyNameToCode("左"), 37);
  EXPECT_EQ(KeyNameToCode("下"), 40);
  EXPECT_EQ(KeyNameToCode("Num Locke"), 144);
  EXPECT_EQ(KeyNameToCode("\\"), 220);
  EXPECT_EQ(KeyNameToCode("'"), 222);
  EXPECT_EQ(KeyNameToCode(","), 188);
  EXPECT_EQ(KeyNameToCode("`"), 192);
  // Single characters name themselves, lower case included.
  EXPECT_EQ(KeyNameToCode("A"), 65);
  EXPECT_EQ(KeyNameToCode("a"), 97);
  EXPECT_EQ(KeyNameToCode("7"), 55);
  EXPECT_EQ(KeyNameToCode(" "), 32);
  EXPECT_EQ(KeyNameToCode("\xFF"), 255);  // a byte, never a negative char
  // Everything else is no key.
  EXPECT_EQ(KeyNameToCode(""), -1);
  EXPECT_EQ(KeyNameToCode("Space"), -1);
  EXPECT_EQ(KeyNameToCode("Num Lock"), -1);
  EXPECT_EQ(KeyNameToCode("ctrl"), -1);
  EXPECT_EQ(KeyNameToCode("f1"), -1);
  EXPECT_EQ(KeyNameToCode(" Ctrl"), -1);
  EXPECT_EQ(KeyNameToCode("中"), -1);
  EXPECT_EQ(KeyNameToCode(std::string("A\0", 2)), -1);
}

TEST(KeyNames, CodeToName) {
  for (int32_t c = '0'; c <= '9'; ++c) EXPECT_EQ(KeyCodeToName(c), std::string(1, static_cast<char>(c)));
  for (int32_t c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(KeyCodeToName(c), std::string(1, static_cast<char>(c)));
  EXPECT_EQ(KeyCodeToName(17), "Ctrl");
  EXPECT_EQ(KeyCodeToName(37), "左");
  // 97 is the key "a" converts to, and it is the keypad's 1.
  EXPECT_EQ(KeyCodeToName(97), "Num 1");
  EXPECT_EQ(KeyCodeToName(-1), "");
  EXPECT_EQ(KeyCodeToName(0), "");
  EXPECT_EQ(KeyCodeToName(47), "");
  EXPECT_EQ(KeyCodeToName(91), "");
  EXPECT_EQ(KeyCodeToName(255), "");
  EXPECT_EQ(KeyCodeToName(65 + 256), "");
}

}  // namespace
}  // namespace tora
