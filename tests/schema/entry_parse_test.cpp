// Schema entry texts taken apart: depth, type word, name, item text and attribute list.
#include "schema_test_support.h"
#include "support/row_names.h"

#include <cstring>

using namespace schema_test;

namespace {

// The attribute list of a parsed entry as separate strings.
std::vector<std::string> attributeList(const ParsedEntry& parsed) {
  std::vector<std::string> list;
  for (const WCHAR* at = parsed.attributes; *at; at += textLength(at) + 1) list.push_back(utf8(at));
  return list;
}

struct SplitCase {
  const char* label;
  SchemaEntry entry;
  int depth;
  const char* word;
  const char* rest;
  const char* body;
  std::vector<std::string> attributes;
};
const SplitCase kSplitCases[] = {
    {"top level", makeEntry(WSTR("NODE Admin")), 0, "NODE", "Admin", "NODE Admin", {}},
    {"bar", makeEntry(WSTR("| CHECK Enable QRV")), 1, "CHECK", "Enable QRV", "CHECK Enable QRV", {}},
    {"plus and blanks", makeEntry(WSTR("  + CHECK Enable Toolbar")), 2, "CHECK", "Enable Toolbar",
     "CHECK Enable Toolbar", {}},
    {"mixed outline characters", makeEntry(WSTR("|+| +|NODE x")), 3, "NODE", "x", "NODE x", {}},
    {"name keeps punctuation",
     makeEntry(WSTR("  | STRING (410) Page Doesn't Exist"), 60008, nullptr, nullptr,
               {WSTR("MIMETYPE=binHex")}),
     2, "STRING", "(410) Page Doesn't Exist", "STRING (410) Page Doesn't Exist",
     {"MIMETYPE=binHex"}},
    {"item stub", makeEntry(WSTR("| No Action"), -1, nullptr, nullptr, {WSTR("VALUE=6")}), 1, "No",
     "Action", "No Action", {"VALUE=6"}},
    {"range stub", makeEntry(WSTR("| MAX 120"), 0), 1, "MAX", "120", "MAX 120", {}},
    {"two attributes, second equals sign kept",
     makeEntry(WSTR("| STRING Password"), 61001, nullptr, nullptr,
               {WSTR("MIMETYPE=binHex"), WSTR("STRINGTYPE=a=b")}),
     1, "STRING", "Password", "STRING Password", {"MIMETYPE=binHex", "STRINGTYPE=a=b"}},
    {"no blank: no name", makeEntry(WSTR("NODE")), 0, "NODE", "", "NODE", {}},
    {"only indentation", makeEntry(WSTR("  ")), 1, "", "", "", {}},
};

class EntryParseRows : public ::testing::TestWithParam<SplitCase> {};

TEST_P(EntryParseRows, SplitsDepthWordRestAndAttributes) {
  const SplitCase& c = GetParam();
  ParsedEntry parsed;
  ParseEntry(c.entry, &parsed);
  EXPECT_EQ(c.depth, parsed.depth);
  EXPECT_EQ(c.word, utf8(parsed.word));
  EXPECT_EQ(c.rest, utf8(parsed.rest));
  EXPECT_EQ(c.body, utf8(parsed.body));
  EXPECT_EQ(c.attributes, attributeList(parsed));
  EXPECT_EQ(c.depth, EntryDepth(c.entry));
}

INSTANTIATE_TEST_SUITE_P(, EntryParseRows, ::testing::ValuesIn(kSplitCases),
                         RowsNamedBy<&SplitCase::label>());

TEST(EntryParse, OddIndentationQuotesTheWholeTypeString) {
  const struct {
    const WCHAR* text;
    const char* message;
  } cases[] = {
      {WSTR(" NODE x"), "Type string contained odd number of spaces: ' NODE x'"},
      {WSTR("+ |CHECK y"), "Type string contained odd number of spaces: '+ |CHECK y'"},
      {WSTR("|"), "Type string contained odd number of spaces: '|'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const SchemaEntry entry = makeEntry(c.text);
    ParsedEntry parsed;
    try {
      ParseEntry(entry, &parsed);
      ADD_FAILURE() << "no exception";
    } catch (const CVCException& e) {
      EXPECT_EQ(c.message, utf8(e.getMessage()));
    }
    EXPECT_THROW(EntryDepth(entry), CVCException);
  }
}

TEST(EntryParse, ParseIndentAdvancesPastTheIndentation) {
  const WCHAR* text = WSTR("  | CHECK Flag");
  const WCHAR* position = text;
  EXPECT_EQ(2, ParseIndent(position, text));
  EXPECT_EQ("CHECK Flag", utf8(position));

  const WCHAR* odd = WSTR("   X");
  const WCHAR* unmoved = odd;
  EXPECT_THROW(ParseIndent(unmoved, odd), CVCException);
  EXPECT_EQ(odd, unmoved);
}

// Tables built at run time are not trusted to end inside their records.
TEST(EntryParse, TextsThatRunOffTheRecordAreRefused) {
  SchemaEntry noTerminator{};
  for (WCHAR& c : noTerminator.text) c = WSTR('+');
  SchemaEntry listRunsOff{};
  const WCHAR head[] = WSTR("NODE x");
  std::memcpy(listRunsOff.text, head, sizeof(head));  // type string and its terminator
  for (std::size_t k = sizeof(head) / sizeof(WCHAR); k < kSchemaTextCapacity; ++k) {
    listRunsOff.text[k] = WSTR('a');
  }
  SchemaEntry typeStringFillsRecord{};
  for (std::size_t k = 0; k + 1 < kSchemaTextCapacity; ++k) typeStringFillsRecord.text[k] = WSTR('n');

  const struct {
    const char* label;
    const SchemaEntry* entry;
    const char* messageStart;
  } cases[] = {
      {"type string without terminator", &noTerminator, "Type string is not terminated: '"},
      {"attribute list without end", &listRunsOff, "Attribute list of 'NODE x' is not terminated"},
      {"no room for the list's end", &typeStringFillsRecord, "Attribute list of 'nnn"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ParsedEntry parsed;
    try {
      ParseEntry(*c.entry, &parsed);
      ADD_FAILURE() << "no exception";
    } catch (const CVCException& e) {
      EXPECT_EQ(0u, utf8(e.getMessage()).rfind(c.messageStart, 0)) << utf8(e.getMessage());
    }
  }
}

}  // namespace
