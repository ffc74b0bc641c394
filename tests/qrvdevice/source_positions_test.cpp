// Where elements and attributes stand in a document's file, as check reports them.
#include "tools/qrvdevice/source_positions.h"
#include "support/row_names.h"

#include <gtest/gtest.h>

namespace {

struct Spot {
  std::size_t element;
  const char* attribute;  // null: the element's '<'
  std::size_t line, column;
};

struct Case {
  const char* name;
  std::string bytes;
  std::vector<Spot> spots;
};

std::string utf16le(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

const char kNested[] = "<a>\n  <b\n   x='1'/>\n\t<c y=\"2\" z = 'a>b'/></a>\n";

const Case kCases[] = {
    {"nested, a tag over two lines, a tab",
     kNested,
     {{0, nullptr, 1, 1},
      {1, nullptr, 2, 3},
      {1, "x", 3, 4},
      {2, nullptr, 4, 2},
      {2, "y", 4, 5},
      {2, "z", 4, 11}}},
    {"the document element after the prolog and a comment with a tag in it",
     "<?xml version='1.0'?>\n<!-- <fake/> -->\n<?pi <x/>?>\n  <root a='1'><k/></root>",
     {{0, nullptr, 4, 3}, {0, "a", 4, 9}, {1, nullptr, 4, 15}}},
    {"columns count characters, not bytes",
     "<a v='\xC3\xA9\xE2\x82\xAC'><b/></a>",
     {{1, nullptr, 1, 11}}},
    {"a UTF-16 file", utf16le(kNested), {{1, nullptr, 2, 3}, {2, "y", 4, 5}}},
    {"an attribute the tag does not have", "<a>\n <b c='1'/></a>", {{1, "d", 2, 2}}},
    {"a byte-order mark before UTF-8",
     "\xEF\xBB\xBF<a>\n<b/></a>",
     {{0, nullptr, 1, 1}, {1, nullptr, 2, 1}}},
    {"another encoding keeps lines, not columns",
     "<?xml version='1.0' encoding='ISO-8859-1'?>\n<a>\n  <b\n  c='\xE9'/></a>",
     {{0, nullptr, 2, 1}, {1, nullptr, 4, 1}}},
};

class SourcePositionsRows : public ::testing::TestWithParam<Case> {};

TEST_P(SourcePositionsRows, ElementsAndAttributesStandWhereTheFileHasThem) {
  const Case& c = GetParam();
  SourcePositions positions;
  ASSERT_TRUE(positions.read(c.bytes));
  for (const Spot& spot : c.spots) {
    SCOPED_TRACE(std::to_string(spot.element) +
                 (spot.attribute ? std::string(" ") + spot.attribute : ""));
    SourcePosition at = spot.attribute ? positions.attribute(spot.element, spot.attribute)
                                       : positions.element(spot.element);
    EXPECT_EQ(at.line, spot.line);
    EXPECT_EQ(at.column, spot.column);
  }
}

INSTANTIATE_TEST_SUITE_P(, SourcePositionsRows, ::testing::ValuesIn(kCases),
                         RowsNamedBy<&Case::name>());

TEST(SourcePositions, ElementsComeInDocumentOrderAndAMalformedFileHasNone) {
  SourcePositions positions;
  ASSERT_TRUE(positions.read(kNested));
  ASSERT_EQ(positions.size(), 3u);
  EXPECT_EQ(positions.name(0), "a");
  EXPECT_EQ(positions.name(2), "c");
  EXPECT_EQ(positions.element(7).line, 0u);  // no such element

  EXPECT_FALSE(positions.read("<a><b></a>"));
  EXPECT_EQ(positions.size(), 0u);
}

}  // namespace
