// Apply walks: descent into NODE and FRAME elements, dispatch by id, version selection, and
// the per-element scope that turns failures into warnings.
#include "plugin/schema/walker.h"

#include "schema_test_support.h"

using namespace schema_test;

namespace {

class ApplyWalk : public WalkTest {};

int RecordNewer(ConfigNode*, ConfigNode*, Direction) {
  calls().push_back("newer");
  return 0;
}
int RecordOlder(ConfigNode*, ConfigNode*, Direction) {
  calls().push_back("older");
  return 0;
}

TEST_F(ApplyWalk, DescendsAndDispatchesByIdNestedFirst) {
  loadConfiguration(WSTR(
      "<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\">"
      "<PARAM NAME=\"Component\" TYPE=\"COMPONENT\" id=\"61000\">"
      "text between elements<!-- a comment --><?pi data?>"
      "<PARAM NAME=\"Admin\" TYPE=\"NODE\"><PARAM NAME=\"Enable\" TYPE=\"CHECK\" id=\"9\"/></PARAM>"
      "<PARAM NAME=\"Untyped\" id=\"9\"/>"
      "<PARAM NAME=\"Toolbar\" TYPE=\"CHECK\" id=\"101\"/>"
      "<PARAM NAME=\"Frame\" TYPE=\"FRAME\" id=\"50\">"
      "<PARAM NAME=\"Inner\" TYPE=\"check\" id=\"102\"/></PARAM>"
      "<PARAM NAME=\"Versioned\" TYPE=\"NODE\" VERSION=\"1.0.0\" id=\"51\">"
      "<PARAM NAME=\"Not entered\" TYPE=\"CHECK\" id=\"9\"/></PARAM>"
      "<PARAM NAME=\"Empty version\" TYPE=\"NODE\" VERSION=\"\">"
      "<PARAM NAME=\"Entered\" TYPE=\"CHECK\" id=\"100\"/></PARAM>"
      "<PARAM NAME=\"Stranger\" TYPE=\"CHECK\" id=\"777\"/>"
      "<PARAM NAME=\"Explicit none\" TYPE=\"CHECK\" id=\"-1\"/>"
      "<PARAM NAME=\"Shared\" TYPE=\"CHECK\" id=\"0\"/>"
      "<PARAM NAME=\"First wins\" TYPE=\"CHECK\" id=\"60\"/>"
      "<PARAM NAME=\"Failing\" TYPE=\"CHECK\" id=\"70\"/>"
      "<PARAM NAME=\"Bad type\" TYPE=\"MIN\" id=\"9\"/>"
      "<PARAM NAME=\"Deep\" TYPE=\"NODE\"><PARAM NAME=\"Deeper\" TYPE=\"FRAME\">"
      "<PARAM NAME=\"Leaf\" TYPE=\"CHECK\" id=\"9\"/></PARAM></PARAM>"
      "<PARAM NAME=\"Last\" TYPE=\"CHECK\" id=\"9\"/>"
      "</PARAM></PARAM>"));
  const std::vector<SchemaEntry> entries = {
      makeEntry(WSTR("INTEGER Zero"), 0, RecordDetail),
      makeEntry(WSTR("| MIN 0"), 0),  // shares id 0 with the entry before it
      makeEntry(WSTR("CHECK Enable"), 9, RecordDetail),
      makeEntry(WSTR("CHECK Toolbar"), 101, RecordDetail, HideAlways),  // filters do not apply
      makeEntry(WSTR("FRAME Frame"), 50, RecordDetail),
      makeEntry(WSTR("| CHECK Inner"), 102, RecordDetail),
      makeEntry(WSTR("NODE Versioned"), 51, RecordDetail),
      makeEntry(WSTR("CHECK Entered"), 100, RecordDetail),
      makeEntry(WSTR("CHECK None"), -1, RecordDetail),
      makeEntry(WSTR("CHECK Sixty"), 60),
      makeEntry(WSTR("CHECK Sixty again"), 60, RecordDetail),
      makeEntry(WSTR("CHECK Failing"), 70, Fail),
  };
  const SchemaVersion version = makeVersion(WSTR("1.0.1"), entries);

  WalkComponent(&component, &version, 1, Apply);

  EXPECT_EQ(joined({
                "Enable parent=Admin children=0 dir=Apply",
                "Toolbar parent=Component children=0 dir=Apply",
                "Inner parent=Frame children=0 dir=Apply",
                "Frame parent=Component children=1 dir=Apply",
                "Versioned parent=Component children=1 dir=Apply",
                "Entered parent=Empty version children=0 dir=Apply",
                "Shared parent=Component children=0 dir=Apply",
                "Failing",
                "Leaf parent=Deeper children=0 dir=Apply",
                "Last parent=Component children=0 dir=Apply",
            }),
            joined(calls()));
  EXPECT_EQ(joined({"Node 'Untyped' has no type", "Cannot store 100%s of it",
                    "Node 'Bad type' has unknown type"}),
            joined(warnings()));
  EXPECT_TRUE(errors().empty()) << joined(errors());
  // Apply reads the document; it writes nothing, not even the VERSION it chose.
  EXPECT_EQ(nullptr, component.getAttrib_(WSTR("VERSION")));
}

TEST_F(ApplyWalk, ComponentVersionChoosesTheTable) {
  const std::vector<SchemaEntry> newer = {makeEntry(WSTR("CHECK Flag"), 1, RecordNewer)};
  const std::vector<SchemaEntry> older = {makeEntry(WSTR("CHECK Flag"), 1, RecordOlder)};
  const SchemaVersion versions[] = {makeVersion(WSTR("1.0.1"), newer),
                                    makeVersion(WSTR("1.0.0"), older)};
  struct Case {
    const char* label;
    const WCHAR* document;
    const char* table;
    std::vector<std::string> warnings;
  };
  const Case cases[] = {
      {"absent",
       WSTR("<C><PARAM NAME=\"Component\" TYPE=\"COMPONENT\" id=\"61000\">"
            "<PARAM NAME=\"Flag\" TYPE=\"CHECK\" id=\"1\"/></PARAM></C>"),
       "newer", {}},
      {"empty",
       WSTR("<C><PARAM NAME=\"Component\" TYPE=\"COMPONENT\" id=\"61000\" VERSION=\"\">"
            "<PARAM NAME=\"Flag\" TYPE=\"CHECK\" id=\"1\"/></PARAM></C>"),
       "newer", {}},
      {"older",
       WSTR("<C><PARAM NAME=\"Component\" TYPE=\"COMPONENT\" id=\"61000\" VERSION=\"1.0.0\">"
            "<PARAM NAME=\"Flag\" TYPE=\"CHECK\" id=\"1\"/></PARAM></C>"),
       "older", {}},
      {"unknown",
       WSTR("<C><PARAM NAME=\"Component\" TYPE=\"COMPONENT\" id=\"61000\" VERSION=\"3.1\">"
            "<PARAM NAME=\"Flag\" TYPE=\"CHECK\" id=\"1\"/></PARAM></C>"),
       "newer",
       {"Unable to find matching version for 'Component', which has version label '3.1'.  "
        "Attempting to load with latest version"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TearDown();
    SetUp();
    loadConfiguration(c.document);
    WalkComponent(&component, versions, 2, Apply);
    EXPECT_EQ(std::vector<std::string>{c.table}, calls());
    EXPECT_EQ(c.warnings, warnings());
  }
}

// A chain of `levels` NODE elements below the component, each with id 1, and a CHECK leaf
// with id 1 below the last.
void buildChain(ConfigNode& component, int levels) {
  ConfigNode current;
  current.assign(component.element());
  for (int level = 1; level <= levels; ++level) {
    WCHAR name[16];
    textFormat(name, 16, WSTR("L%i"), level);
    ConfigNode next;
    current.createChild(name, 1, &next);
    current.assign(next.element());
  }
  ConfigNode leaf;
  current.createChild(WSTR("Leaf"), 1, &leaf);
  leaf.setTypeByString(WSTR("CHECK"), nullptr);
}

// The deepest document the DOM holds (the component at depth 2, the leaf at the DOM's limit)
// is walked to the bottom, nested elements first.
TEST_F(ApplyWalk, WalksTheDeepestDocumentCompletely) {
  const std::vector<SchemaEntry> entries = {makeEntry(WSTR("NODE Level"), 1, Record)};
  const SchemaVersion version = makeVersion(WSTR("1.0.0"), entries);
  makeComponent();
  const int levels = kXmlMaxDepth - 3;
  buildChain(component, levels);
  WalkComponent(&component, &version, 1, Apply);
  std::vector<std::string> expected = {"Leaf"};
  for (int level = levels; level >= 1; --level) expected.push_back("L" + std::to_string(level));
  EXPECT_EQ(expected, calls());
  EXPECT_TRUE(warnings().empty()) << joined(warnings());
}

// Walks the node's parent again from inside the node's own handler: a walk that never ends
// unless the walker bounds its nesting.
int RewalkParent(ConfigNode* node, ConfigNode* parent, Direction direction) {
  calls().push_back(utf8(node->getName()));
  const SchemaEntry entry = makeEntry(WSTR("CHECK Again"), 1, RewalkParent);
  return WalkSchema(parent, &entry, 1, direction);
}

// Nesting is bounded however the walks nest, handlers' walks included; the bound leaves a
// warning, the walks above it finish, and the next walk starts from the top again.
TEST_F(ApplyWalk, StopsAtTheNestingLimit) {
  loadConfiguration(WSTR("<C><PARAM NAME=\"Component\" TYPE=\"COMPONENT\" id=\"61000\">"
                         "<PARAM NAME=\"Again\" TYPE=\"CHECK\" id=\"1\"/></PARAM></C>"));
  const SchemaEntry entry = makeEntry(WSTR("CHECK Again"), 1, RewalkParent);
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    calls().clear();
    WalkSchema(&component, &entry, 1, Apply);
    EXPECT_EQ(static_cast<std::size_t>(kXmlMaxDepth), calls().size());
    EXPECT_EQ(std::vector<std::string>(round, "Node 'Component' is nested deeper than 256 levels"),
              warnings());
  }
}

}  // namespace
