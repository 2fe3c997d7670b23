// Reading script files: UTF-8 or GBK, nothing lost, problems flagged.
#include "engine/script_text.h"

#include <gtest/gtest.h>

#include "engine/texts.h"
#include "platform/text.h"

namespace tora {
namespace {

// UTF-8 bytes of 按键; the literal "按键" is its GBK form.
const std::string kUtf8Press = "\xE6\x8C\x89\xE9\x94\xAE";
const std::string kUtf8Emoji = "\xF0\x9F\x98\x80";  // no GBK form

TEST(Utf8ToGbkStrict, RefusesWhatItCannotConvertWhole) {
  std::string gbk = "stale";
  EXPECT_TRUE(Utf8ToGbkStrict("", gbk));
  EXPECT_EQ(gbk, "");
  EXPECT_TRUE(Utf8ToGbkStrict("a" + kUtf8Press, gbk));
  EXPECT_EQ(gbk, std::string("a") + texts::kRowPress);
  for (const std::string& bad : {kUtf8Emoji, std::string("\xC0\x80"), std::string("\xED\xA0\x80"),
                                std::string("\xE6\x8C"), std::string("\xB0\xB4")}) {
    EXPECT_FALSE(Utf8ToGbkStrict("x" + bad + "y", gbk)) << bad;
    EXPECT_EQ(gbk, "");
  }
}

TEST(IsValidGbk, PairsMustBeWhole) {
  EXPECT_TRUE(IsValidGbk(std::string("a\0\x1A", 3) + "\x81\x40\xFE\xFE"));
  for (const char* bad : {"\xB0", "\xB0\x7F", "\xB0\n", "a\x80", "\xFF" "a"}) EXPECT_FALSE(IsValidGbk(bad)) << bad;
}

TEST(DecodeScriptFile, Utf8WhenMarkedOrMultiByteElseGbkAsItStands) {
  ScriptText marked = DecodeScriptFile("\xEF\xBB\xBF" "a" + kUtf8Press);
  EXPECT_EQ(marked.gbk, std::string("a") + texts::kRowPress);
  EXPECT_TRUE(marked.from_utf8 && marked.had_bom && !marked.has_invalid);
  ScriptText bare = DecodeScriptFile(kUtf8Press);
  EXPECT_EQ(bare.gbk, texts::kRowPress);
  EXPECT_TRUE(bare.from_utf8 && !bare.had_bom && !bare.has_invalid);
  for (const std::string& text : {std::string(texts::kRowPress) + "=1\r\n", std::string("x=1")}) {
    ScriptText g = DecodeScriptFile(text);
    EXPECT_EQ(g.gbk, text);
    EXPECT_FALSE(g.from_utf8 || g.has_invalid || g.had_bom);
  }
}

TEST(DecodeScriptFile, NothingIsCutAndProblemsAreFlagged) {
  const std::string with_nul("a\0b\x1A" "c", 5);
  ScriptText n = DecodeScriptFile(with_nul);
  EXPECT_EQ(n.gbk, with_nul);
  EXPECT_TRUE(n.has_nul && !n.has_invalid);
  // UTF-8 with a character GBK lacks: the bytes are kept and the user warned,
  // even where they happen to pair up as GBK.
  const std::string no_gbk_form = kUtf8Press + kUtf8Emoji;
  for (const std::string& mark : {std::string(), std::string("\xEF\xBB\xBF")}) {
    ScriptText u = DecodeScriptFile(mark + no_gbk_form);
    EXPECT_EQ(u.gbk, no_gbk_form);
    EXPECT_TRUE(u.has_invalid && !u.from_utf8);
  }
  ScriptText broken = DecodeScriptFile("a\xB0");
  EXPECT_EQ(broken.gbk, "a\xB0");
  EXPECT_TRUE(broken.has_invalid);
}

}  // namespace
}  // namespace tora
