#include "core/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, FormatStringReplacesAndAppendFormatAppends) {
  std::string s = "old";
  FormatString(s, "%s_%03d", "slot", 7);
  EXPECT_EQ(s, "slot_007");
  AppendFormat(s, ".%s", "dat");
  EXPECT_EQ(s, "slot_007.dat");
  std::string big(6000, 'a');
  FormatString(s, "%s", big.c_str());
  EXPECT_EQ(s.size(), 5119u);
}

TEST(Text, StrMidCases) {
  struct Case {
    int start, count;
    const char* expected;
  } cases[] = {{2, 3, "cde"}, {-1, 3, "ab"}, {6, 2, ""}, {7, 1, ""}, {4, 10, "ef"}, {1, -1, "bcdef"}, {0, 0, ""}};
  for (const Case& c : cases) EXPECT_EQ(StrMid("abcdef", c.start, c.count), c.expected) << c.start << "," << c.count;
  // The text counts only up to its first zero byte.
  EXPECT_EQ(StrMid(std::string("ab\0cd", 5), 1, 10), "b");
  EXPECT_EQ(StrLength(std::string("ab\0cd", 5)), 2);
}

TEST(Text, CountCharsCountsPairsOnceAndLineFeedsNotAtAll) {
  EXPECT_EQ(CountChars("ab表\n"), 3);
  EXPECT_EQ(CountChars(""), 0);
  EXPECT_EQ(CountChars("ＡＢＣ"), 3);
  // A lead byte at the end, without its trail byte, counts as one byte.
  EXPECT_EQ(CountChars("a\x81"), 2);
}

TEST(Text, IsDbcsPair) {
  EXPECT_EQ(IsDbcsPair("表"), 1);
  EXPECT_EQ(IsDbcsPair("ab"), 0);
  EXPECT_EQ(IsDbcsPair("\x81"), 0);        // no trail byte
  EXPECT_EQ(IsDbcsPair("\x81\x7F"), 0);    // 0x7F is not a trail byte
  EXPECT_EQ(IsDbcsPair("\xFC\xFC"), 1);
}

TEST(Text, DialogItemStrings) {
  HWND dlg = reinterpret_cast<HWND>(0x10);
  SetDlgItemString(dlg, 5, "abcdef");
  std::string out;
  GetDlgItemString(dlg, 5, out, 4);
  EXPECT_EQ(out, "abc");
  GetDlgItemString(dlg, 5, out, 100000);
  EXPECT_EQ(out, "abcdef");
}

}  // namespace
