// Save walks: elements built from schema tables, filters, handlers, and the scopes that turn
// failures into warnings.
#include "plugin/schema/walker.h"

#include "schema_test_support.h"
#include "support/row_names.h"

using namespace schema_test;

namespace {

// A small schema with every kind of entry: nesting at several depths, a hidden subtree, an
// ENUM and an OPTION with items (one hidden), an INTEGER with its range, a last entry with an
// id above the signed range.
std::vector<SchemaEntry> sampleSchema() {
  return {
      makeEntry(WSTR("NODE Admin")),
      makeEntry(WSTR("| CHECK Enable"), 9, Record),
      makeEntry(WSTR("| STRING Password"), 1, Record, nullptr,
                {WSTR("MIMETYPE=binHex"), WSTR("STRINGTYPE=PWD2")}),
      makeEntry(WSTR("NODE Browser")),
      makeEntry(WSTR("+ NODE Interface")),
      makeEntry(WSTR("  | CHECK Address Bar"), 100, Record),
      makeEntry(WSTR("  + CHECK Toolbar"), 101, Record, HideAlways),
      makeEntry(WSTR("  | CHECK Cookies"), 102, Record, ShowAlways),
      makeEntry(WSTR("+ FRAME Desktop"), -1, nullptr, HideAlways),
      makeEntry(WSTR("  | CHECK Enabled"), 103, Record),
      makeEntry(WSTR("+ ENUM Action"), 0, RecordDetail),
      makeEntry(WSTR("  | No Action"), -1, nullptr, nullptr, {WSTR("VALUE=6")}),
      makeEntry(WSTR("  | Input Panel"), -1, nullptr, HideAlways, {WSTR("VALUE=1")}),
      makeEntry(WSTR("  | Key A"), -1, nullptr, nullptr, {WSTR("VALUE='#A")}),
      makeEntry(WSTR("+ OPTION Mode"), 104, Record),
      makeEntry(WSTR("  | Fast"), -1, nullptr, nullptr, {WSTR("VALUE=1")}),
      makeEntry(WSTR("+ INTEGER Delay"), 5, RecordDetail),
      makeEntry(WSTR("  | MIN 0"), 0),
      makeEntry(WSTR("  | MAX 120"), 0),
      makeEntry(WSTR("  | STEP 1"), 0),
      makeEntry(WSTR("CHECK Wide"), -2),
  };
}

class SaveWalk : public WalkTest {};

TEST_F(SaveWalk, BuildsTheOutlineWithFiltersOnAndOff) {
  struct Case {
    const char* label;
    bool switchOn;  // ConfigFiltersOff = 1 in the registry
    const char* outline;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"filters on (no switch)", false,
       "PARAM NAME=Admin TYPE=NODE\n"
       "  PARAM NAME=Enable TYPE=CHECK id=9\n"
       "  PARAM NAME=Password TYPE=STRING id=1 MIMETYPE=binHex STRINGTYPE=PWD2\n"
       "PARAM NAME=Browser TYPE=NODE\n"
       "  PARAM NAME=Interface TYPE=NODE\n"
       "    PARAM NAME=Address Bar TYPE=CHECK id=100\n"
       "    PARAM NAME=Cookies TYPE=CHECK id=102\n"
       "  PARAM NAME=Action TYPE=ENUM id=0\n"
       "    ENUM NAME=No Action VALUE=6\n"
       "    ENUM NAME=Key A VALUE=65\n"
       "  PARAM NAME=Mode TYPE=OPTION id=104\n"
       "    ITEM NAME=Fast VALUE=1\n"
       "  PARAM NAME=Delay TYPE=INTEGER id=5\n"
       "    MIN \"0\"\n"
       "    MAX \"120\"\n"
       "    STEP \"1\"\n"
       "PARAM NAME=Wide TYPE=CHECK id=4294967294\n",
       {"Enable", "Password", "Address Bar", "Cookies",
        "Action parent=Browser children=2 dir=Save", "Mode",
        "Delay parent=Browser children=3 dir=Save"}},
      {"filters off", true,
       "PARAM NAME=Admin TYPE=NODE\n"
       "  PARAM NAME=Enable TYPE=CHECK id=9\n"
       "  PARAM NAME=Password TYPE=STRING id=1 MIMETYPE=binHex STRINGTYPE=PWD2\n"
       "PARAM NAME=Browser TYPE=NODE\n"
       "  PARAM NAME=Interface TYPE=NODE\n"
       "    PARAM NAME=Address Bar TYPE=CHECK id=100\n"
       "    PARAM NAME=Toolbar TYPE=CHECK id=101\n"
       "    PARAM NAME=Cookies TYPE=CHECK id=102\n"
       "  PARAM NAME=Desktop TYPE=FRAME\n"
       "    PARAM NAME=Enabled TYPE=CHECK id=103\n"
       "  PARAM NAME=Action TYPE=ENUM id=0\n"
       "    ENUM NAME=No Action VALUE=6\n"
       "    ENUM NAME=Input Panel VALUE=1\n"
       "    ENUM NAME=Key A VALUE=65\n"
       "  PARAM NAME=Mode TYPE=OPTION id=104\n"
       "    ITEM NAME=Fast VALUE=1\n"
       "  PARAM NAME=Delay TYPE=INTEGER id=5\n"
       "    MIN \"0\"\n"
       "    MAX \"120\"\n"
       "    STEP \"1\"\n"
       "PARAM NAME=Wide TYPE=CHECK id=4294967294\n",
       {"Enable", "Password", "Address Bar", "Toolbar", "Cookies", "Enabled",
        "Action parent=Browser children=3 dir=Save", "Mode",
        "Delay parent=Browser children=3 dir=Save"}},
  };
  const std::vector<SchemaEntry> schema = sampleSchema();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempDevice caseDevice;  // a registry of its own for each case
    TearDown();
    SetUp();
    if (c.switchOn) setFilterSwitch(1);
    makeComponent();
    const int consumed =
        WalkSchema(&component, schema.data(), static_cast<std::uint32_t>(schema.size()), Save);
    EXPECT_EQ(static_cast<int>(schema.size()), consumed);
    EXPECT_EQ(c.outline, outlineOfChildren(component));
    EXPECT_EQ(c.calls, calls());
    EXPECT_TRUE(warnings().empty()) << joined(warnings());
    EXPECT_TRUE(errors().empty()) << joined(errors());
  }
}

