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

// A cut never leaves the high half of a surrogate pair at the end; a pair that fits whole, and
// a lone half the source already ends with, are copied as they are.
TEST(Text, CutsNeverSplitASurrogatePair) {
  const WCHAR pair[] = {'a', 'b', 0xD83D, 0xDE00, 'c', 0};  // ab, U+1F600, c
  struct Case {
    const char* name;
    std::size_t capacity, count;
    Text expected;
    bool fitted;
  };
  const std::size_t all = static_cast<std::size_t>(-1);
  const Case cases[] = {
      {"cut between the halves", 4, all, Text{'a', 'b'}, false},
      {"cut after the pair", 5, all, Text{'a', 'b', 0xD83D, 0xDE00}, false},
      {"cut before the pair", 3, all, Text{'a', 'b'}, false},
      {"whole text", 6, all, Text(pair), true},
      {"count ends between the halves", 16, 3, Text{'a', 'b'}, true},
      {"count ends after the pair", 16, 4, Text{'a', 'b', 0xD83D, 0xDE00}, true},
  };
  for (const Case& c : cases) {
    WCHAR buf[16];
    for (auto& u : buf) u = '#';
    EXPECT_EQ(textCopyN(buf, c.capacity, pair, c.count), c.fitted) << c.name;
    EXPECT_EQ(T(buf), c.expected) << c.name;
  }
  const WCHAR loneAtEnd[] = {'a', 0xD83D, 0};
  WCHAR buf[8];
  EXPECT_TRUE(textCopy(buf, 8, loneAtEnd));
  EXPECT_EQ(T(buf), T(loneAtEnd));

  WCHAR appended[5] = WSTR("xy");
  EXPECT_FALSE(textAppend(appended, 5, pair + 1));  // b, U+1F600, c into two free units
  EXPECT_EQ(T(appended), (Text{'x', 'y', 'b'}));

  WCHAR formatted[4];
  EXPECT_EQ(textFormat(formatted, 4, WSTR("%s"), pair), -1);
  EXPECT_EQ(T(formatted), (Text{'a', 'b'}));
  EXPECT_EQ(textFormat(formatted, 4, WSTR("%c%c%c%s"), 'a', 'b', 0xD83D, WSTR("z")), -1);
  EXPECT_EQ(T(formatted), (Text{'a', 'b'}));
}

TEST(Text, FindsTheFirstCharacterXmlCannotCarry) {
  struct Case {
    const char* name;
    Text text;
    std::size_t expected;
  };
  const Case cases[] = {
      {"plain text with tab, line feed and return", Text{'a', 0x9, 0xA, 0xD, 0xE9, 0xFFFD}, 6},
      {"a pair", Text{'a', 0xD83D, 0xDE00}, 3},
      {"a control character", Text{'A', 0x1}, 1},
      {"NUL", Text{'A', 0, 'B'}, 1},
      {"U+FFFE", Text{0xFFFE}, 0},
      {"U+FFFF", Text{'x', 0xFFFF}, 1},
      {"a lone high half at the end", Text{'a', 'b', 0xD800}, 2},
      {"a high half before no low half", Text{0xD800, 'b'}, 0},
      {"a lone low half", Text{'a', 0xDC00}, 1},
      {"empty", Text(), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(textFindNonXml(c.text.data(), c.text.size()), c.expected) << c.name;
  }
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
