// Bounded text operations and the formatter.
#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

Text T(const WCHAR* s) { return Text(s); }

TEST(Text, CopyCutsToCapacityAndAlwaysTerminates) {
  WCHAR buf[4] = {'x', 'x', 'x', 'x'};
  EXPECT_FALSE(textCopy(buf, 4, WSTR("abcdef")));
  EXPECT_EQ(T(buf), WSTR("abc"));
  EXPECT_TRUE(textCopy(buf, 4, WSTR("ab")));
  EXPECT_EQ(T(buf), WSTR("ab"));
  EXPECT_TRUE(textCopy(buf, 4, nullptr));
  EXPECT_EQ(T(buf), WSTR(""));
  EXPECT_FALSE(textCopy(buf, 0, WSTR("a")));
}

TEST(Text, AppendStaysWithinCapacity) {
  WCHAR buf[6] = WSTR("ab");
  EXPECT_TRUE(textAppend(buf, 6, WSTR("cd")));
  EXPECT_FALSE(textAppend(buf, 6, WSTR("efgh")));
  EXPECT_EQ(T(buf), WSTR("abcde"));
  WCHAR full[2] = {'a', 'b'};  // no terminator inside the capacity
  EXPECT_FALSE(textAppend(full, 2, WSTR("c")));
  EXPECT_EQ(full[1], 'b');
}

TEST(Text, CompareIgnoringCase) {
  EXPECT_EQ(textCompareNoCase(WSTR("/IMPORT"), WSTR("/import")), 0);
  EXPECT_EQ(textCompareNoCase(WSTR("\u00C9t\u00E9"), WSTR("\u00E9T\u00C9")), 0);
  EXPECT_LT(textCompareNoCase(WSTR("a"), WSTR("B")), 0);
  EXPECT_LT(textCompare(WSTR("B"), WSTR("a")), 0);
  EXPECT_EQ(textCompare(nullptr, WSTR("")), 0);
}

TEST(Text, FormatConversions) {
  WCHAR buf[64];
  EXPECT_EQ(textFormat(buf, 64, WSTR("%s=%i/%u %c%%"), WSTR("x"), -5, 0xFFFFFFFBu, 'Z'), 18);
  EXPECT_EQ(T(buf), WSTR("x=-5/4294967291 Z%"));
  textFormat(buf, 64, WSTR("%i %i"), (std::int32_t)0x80000000, 0);
  EXPECT_EQ(T(buf), WSTR("-2147483648 0"));
  textFormat(buf, 64, WSTR("%s|%q|%"), nullptr);
  EXPECT_EQ(T(buf), WSTR("(null)|%q|%"));
  // A format that is one lone percent sign.
  EXPECT_EQ(textFormat(buf, 64, WSTR("%")), 1);
  EXPECT_EQ(T(buf), WSTR("%"));
}

TEST(Text, FormatNeverWritesPastCapacity) {
  WCHAR buf[8];
  for (auto& c : buf) c = '#';
  EXPECT_EQ(textFormat(buf, 5, WSTR("%s%i"), WSTR("abc"), 12345), -1);
  EXPECT_EQ(T(buf), WSTR("abc1"));
  EXPECT_EQ(buf[5], '#');
}

TEST(Text, Utf8RoundTripKeepsCharactersOutsideTheBasicPlane) {
  const WCHAR s[] = {'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0};
  std::string utf8 = textToUtf8(s);
  EXPECT_EQ(utf8, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(textFromUtf8(utf8), T(s));
  const WCHAR lone[] = {'a', 0xD800, 0};
  std::string out = "unchanged";
  EXPECT_FALSE(textToUtf8Strict(lone, 2, out));
  EXPECT_EQ(out, "unchanged");
  EXPECT_EQ(textFromUtf8("\xC0\xAF"), (Text{0xFFFD, 0xFFFD}));
}

}  // namespace
