// The script file's text in the code box and back on disk.
#include "editor/script_file.h"

#include <gtest/gtest.h>

#include "editor/texts.h"

namespace tora {
namespace {

TEST(CodeBoxTextFromFile, EveryLineEndsInOneCrLf) {
  EXPECT_EQ(CodeBoxTextFromFile(""), "");
  EXPECT_EQ(CodeBoxTextFromFile("a\r\r\nb\r\r\n"), "a\r\nb\r\n");  // as the editor writes
  EXPECT_EQ(CodeBoxTextFromFile("a\r\nb"), "a\r\nb\r\n");
  EXPECT_EQ(CodeBoxTextFromFile("a\nb\n"), "a\r\nb\r\n");
  EXPECT_EQ(CodeBoxTextFromFile("a\rb\n"), "a\r\nb\r\n");
  EXPECT_EQ(CodeBoxTextFromFile("\n\n"), "\r\n\r\n");
  EXPECT_EQ(CodeBoxTextFromFile("a\r\r\r\n"), "a\r\n\r\n");
  EXPECT_EQ(CodeBoxTextFromFile("a\x1A" "b"), "a\x1A" "b\r\n");
}

TEST(CodeBoxTextFromFile, NulBecomesAVisibleStandIn) {
  const std::string s = editor_texts::kNulStandIn;
  EXPECT_EQ(CodeBoxTextFromFile(std::string("a\0\0b\n", 5)), "a" + s + s + "b\r\n");
}

TEST(FileBytesFromCodeBox, EveryLfGetsACr) { EXPECT_EQ(FileBytesFromCodeBox("a\r\nb\nc"), "a\r\r\nb\r\nc"); }

TEST(ScriptFile, SavedBoxReadsBackTheSame) {
  for (const std::string& file : {std::string("a\r\r\nb"), std::string("\r\r\n\n\r"), std::string("x\ry\n\nz\r\n"),
                                 std::string("\xB0\xB4\r\n\r\r\r\n\x1A"), std::string("\0\r\n", 3)}) {
    const std::string box = CodeBoxTextFromFile(file);
    EXPECT_EQ(CodeBoxTextFromFile(FileBytesFromCodeBox(box)), box);
  }
}

}  // namespace
}  // namespace tora
