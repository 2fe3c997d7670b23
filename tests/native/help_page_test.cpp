// The help page promises that its examples run as they stand and that its
// key table is the program's own: both are checked against the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/key_names.h"
#include "engine/texts.h"
#include "platform/text.h"
#include "tests/native/bmp_builder.h"
#include "tests/native/help_page_file.h"
#include "tests/native/run_tora_check.h"
#include "tests/native/temp_folder.h"

namespace tora {
namespace {

// The contents of every element that starts with open and ends at close.
std::vector<std::string> Between(const std::string& page, const std::string& open, const std::string& close) {
  std::vector<std::string> found;
  for (size_t at = page.find(open); at != std::string::npos; at = page.find(open, at)) {
    at += open.size();
    const size_t end = page.find(close, at);
    if (end == std::string::npos) break;
    found.push_back(page.substr(at, end - at));
    at = end;
  }
  return found;
}

// The quoted names ending in ".bmp" that a script names (GBK: a quote byte
// is never the second byte of a character).
std::vector<std::string> BmpNames(const std::string& script) {
  std::vector<std::string> names;
  const std::string suffix = ".bmp\"";
  for (size_t at = script.find(suffix); at != std::string::npos; at = script.find(suffix, at + 1)) {
    const size_t open = script.rfind('"', at);
    if (open != std::string::npos) names.push_back(script.substr(open + 1, at + 4 - open - 1));
  }
  return names;
}

// The list that follows key in the report, brackets excluded.
std::string ListAfter(const std::string& out, const std::string& key) {
  const size_t at = out.find("\"" + key + "\":[");
  if (at == std::string::npos) return std::string();
  const size_t start = at + key.size() + 4;
  return out.substr(start, out.find(']', start) - start);
}

// The sum box of 中文 shows only the number.
bool OnlySums(const std::string& messages) {
  for (char c : messages)
    if (!((c >= '0' && c <= '9') || c == '-' || c == '"' || c == ',')) return false;
  return true;
}

TEST(HelpPage, EveryExampleRunsWithoutAMistake) {
  const std::string page = testing::ReadHelpPage();
  ASSERT_FALSE(page.empty()) << TORA_HELP_PAGE;
  std::vector<std::string> examples;
  for (const std::string& block : Between(page, "<pre class=\"example\">", "</pre>"))
    examples.push_back(Utf8ToGbk(testing::UnescapeHelpText(block)));

  const char* functions[] = {texts::kFnRepeatAction,        texts::kFnSum,
                             texts::kFnWait,                texts::kFnWindowOperation,
                             texts::kFnFindColorCondition,  texts::kFnFindColorAction,
                             texts::kFnFindImageAction,     texts::kFnFindImageCondition};
  ASSERT_GE(examples.size(), std::size(functions));
  for (const char* function : functions) {
    bool shown = false;
    for (const std::string& example : examples) shown = shown || example.find(function) != std::string::npos;
    EXPECT_TRUE(shown) << "no example calls " << GbkToUtf8(function);
  }

  const std::string syntax_error = "\"" + GbkToUtf8(texts::kSyntaxError);
  const std::string runtime_error = "\"" + GbkToUtf8(texts::kRuntimeError);
  for (const std::string& example : examples) {
    SCOPED_TRACE("example: " + GbkToUtf8(example.substr(0, example.find('\n'))));
    tora::testing::TempFolder folder("help_page");
    ASSERT_TRUE(folder.ok());
    for (const std::string& name : BmpNames(example)) {
      test::BmpRecipe recipe;
      recipe.width = 8;
      recipe.height = 8;
      folder.Write(name, test::BuildBmp(recipe, [](int32_t x, int32_t y) {
        return static_cast<uint32_t>(0x204060 + x * 0x10 + y * 0x1000);
      }));
    }
    folder.Write("example.txt", example);
    const tora::testing::ToolRun r = tora::testing::RunToraCheck(folder.path(), "example.txt", "/dev/null");

    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find(syntax_error), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(runtime_error), std::string::npos) << r.out;
    const std::string messages = ListAfter(r.out, "messages");
    if (example.find(texts::kFnSum) != std::string::npos) {
      EXPECT_TRUE(OnlySums(messages)) << r.out;
    } else {
      EXPECT_EQ(messages, "") << r.out;
    }
    EXPECT_NE(r.out.find(",\"warnings\":[]}"), std::string::npos) << r.out;
  }
}

// Cells <td class="key"> and <td class="vk"> hold each name and its code,
// in the program's table order.
TEST(HelpPage, KeyTableIsTheProgramsKeyNames) {
  const std::string page = testing::ReadHelpPage();
  const std::vector<std::string> names = Between(page, "<td class=\"key\">", "</td>");
  const std::vector<std::string> codes = Between(page, "<td class=\"vk\">", "</td>");
  size_t count = 0;
  const KeyNameEntry* table = KeyNameTable(&count);
  ASSERT_EQ(names.size(), count);
  ASSERT_EQ(codes.size(), count);
  for (size_t i = 0; i < count; ++i) {
    EXPECT_EQ(Utf8ToGbk(testing::UnescapeHelpText(names[i])), table[i].name) << "row " << i << ": " << names[i];
    EXPECT_EQ(codes[i], std::to_string(table[i].code)) << "row " << i << ": " << names[i];
  }
}

}  // namespace
}  // namespace tora
