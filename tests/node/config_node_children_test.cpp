// ConfigNode: lookups by id and by name, PARAM and stub children, removal by name and type.
#include "plugin/node/config_node.h"

#include "node_fixture.h"
#include "support/device_capabilities.h"

#include <gtest/gtest.h>

namespace {

using namespace nodetest;

// Comments and text between the children, another component holding a match, a match deep
// in an earlier subtree and a later direct one, an element without TYPE around a match, an id
// with a leading zero, and children without NAME and with an empty one.
const char* const kTree =
    "<PARAM NAME='Cfg' TYPE='CONFIGURATION'>"
    "<!-- comment --> text "
    "<PARAM NAME='Other' TYPE='COMPONENT' id='1'><PARAM NAME='inOther' TYPE='NODE' id='61000'/></PARAM>"
    "<PARAM NAME='A' TYPE='NODE' id='2'><PARAM NAME='deep' TYPE='INTEGER' id='7'/></PARAM>"
    "<PARAM NAME='direct' TYPE='INTEGER' id='7'/>"
    "<GROUP><PARAM NAME='grouped' TYPE='NODE' id='8'/></GROUP>"
    "<PARAM NAME='lead' TYPE='NODE' id='061000'/>"
    "<PARAM TYPE='NODE' id='20'/>"
    "<PARAM NAME='' TYPE='NODE' id='21'/>"
    "<?pi data?>"
    "<PARAM NAME='Mine' TYPE='COMPONENT' id='61000'><PARAM NAME='own' TYPE='NODE' id='9'/></PARAM>"
    "</PARAM>";

TEST_F(NodeTest, GetChildByIndexFindsFirstDepthFirstOutsideOtherComponents) {
  load(kTree);
  struct Case {
    std::uint32_t index;
    const char* found;  // NAME of the match, or the message thrown
  };
  const Case cases[] = {
      {61000, "Mine"},  // not inside 'Other', not the id written 061000
      {7, "deep"},      // in an earlier child's subtree, before the later direct child
      {8, "grouped"},   // below an element without TYPE
      {1, "Other"},     // a component itself matches; only its inside is closed
      {9, "Child node of 'Cfg' with index '9' not found"},  // inside a component
      {99, "Child node of 'Cfg' with index '99' not found"},
      {4294967295u, "Child node of 'Cfg' with index '-1' not found"},
  };
  for (const Case& c : cases) {
    ConfigNode result;
    std::string got = thrownMessage([&] { root_.getChildByIndex(c.index, &result); });
    if (got == "<no exception>") got = utf8(result.getName());
    EXPECT_EQ(got, c.found) << "index " << c.index;
  }
}

TEST_F(NodeTest, GetChildByNameCases) {
  load(kTree);
  struct Case {
    const char* name;
    bool descend;
    const char* found;  // id of the match, or the message thrown
  };
  const Case cases[] = {
      {"deep", true, "7"},
      {"deep", false, "Couldn't find child node of 'Cfg' with name 'deep'"},
      {"direct", false, "7"},
      {"", false, "21"},  // present and empty; the child without NAME is not it
      {"inOther", true, "Couldn't find child node of 'Cfg' with name 'inOther'"},
      {"mine", true, "Couldn't find child node of 'Cfg' with name 'mine'"},  // case counts
  };
  for (const Case& c : cases) {
    ConfigNode result;
    std::string got =
        thrownMessage([&] { root_.getChildByName(T(c.name).c_str(), c.descend, &result); });
    if (got == "<no exception>") got = utf8(result.getAttrib_(WSTR("id")));
    EXPECT_EQ(got, c.found) << "'" << c.name << "' descend " << c.descend;
  }
}

TEST_F(NodeTest, FailedLookupLeavesTheResultAsItWas) {
  load(kTree);
  ConfigNode result;
  root_.getChildByIndex(2, &result);
  EXPECT_THROW(root_.getChildByIndex(12345, &result), CVCException);
  EXPECT_THROW(root_.getChildByName(WSTR("nothing"), true, &result), CVCException);
  EXPECT_EQ(utf8(result.getName()), "A");
}

TEST_F(NodeTest, LookupsOnAnEmptyHandle) {
  ConfigNode empty, result;
  EXPECT_EQ(thrownMessage([&] { empty.getChildByIndex(1, &result); }),
            "getChildByIndex() - Node has no reference");
  EXPECT_EQ(thrownMessage([&] { empty.getChildByName(WSTR("a"), true, &result); }),
            "getChildByName() - Node has no reference");
}

TEST_F(NodeTest, LookupKeepsCallerTextsAcrossManyChildren) {
  // Every child is visited before the match; a search that read the children's attributes
  // through the text ring would free the wanted text, a ring text itself, on the way.
  std::string xml = "<PARAM NAME='Cfg' TYPE='CONFIGURATION' WANT='target'>";
  for (int i = 0; i < 60; ++i) xml += "<PARAM NAME='n" + std::to_string(i) + "' TYPE='NODE'/>";
  load(xml + "<PARAM NAME='target' TYPE='NODE' id='5'/></PARAM>");
  const WCHAR* wanted = root_.getAttrib_(WSTR("WANT"));
  ConfigNode result;
  root_.getChildByName(wanted, true, &result);
  EXPECT_EQ(result.getId(), 5);
  EXPECT_EQ(utf8(wanted), "target");
}

TEST_F(NodeTest, CreateChildAppendsParam) {
  load("<PARAM NAME='Cfg' TYPE='CONFIGURATION'><PARAM NAME='first' TYPE='NODE'/></PARAM>");
  struct Case {
    const char* name;
    std::int32_t id;
    const char* xml;
  };
  const Case cases[] = {
      {"no id", -1, "<PARAM NAME=\"no id\" TYPE=\"NODE\"/>"},
      {"five", 5, "<PARAM NAME=\"five\" TYPE=\"NODE\" id=\"5\"/>"},
      {"component", 61000, "<PARAM NAME=\"component\" TYPE=\"NODE\" id=\"61000\"/>"},
      {"negative", -2, "<PARAM NAME=\"negative\" TYPE=\"NODE\" id=\"4294967294\"/>"},
  };
  for (const Case& c : cases) {
    ConfigNode child;
    root_.createChild(T(c.name).c_str(), c.id, &child);
    EXPECT_EQ(xmlOf(child), c.xml) << c.name;
    IXMLDOMNode* last = nullptr;
    IXMLDOMNode* next = nullptr;
    root_.element()->get_firstChild(&last);
    while (last && last->get_nextSibling(&next) == S_OK && next) {
      last->Release();
      last = next;
    }
    EXPECT_EQ(markupOf(last), c.xml) << c.name << " is the last child";
    if (last) last->Release();
  }
}

TEST_F(NodeTest, CreateChildFailures) {
  load("<PARAM NAME='Cfg' TYPE='CONFIGURATION'/>");
  ConfigNode empty, child;
  EXPECT_EQ(thrownMessage([&] { empty.createChild(WSTR("A"), 1, &child); }),
            "Unable to create child 'A'");
  setDocuments(nullptr, report_.get());
  EXPECT_EQ(thrownMessage([&] { root_.createChild(WSTR("B"), 1, &child); }),
            "Unable to create child 'B'");
  EXPECT_TRUE(child.empty());
}

TEST_F(NodeTest, CreateStubChild) {
  if (!domWritesMarkupAsItStands())
    GTEST_SKIP() << "this DOM lays out the markup it writes, and the markup is compared as text";
  load("<PARAM NAME='E' TYPE='ENUM'/>");
  ConfigNode range;
  root_.createStubChild(&range, WSTR("MIN"), WSTR("0"), nullptr, 0);
  EXPECT_EQ(xmlOf(range), "<MIN>0</MIN>");

  const AttributePair pairs[] = {{WSTR("NAME"), WSTR("")}, {WSTR("VALUE"), WSTR("99")}};
  root_.createStubChild(nullptr, WSTR("ENUM"), WSTR(""), pairs, 2);
  EXPECT_EQ(xmlOf(root_),
            "<PARAM NAME=\"E\" TYPE=\"ENUM\"><MIN>0</MIN><ENUM NAME=\"\" VALUE=\"99\"/></PARAM>");

  ConfigNode empty;
  EXPECT_EQ(thrownMessage([&] { empty.createStubChild(nullptr, WSTR("MAX"), WSTR("1"), nullptr, 0); }),
            "Unable to create stub child of ''");
  setDocuments(nullptr, report_.get());
  EXPECT_EQ(thrownMessage([&] { root_.createStubChild(nullptr, WSTR("MAX"), WSTR("1"), nullptr, 0); }),
            "Unable to create stub child of 'E'");
}

TEST_F(NodeTest, CreateStubChildWithARefusedAttributeKeepsWhatWasDone) {
  if (!domRefusesNonXmlNames())
    GTEST_SKIP() << "this DOM takes the attribute name \"1bad\" that a conforming DOM refuses";
  load("<PARAM NAME='E' TYPE='ENUM'/>");
  // The DOM refuses a name that is not an XML name; the pairs after it are not set.
  const AttributePair pairs[] = {
      {WSTR("NAME"), WSTR("a")}, {WSTR("1bad"), WSTR("x")}, {WSTR("VALUE"), WSTR("v")}};
  ConfigNode stub;
  EXPECT_EQ(thrownMessage([&] { root_.createStubChild(&stub, WSTR("ENUM"), WSTR("t"), pairs, 3); }),
            "Unable to create stub child of 'E'");
  EXPECT_EQ(xmlOf(stub), "<ENUM NAME=\"a\">t</ENUM>");
  EXPECT_EQ(xmlOf(root_), "<PARAM NAME=\"E\" TYPE=\"ENUM\"><ENUM NAME=\"a\">t</ENUM></PARAM>");
}

TEST_F(NodeTest, RemoveChildByNameAndType) {
  if (!domWritesMarkupAsItStands())
    GTEST_SKIP() << "this DOM lays out the markup it writes, and the markup is compared as text";
  struct Case {
    const char* name;
    const char* other;  // the node whose counterpart goes
    const char* after;  // the parent's markup afterwards
    std::vector<std::string> errors;
  };
  const char* const parent =
      "<PARAM NAME='P' TYPE='NODE'>"
      "<PARAM NAME='X' TYPE='CHECK'/><!-- c --><PARAM NAME='X' TYPE='INTEGER'/>"
      "<PARAM NAME='X' TYPE='integer' id='2'/></PARAM>";
  const Case cases[] = {
      {"the first of the same name and type", "<PARAM NAME='X' TYPE='INTEGER'/>",
       "<PARAM NAME=\"P\" TYPE=\"NODE\"><PARAM NAME=\"X\" TYPE=\"CHECK\"/><!-- c -->"
       "<PARAM NAME=\"X\" TYPE=\"integer\" id=\"2\"/></PARAM>",
       {}},
      {"name matches, type does not", "<PARAM NAME='X' TYPE='STRING'/>", nullptr,
       {"Failed to remove 'P''s child node 'X'"}},
      {"no name matches", "<PARAM NAME='x' TYPE='CHECK'/>", nullptr,
       {"Failed to remove 'P''s child node 'x'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();  // a fresh report
    load(parent);
    std::string before = xmlOf(root_);
    nodetest::Document otherDoc(c.other);
    ConfigNode other;
    otherDoc.root(&other);
    root_.removeChild(&other);
    EXPECT_EQ(xmlOf(root_), c.after ? c.after : before);
    EXPECT_EQ(errors(), c.errors);
  }
}

TEST_F(NodeTest, RemoveChildWithMatchingNameButNoTypeThrows) {
  load("<PARAM NAME='P' TYPE='NODE'><PARAM NAME='X'/></PARAM>");
  nodetest::Document otherDoc("<PARAM NAME='X' TYPE='NODE'/>");
  ConfigNode other;
  otherDoc.root(&other);
  EXPECT_EQ(thrownMessage([&] { root_.removeChild(&other); }), "Node 'X' has no type");
}

TEST_F(NodeTest, RemoveChildAfterManyNamesakes) {
  // 59 namesakes of another type come first; each costs a ring text for its type, more than
  // the ring keeps, so the other node's name must not be held as a ring text.
  std::string xml = "<PARAM NAME='P' TYPE='NODE'>";
  for (int i = 0; i < 59; ++i) xml += "<PARAM NAME='X' TYPE='CHECK'/>";
  load(xml + "<PARAM NAME='X' TYPE='STRING' id='60'/></PARAM>");
  nodetest::Document otherDoc("<PARAM NAME='X' TYPE='STRING'/>");
  ConfigNode other;
  otherDoc.root(&other);
  root_.removeChild(&other);
  EXPECT_TRUE(errors().empty());
  ConfigNode gone;
  EXPECT_THROW(root_.getChildByIndex(60, &gone), CVCException);
}

}  // namespace