// A nested walk returns how many entries its run took, so the caller continues after them.
TEST_F(SaveWalk, NestedRunReturnsTheEntriesItConsumed) {
  makeComponent();
  const std::vector<SchemaEntry> run = {
      makeEntry(WSTR("    | CHECK A"), 1), makeEntry(WSTR("    + CHECK B"), 2),
      makeEntry(WSTR("      | CHECK Under B"), 3), makeEntry(WSTR("  | CHECK Shallower"), 4),
      makeEntry(WSTR("CHECK Top"), 5)};
  EXPECT_EQ(3, WalkSchema(&component, run.data(), static_cast<std::uint32_t>(run.size()), Save));
  EXPECT_EQ("PARAM NAME=A TYPE=CHECK id=1\n"
            "PARAM NAME=B TYPE=CHECK id=2\n"
            "  PARAM NAME=Under B TYPE=CHECK id=3\n",
            outlineOfChildren(component));
}

struct FailureCase {
  const char* label;
  std::vector<SchemaEntry> entries;
  const char* outline;
  std::vector<std::string> warnings;
  std::vector<std::string> errors;
  std::vector<std::string> calls;
};
const FailureCase kFailureCases[] = {
    {"item stub with a handler stays; its ENUM is named",
     {makeEntry(WSTR("ENUM Action"), 0), makeEntry(WSTR("| No Action"), -1, Record, nullptr, {WSTR("VALUE=6")}),
      makeEntry(WSTR("| Other"), -1, nullptr, nullptr, {WSTR("VALUE=7")}),
      makeEntry(WSTR("CHECK After"), 1, Record)},
     "PARAM NAME=Action TYPE=ENUM id=0\n"
     "  ENUM NAME=No Action VALUE=6\n"
     "  ENUM NAME=Other VALUE=7\n"
     "PARAM NAME=After TYPE=CHECK id=1\n",
     {"Stubs must not have a setup function - 'Action''s child did."},
     {},
     {"After"}},
    {"range stub with a handler stays; its INTEGER is named",
     {makeEntry(WSTR("INTEGER Delay"), 5, Record), makeEntry(WSTR("| MIN 0"), 0, Record),
      makeEntry(WSTR("| MAX 9"), 0)},
     "PARAM NAME=Delay TYPE=INTEGER id=5\n"
     "  MIN \"0\"\n"
     "  MAX \"9\"\n",
     {"Stubs must not have a setup function - 'Delay''s child did."},
     {},
     {"Delay"}},
    {"handler without an id: nested entries first, then the element goes",
     {makeEntry(WSTR("NODE Group"), -1, Record), makeEntry(WSTR("| CHECK Inner"), 2, Record),
      makeEntry(WSTR("CHECK Next"), 3, Record)},
     "PARAM NAME=Next TYPE=CHECK id=3\n",
     {"Error - Nodes with setup functions must have IDs.  'Group' did not."},
     {},
     {"Inner", "Next"}},
    {"entry below an item stub: its ENUM goes, the level goes on after the subtree",
     {makeEntry(WSTR("NODE Outer")), makeEntry(WSTR("| ENUM Choice"), 2, Record),
      makeEntry(WSTR("  | One"), -1, nullptr, nullptr, {WSTR("VALUE=1")}),
      makeEntry(WSTR("    | CHECK Deeper"), 9, Record),
      makeEntry(WSTR("  | Two"), -1, nullptr, nullptr, {WSTR("VALUE=2")}),
      makeEntry(WSTR("| CHECK Sibling"), 3, Record), makeEntry(WSTR("CHECK Next"), 4, Record)},
     "PARAM NAME=Outer TYPE=NODE\n"
     "  PARAM NAME=Sibling TYPE=CHECK id=3\n"
     "PARAM NAME=Next TYPE=CHECK id=4\n",
     {"Child node uninitialized"},
     {},
     {"Sibling", "Next"}},
    {"failing handler takes its subtree; the message is not read as a format",
     {makeEntry(WSTR("FRAME Box"), 7, Fail), makeEntry(WSTR("| CHECK Inside"), 8, Record),
      makeEntry(WSTR("CHECK Next"), 3, Record)},
     "PARAM NAME=Next TYPE=CHECK id=3\n",
     {"Cannot store 100%s of it"},
     {},
     {"Inside", "Box", "Next"}},
    {"two frames of one name: only the one that failed goes",
     {makeEntry(WSTR("FRAME Key"), 100, Record), makeEntry(WSTR("FRAME Key"), 101, Fail),
      makeEntry(WSTR("FRAME Key"), 102, Record)},
     "PARAM NAME=Key TYPE=FRAME id=100\n"
     "PARAM NAME=Key TYPE=FRAME id=102\n",
     {"Cannot store 100%s of it"},
     {},
     {"Key", "Key", "Key"}},
    {"element already gone: the failed removal is reported",
     {makeEntry(WSTR("CHECK Gone"), 5, DetachAndFail), makeEntry(WSTR("CHECK Next"), 3, Record)},
     "PARAM NAME=Next TYPE=CHECK id=3\n",
     {"detached"},
     {"Failed to remove 'Component''s child node 'Gone'"},
     {"Next"}},
    {"range text under a NODE makes a PARAM of unknown type",
     {makeEntry(WSTR("NODE Group")), makeEntry(WSTR("| MIN 0"), 0),
      makeEntry(WSTR("  | CHECK Below"), 4, Record), makeEntry(WSTR("CHECK Next"), 3, Record)},
     "PARAM NAME=Group TYPE=NODE\n"
     "  PARAM NAME=0 TYPE=MIN id=0\n"
     "PARAM NAME=Next TYPE=CHECK id=3\n",
     {"Node '0' has unknown type"},
     {},
     {"Next"}},
};

