// The GBK INI text behind setup.ini.
#include <gtest/gtest.h>

#include "platform/ini_text.h"

namespace tora {
namespace {

std::string Value(const std::string& text, const std::string& section, const std::string& key) {
  return IniFindValue(text, section, key).value_or("<none>");
}

TEST(IniFind, SectionAndKeyLookup) {
  const std::string text =
      "[其他]\r\n默认脚本=错的\r\n[设置]\r\n默认脚本=C:\\a.txt\r\n别的=x\r\n";
  EXPECT_EQ(Value(text, "设置", "默认脚本"), "C:\\a.txt");
  EXPECT_EQ(Value(text, "其他", "默认脚本"), "错的");
  EXPECT_EQ(Value(text, "设置", "没有"), "<none>");
  EXPECT_EQ(Value(text, "没有", "默认脚本"), "<none>");
  EXPECT_EQ(Value("", "设置", "默认脚本"), "<none>");
  EXPECT_EQ(Value("默认脚本=x\r\n", "设置", "默认脚本"), "<none>") << "a key before any section";
}

TEST(IniFind, BlanksQuotesAndCase) {
  EXPECT_EQ(Value("  [ Setup ]  \n  Path  =  C:\\x y  \n", "setup", "PATH"), "C:\\x y");
  EXPECT_EQ(Value("[s]\nk=\"  spaced  \"\n", "s", "k"), "  spaced  ");
  EXPECT_EQ(Value("[s]\nk='q'\n", "s", "k"), "q");
  EXPECT_EQ(Value("[s]\nk=\"half\n", "s", "k"), "\"half");
  EXPECT_EQ(Value("[s]\nk=\n", "s", "k"), "");
  EXPECT_EQ(Value("[s]\nk=a=b\n", "s", "k"), "a=b");
  EXPECT_EQ(Value("[s]\n;k=comment\nk=real\n", "s", "k"), "real");
  EXPECT_EQ(Value("[s]\nk=1\nk=2\n", "s", "k"), "1") << "the first occurrence counts";
  EXPECT_EQ(Value("[s]\r\nk=no newline at end", "s", "k"), "no newline at end");
}

// Case folding must not touch the second byte of a GBK character: 81 41 and
// 81 61 are two different characters whose second bytes look like 'A' and 'a'.
TEST(IniFind, GbkNamesCompareExactly) {
  const std::string text = "[\x81\x41]\nk=upper\n[Ab]\nk=ascii\n";
  EXPECT_EQ(Value(text, "\x81\x41", "k"), "upper");
  EXPECT_EQ(Value(text, "\x81\x61", "k"), "<none>") << "trail byte 'a' is not 'A'";
  EXPECT_EQ(Value(text, "aB", "k"), "ascii");
  // a trail byte 0x5D looks like ']' and does not close the section name
  EXPECT_EQ(Value("[\x81\x5D名]\nk=v\n", "\x81\x5D名", "k"), "v");
}

TEST(IniSet, CreatesSectionAndKeyInAnEmptyText) {
  std::string text;
  ASSERT_TRUE(IniSetValue(text, "设置", "默认脚本", "C:\\脚本.txt"));
  EXPECT_EQ(text, "[设置]\r\n默认脚本=C:\\脚本.txt\r\n");
  ASSERT_TRUE(IniSetValue(text, "设置", "默认脚本", ""));
  EXPECT_EQ(text, "[设置]\r\n默认脚本=\r\n");
  EXPECT_EQ(Value(text, "设置", "默认脚本"), "");
}

TEST(IniSet, ReplacesOnlyTheValueBytes) {
  std::string text = "; note\r\n[设置]\r\n默认脚本 = old.txt   \r\nother=1\r\n[x]\r\ny=2";
  ASSERT_TRUE(IniSetValue(text, "设置", "默认脚本", "new.txt"));
  EXPECT_EQ(text, "; note\r\n[设置]\r\n默认脚本 = new.txt\r\nother=1\r\n[x]\r\ny=2");
  std::string unix_text = "[s]\nk=1\nz=9\n";
  ASSERT_TRUE(IniSetValue(unix_text, "S", "K", "22"));
  EXPECT_EQ(unix_text, "[s]\nk=22\nz=9\n");
}

TEST(IniSet, AddsAKeyAtTheEndOfItsSectionInTheFilesLineEnds) {
  std::string text = "[a]\nx=1\n\n[b]\ny=2\n";
  ASSERT_TRUE(IniSetValue(text, "a", "new", "v"));
  EXPECT_EQ(text, "[a]\nx=1\nnew=v\n\n[b]\ny=2\n");
  std::string header_only = "[a]";
  ASSERT_TRUE(IniSetValue(header_only, "a", "k", "v"));
  EXPECT_EQ(header_only, "[a]\r\nk=v");
  std::string no_final_break = "[a]\r\nx=1";
  ASSERT_TRUE(IniSetValue(no_final_break, "b", "k", "v"));
  EXPECT_EQ(no_final_break, "[a]\r\nx=1\r\n[b]\r\nk=v\r\n");
}

// What is written must read back as written.
TEST(IniSet, RoundTripsAwkwardValues) {
  const std::string values[] = {"  lead and trail  ", "\"quoted\"", "'single'", "a=b;c", "[not a section]",
                                std::string(50000, 'x') + "长", "\\\\server\\共享\\脚本.txt"};
  for (const std::string& v : values) {
    std::string text = "[s]\r\nk=old\r\n";
    ASSERT_TRUE(IniSetValue(text, "s", "k", v)) << v;
    EXPECT_EQ(Value(text, "s", "k"), v);
    std::string fresh;
    ASSERT_TRUE(IniSetValue(fresh, "s", "k", v));
    EXPECT_EQ(Value(fresh, "s", "k"), v);
  }
}

TEST(IniSet, RefusesWhatTheFileCannotHold) {
  const std::string original = "[s]\r\nk=v\r\n";
  const struct {
    const char* section;
    const char* key;
    std::string value;
  } bad[] = {
      {"s", "k", "line\r\nbreak"}, {"s", "k", "lf\nonly"},      {"s", "k", std::string("nul\0x", 5)},
      {"s\n", "k", "v"},           {"s", "k\r", "v"},           {"s", "", "v"},
      {"s", "a=b", "v"},           {"s", " k", "v"},            {"s", "k ", "v"},
      {"s", "[k", "v"},            {"s", ";k", "v"},            {"a]b", "k", "v"},
      {" s", "k", "v"},
  };
  for (const auto& b : bad) {
    std::string text = original;
    EXPECT_FALSE(IniSetValue(text, b.section, b.key, b.value)) << b.section << "/" << b.key;
    EXPECT_EQ(text, original);
  }
}

}  // namespace
}  // namespace tora
