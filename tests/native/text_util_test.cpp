// Splitting GBK text and the number conversions of script values.
#include "engine/text_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace tora {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitString, PiecesBetweenSeparators) {
  EXPECT_EQ(SplitString("", ','), Pieces{});
  EXPECT_EQ(SplitString("a", ','), Pieces{"a"});
  EXPECT_EQ(SplitString("a,b", ','), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitString("a,", ','), (Pieces{"a", ""}));
  EXPECT_EQ(SplitString(",a", ','), (Pieces{"", "a"}));
  EXPECT_EQ(SplitString(",,", ','), (Pieces{"", "", ""}));
  EXPECT_EQ(SplitString("Ctrl+Alt+Delete", '+'), (Pieces{"Ctrl", "Alt", "Delete"}));
  EXPECT_EQ(SplitString(std::string("a\0b,c", 5), ','), (Pieces{std::string("a\0b", 3), "c"}));
  EXPECT_EQ(SplitString("绝对,相对", ','), (Pieces{"绝对", "相对"}));
}

TEST(SplitString, SecondByteOfAGbkCharacterNeverSplits) {
  // B0 7C and B0 5C are GBK characters whose second bytes are | and \.
  EXPECT_EQ(SplitString("a\xB0\x7C" "b|c", '|'), (Pieces{"a\xB0\x7C" "b", "c"}));
  EXPECT_EQ(SplitString("\xB0\x5C\\x", '\\'), (Pieces{"\xB0\x5C", "x"}));
  // Pairs are found from the start: B0 B0 is one character, so the 7C after
  // it is a separator of its own.
  EXPECT_EQ(SplitString("\xB0\xB0\x7C|", '|'), (Pieces{"\xB0\xB0", "", ""}));
}

TEST(SplitString, StrayLeadByteDoesNotSwallowASeparator) {
  // 0x2C can never end a GBK character, so a broken character before a
  // comma still leaves the comma a separator.
  EXPECT_EQ(SplitString("\xB0,1", ','), (Pieces{"\xB0", "1"}));
  EXPECT_EQ(SplitString("x\xB0", ','), (Pieces{"x\xB0"}));
  EXPECT_EQ(SplitString("\xB0", '|'), (Pieces{"\xB0"}));
}

TEST(TruncToInt32, TruncatesTowardZeroAndClamps) {
  EXPECT_EQ(TruncToInt32(2.9), 2);
  EXPECT_EQ(TruncToInt32(-2.9), -2);
  EXPECT_EQ(TruncToInt32(2147483646.9), 2147483646);
  EXPECT_EQ(TruncToInt32(3e9), INT32_MAX);
  EXPECT_EQ(TruncToInt32(-3e9), INT32_MIN);
  EXPECT_EQ(TruncToInt32(-2147483648.5), INT32_MIN);
  EXPECT_EQ(TruncToInt32(std::numeric_limits<double>::infinity()), INT32_MAX);
  EXPECT_EQ(TruncToInt32(std::nan("")), 0);
}

TEST(SecondsToMs, SinglePrecisionThenTruncated) {
  EXPECT_EQ(SecondsToMs(0.1), 100);
  EXPECT_EQ(SecondsToMs(1), 1000);
  EXPECT_EQ(SecondsToMs(0), 0);
  EXPECT_EQ(SecondsToMs(-0.5), -500);
  // Double arithmetic would give 1000 and 16777217.
  EXPECT_EQ(SecondsToMs(1.001), 1001);
  EXPECT_EQ(SecondsToMs(16777.217), 16777216);
  // 0.7f is just below 0.7: only a product rounded to single precision
  // reaches 700.
  EXPECT_EQ(SecondsToMs(0.7), 700);
  EXPECT_EQ(SecondsToMs(1e300), INT32_MAX);
  EXPECT_EQ(SecondsToMs(-1e300), INT32_MIN);
  EXPECT_EQ(SecondsToMs(3e6), INT32_MAX);
  EXPECT_EQ(SecondsToMs(std::nan("")), 0);
}

TEST(PauseFieldToMs, LeadingDecimalNumberOfSeconds) {
  EXPECT_EQ(PauseFieldToMs("1"), 1000);
  EXPECT_EQ(PauseFieldToMs("0.5"), 500);
  EXPECT_EQ(PauseFieldToMs(" 2"), 2000);
  EXPECT_EQ(PauseFieldToMs("1.5秒"), 1500);
  EXPECT_EQ(PauseFieldToMs("-1"), -1000);
  EXPECT_EQ(PauseFieldToMs("1.001"), 1001);
  EXPECT_EQ(PauseFieldToMs(""), 0);
  EXPECT_EQ(PauseFieldToMs("abc"), 0);
  EXPECT_EQ(PauseFieldToMs("1e999"), INT32_MAX);
  EXPECT_EQ(PauseFieldToMs("1e300"), INT32_MAX);
  EXPECT_EQ(PauseFieldToMs("-1e300"), INT32_MIN);
  EXPECT_EQ(PauseFieldToMs("nan"), 0);
  EXPECT_EQ(PauseFieldToMs("inf"), INT32_MAX);
}

TEST(LeadingInt, LikeAtoiButClamped) {
  EXPECT_EQ(LeadingInt("100"), 100);
  EXPECT_EQ(LeadingInt("-5x"), -5);
  EXPECT_EQ(LeadingInt(" \t+7"), 7);
  EXPECT_EQ(LeadingInt("x7"), 0);
  EXPECT_EQ(LeadingInt(""), 0);
  EXPECT_EQ(LeadingInt("-"), 0);
  EXPECT_EQ(LeadingInt("1.9"), 1);
  EXPECT_EQ(LeadingInt("2147483647"), INT32_MAX);
  EXPECT_EQ(LeadingInt("2147483648"), INT32_MAX);
  EXPECT_EQ(LeadingInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(LeadingInt("-2147483649"), INT32_MIN);
  EXPECT_EQ(LeadingInt(std::string(400, '9')), INT32_MAX);
  EXPECT_EQ(LeadingInt("-" + std::string(400, '9')), INT32_MIN);
}

}  // namespace
}  // namespace tora