class SaveWalkFailureRows : public SaveWalk, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SaveWalkFailureRows, FailuresBecomeWarningsAndTheWalkGoesOn) {
  const FailureCase& c = GetParam();
  makeComponent();
  const int consumed = WalkSchema(&component, c.entries.data(),
                                  static_cast<std::uint32_t>(c.entries.size()), Save);
  EXPECT_EQ(static_cast<int>(c.entries.size()), consumed);
  EXPECT_EQ(c.outline, outlineOfChildren(component));
  EXPECT_EQ(c.warnings, warnings());
  EXPECT_EQ(c.errors, errors());
  EXPECT_EQ(c.calls, calls());
}

INSTANTIATE_TEST_SUITE_P(, SaveWalkFailureRows, ::testing::ValuesIn(kFailureCases),
                         RowsNamedBy<&FailureCase::label>());

// What a level cannot handle leaves it; at the top it reaches the caller of the walk.
TEST_F(SaveWalk, OutlineErrorsAtTheTopLevelLeaveTheWalk) {
  struct Case {
    const char* label;
    std::vector<SchemaEntry> entries;
    const char* message;
    const char* outline;
  };
  const Case cases[] = {
      {"depths 0, 2, 1",
       {makeEntry(WSTR("NODE First")), makeEntry(WSTR("    | CHECK Deep"), 1, Record),
        makeEntry(WSTR("| CHECK Middle"), 2, Record)},
       "Child node uninitialized",
       "PARAM NAME=First TYPE=NODE\n"
       "  PARAM NAME=Deep TYPE=CHECK id=1\n"},
      {"odd indentation", {makeEntry(WSTR(" NODE A")), makeEntry(WSTR("NODE B"))},
       "Type string contained odd number of spaces: ' NODE A'", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TearDown();
    SetUp();
    makeComponent();
    try {
      WalkSchema(&component, c.entries.data(), static_cast<std::uint32_t>(c.entries.size()), Save);
      ADD_FAILURE() << "no exception";
    } catch (const CVCException& e) {
      EXPECT_EQ(c.message, utf8(e.getMessage()));
    }
    EXPECT_EQ(c.outline, outlineOfChildren(component));
    EXPECT_TRUE(warnings().empty()) << joined(warnings());
  }
}

TEST_F(SaveWalk, ComponentVersionChoosesTheTableAndIsWritten) {
  const std::vector<SchemaEntry> newer = {makeEntry(WSTR("CHECK New"), 1, Record)};
  const std::vector<SchemaEntry> older = {makeEntry(WSTR("CHECK Old"), 1, Record)};
  const SchemaVersion versions[] = {makeVersion(WSTR("1.0.1"), newer),
                                    makeVersion(WSTR("1.0.0"), older)};
  struct Case {
    const char* label;
    const WCHAR* version;  // null: no VERSION attribute
    const char* outline;
    std::vector<std::string> warnings;
  };
  const Case cases[] = {
      {"absent", nullptr,
       "PARAM NAME=Component TYPE=COMPONENT id=61000 VERSION=1.0.1\n"
       "  PARAM NAME=New TYPE=CHECK id=1\n",
       {}},
      {"empty", WSTR(""),
       "PARAM NAME=Component TYPE=COMPONENT id=61000 VERSION=1.0.1\n"
       "  PARAM NAME=New TYPE=CHECK id=1\n",
       {}},
      {"older", WSTR("1.0.0"),
       "PARAM NAME=Component TYPE=COMPONENT id=61000 VERSION=1.0.0\n"
       "  PARAM NAME=Old TYPE=CHECK id=1\n",
       {}},
      {"unknown", WSTR("2.0"),
       "PARAM NAME=Component TYPE=COMPONENT id=61000 VERSION=1.0.1\n"
       "  PARAM NAME=New TYPE=CHECK id=1\n",
       {"Unable to find matching version for 'Component', which has version label '2.0'.  "
        "Attempting to load with latest version"}},
      {"labels compare exactly", WSTR("1.0.0 "),
       "PARAM NAME=Component TYPE=COMPONENT id=61000 VERSION=1.0.1\n"
       "  PARAM NAME=New TYPE=CHECK id=1\n",
       {"Unable to find matching version for 'Component', which has version label '1.0.0 '.  "
        "Attempting to load with latest version"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TearDown();
    SetUp();
    makeComponent(WSTR("NODE"));  // a NODE becomes a COMPONENT
    if (c.version) component.setAttrib_(WSTR("VERSION"), c.version);
    EXPECT_EQ(1, WalkComponent(&component, versions, 2, Save));
    EXPECT_EQ(c.outline, outlineOfChildren(root));
    EXPECT_EQ(c.warnings, warnings());
  }
}

TEST_F(SaveWalk, ComponentWithoutIdIsRefusedBeforeTheWalk) {
  const std::vector<SchemaEntry> entries = {makeEntry(WSTR("CHECK New"), 1, Record)};
  const SchemaVersion version = makeVersion(WSTR("1.0.0"), entries);
  makeComponent(WSTR("COMPONENT"), -1);
  try {
    WalkComponent(&component, &version, 1, Save);
    ADD_FAILURE() << "no exception";
  } catch (const CVCException& e) {
    EXPECT_EQ("Component node 'Component' must have an id.", utf8(e.getMessage()));
  }
  EXPECT_TRUE(calls().empty());
}

}  // namespace
