// The help page as the program shows it without a browser engine: what a
// reader needs of the real page survives, and no input breaks the reading.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "editor/help_text.h"
#include "platform/text.h"
#include "tests/native/help_page_file.h"

namespace tora {
namespace {

using Kind = HelpBlockKind;

// The literals here are GBK; what the reading gives is UTF-8.
std::string U(const char* gbk) { return GbkToUtf8(gbk); }

TEST(HelpText, TheHelpPageReadsAsHeadingsParagraphsTablesAndCopyableExamples) {
  const std::string page = testing::ReadHelpPage();
  ASSERT_FALSE(page.empty()) << TORA_HELP_PAGE;
  const std::vector<HelpBlock> blocks = ReadableHelp(page);
  ASSERT_FALSE(blocks.empty());
  EXPECT_EQ(blocks[0].kind, Kind::kTitle);
  EXPECT_EQ(blocks[0].text, U("Tora按键 1.4"));

  // No markup leaks into what the user reads; a sentence broken across
  // source lines reads on without a blank in it; a row names its cells apart.
  std::vector<std::string> code;
  size_t headings = 0, rows = 0;
  bool joined = false, key_row = false;
  for (const HelpBlock& b : blocks) {
    if (b.kind == Kind::kCode) code.push_back(b.text);
    headings += b.kind == Kind::kHeading;
    rows += b.kind == Kind::kTableRow;
    EXPECT_EQ(b.text.find("</"), std::string::npos) << b.text;
    EXPECT_EQ(b.text.find("<code"), std::string::npos) << b.text;
    EXPECT_EQ(b.text.find("&lt;"), std::string::npos) << b.text;
    joined = joined || b.text.find(U("运行，按“结束按键”")) != std::string::npos;
    key_row = key_row || (b.kind == Kind::kTableRow && b.text.rfind("F1 | 112 | ", 0) == 0);
  }
  EXPECT_GE(headings, 10u);
  EXPECT_GE(rows, 58u);  // the key table alone has a row per key name
  EXPECT_TRUE(joined);
  EXPECT_TRUE(key_row);

  // Every <pre> of the page is a block of its own, byte for byte what a
  // script needs, so that a copied example runs.
  std::vector<std::string> pres;
  for (size_t at = page.find("<pre"); at != std::string::npos; at = page.find("<pre", at)) {
    at = page.find('>', at) + 1;
    const size_t end = page.find("</pre>", at);
    pres.push_back(testing::UnescapeHelpText(page.substr(at, end - at)));
  }
  EXPECT_EQ(code, pres);
}

TEST(HelpText, MarkupOfAnyKindReadsAsText) {
  const auto text = [](const std::string& html) {
    std::string all;
    for (const HelpBlock& b : ReadableHelp(html)) all += "[" + b.text + "]";
    return all;
  };
  EXPECT_EQ(text("<p>a &lt;b&gt; &amp;amp; &#x4E2D;&#25991; &#0; &bogus; & &#xFFFFFFFFF;</p>"),
            U("[a <b> &amp; 中文 ") + "\xEF\xBF\xBD &bogus; & \xEF\xBF\xBD]");
  EXPECT_EQ(text("<P CLASS='x>y'>one<BR>two</p  ><!-- <p>hidden --><script>if (a<b) x();</script>three"),
            "[one][two][three]");
  EXPECT_EQ(text("a < b <3 <p unclosed"), "[a < b <3]");
  EXPECT_EQ(text("<pre>\n  x = 1\r\n\ty<br>z</pre>after"), "[  x = 1\n    y\nz][after]");
  EXPECT_EQ(text("<pre>&#13;x\ny&#13;z\nw</pre>"), "[x\ny\nz\nw]");
  EXPECT_EQ(text(U("<table><tr><th>名</th><th> 值 </th></tr><tr><td>a<td>b</table>")), U("[名 | 值][a | b]"));
  EXPECT_EQ(text("<p title=\"never closed>lost"), "[lost]");
  // A page saved as GBK reads the same as one in UTF-8.
  EXPECT_EQ(text("<h2>动作表</h2><p>按键</p>"), U("[动作表][按键]"));
  EXPECT_EQ(text("\xEF\xBB\xBF<h1>" + U("帮助") + "</h1>"), U("[帮助]"));
}

// Any bytes are fuzzed (fuzz/help_text_fuzzer.cpp); here, inputs far larger
// than a fuzzer's: junk, a megabyte of '<', quotes with no partner, deep
// nesting.
TEST(HelpText, MegabytesOfAnythingAreRead) {
  std::mt19937 random(21);
  std::string junk(1 << 20, '\0');
  for (char& c : junk) c = static_cast<char>(random() % 256);
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "<pre><li><td>&#";
  for (const std::string& input : {junk, std::string(1 << 20, '<'), std::string(200000, '"') + "<p>x", nested}) {
    const std::vector<HelpBlock> blocks = ReadableHelp(input);
    size_t total = 0;
    for (const HelpBlock& b : blocks) total += b.text.size();
    EXPECT_LE(total, 3 * input.size());
    EXPECT_EQ(HelpRtf(blocks, "SimSun", "NSimSun").back(), '}');
  }
}

}  // namespace
}  // namespace tora
