// ConfigNode: the handle, attributes, ids, types, attribute lists and the text and number rings.
#include "plugin/node/config_node.h"

#include "node_fixture.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace nodetest;

TEST(ParseDecimal, Cases) {
  struct Case {
    const WCHAR* text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {WSTR("42"), 42},
      {WSTR(" -7"), -7},
      {WSTR("\t\r\n+12"), 12},
      {WSTR("12ab"), 12},
      {WSTR("abc"), 0},
      {WSTR(""), 0},
      {WSTR("-"), 0},
      {WSTR("--5"), 0},
      {WSTR("- 5"), 0},
      {WSTR("2147483647"), INT_MAX},
      {WSTR("-2147483648"), INT_MIN},
      // What "%u" wrote reads back as the same 32 bits.
      {WSTR("2147483650"), static_cast<std::int32_t>(-2147483646)},
      {WSTR("4294967295"), -1},
      // Longer numbers keep their low 32 bits.
      {WSTR("4294967297"), 1},
      {WSTR("99999999999999999999"), static_cast<std::int32_t>(1661992959)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseDecimal(c.text), c.expected) << "text '" << utf8(c.text) << "'";
  }
  EXPECT_EQ(parseDecimal(nullptr), 0);
}

TEST(FormatNumber, SignedAndUnsignedTexts) {
  EXPECT_EQ(utf8(formatInt(-5)), "-5");
  EXPECT_EQ(utf8(formatUInt(static_cast<std::uint32_t>(-5))), "4294967291");
  EXPECT_EQ(utf8(formatInt(INT_MIN)), "-2147483648");
  EXPECT_EQ(utf8(formatUInt(0)), "0");
}

TEST(FormatNumber, EachRingHoldsEightTexts) {
  const WCHAR* ints[8];
  const WCHAR* uints[8];
  for (int i = 0; i < 8; ++i) {
    ints[i] = formatInt(-i);
    uints[i] = formatUInt(static_cast<std::uint32_t>(100 + i));
  }
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(utf8(ints[i]), std::to_string(-i)) << "int text " << i;
    EXPECT_EQ(utf8(uints[i]), std::to_string(100 + i)) << "unsigned text " << i;
  }
  // The ninth call of one function reuses the first buffer; the other ring is untouched.
  EXPECT_EQ(formatInt(77), ints[0]);
  EXPECT_EQ(utf8(ints[0]), "77");
  EXPECT_EQ(utf8(uints[0]), "100");
}

TEST_F(NodeTest, AssignKeepsOneReferenceOfItsOwn) {
  load("<PARAM NAME='Cfg' TYPE='CONFIGURATION'/>");
  IXMLDOMElement* element = root_.element();
  auto references = [&] {
    ULONG n = element->AddRef();
    element->Release();
    return n - 1;
  };
  ULONG held = references();
  root_.assign(element);  // the element it already holds
  EXPECT_EQ(references(), held);
  {
    ConfigNode other;
    other.assign(element);
    EXPECT_EQ(references(), held + 1);
  }
  EXPECT_EQ(references(), held);
  ConfigNode empty;
  EXPECT_TRUE(empty.empty());
  empty.assign(nullptr);
  EXPECT_TRUE(empty.empty());
}

TEST_F(NodeTest, AttributeReads) {
  load("<PARAM NAME='Cfg' TYPE='CONFIGURATION' EMPTY=''/>");
  EXPECT_EQ(utf8(root_.getAttrib_(WSTR("NAME"))), "Cfg");
  EXPECT_EQ(utf8(root_.getAttrib_(WSTR("EMPTY"))), "");
  EXPECT_EQ(root_.getAttrib_(WSTR("ABSENT")), nullptr);
  EXPECT_EQ(root_.getAttrib_(WSTR("name")), nullptr);  // names match exactly

  ConfigNode empty;
  EXPECT_EQ(empty.getAttrib_(WSTR("NAME")), nullptr);
  EXPECT_EQ(utf8(empty.getName()), "");
  root_.setAttrib_(WSTR("NAME"), WSTR(""));
  EXPECT_EQ(utf8(root_.getName()), "");
}

TEST_F(NodeTest, TextRingKeepsFiftyTexts) {
  std::string xml = "<PARAM";
  for (int i = 0; i < 50; ++i) xml += " A" + std::to_string(i) + "='text " + std::to_string(i) + "'";
  load(xml + "/>");
  const WCHAR* texts[50];
  for (int i = 0; i < 50; ++i) {
    texts[i] = root_.getAttrib_(T(("A" + std::to_string(i)).c_str()).c_str());
    // Reads that find nothing take no slot.
    EXPECT_EQ(root_.getAttrib_(WSTR("ABSENT")), nullptr);
  }
  for (int i = 0; i < 50; ++i) EXPECT_EQ(utf8(texts[i]), "text " + std::to_string(i)) << "slot " << i;
}

TEST_F(NodeTest, GetIdCases) {
  load("<PARAM NAME='Cfg' TYPE='CONFIGURATION'>"
       "<PARAM NAME='none'/><PARAM NAME='empty' id=''/><PARAM NAME='letters' id='abc'/>"
       "<PARAM NAME='negative' id=' -7'/><PARAM NAME='wide' id='2147483650'/>"
       "<PARAM NAME='plain' id='61000'/></PARAM>");
  struct Case {
    const char* name;
    std::int32_t id;
  };
  const Case cases[] = {{"none", -1}, {"empty", -1},   {"letters", 0},
                        {"negative", -7}, {"wide", static_cast<std::int32_t>(-2147483646)},
                        {"plain", 61000}};
  for (const Case& c : cases) {
    ConfigNode node;
    find(c.name, &node);
    EXPECT_EQ(node.getId(), c.id) << c.name;
  }
  ConfigNode empty;
  EXPECT_EQ(thrownMessage([&] { empty.getId(); }), "getId() - Node has no reference");
}

TEST_F(NodeTest, GetTypeCases) {
  const char* const texts[] = {"HIDDEN", "node", "Enum",  "OPTION",    "string",
                               "INTEGER", "check", "FRAME", "Component", "CONFIGURATION"};
  load("<PARAM NAME='Cfg' TYPE='CONFIGURATION'/>");
  for (int code = 1; code <= 10; ++code) {
    root_.setAttrib_(WSTR("TYPE"), T(texts[code - 1]).c_str());
    EXPECT_EQ(static_cast<int>(root_.getType()), code) << texts[code - 1];
  }

  struct Failure {
    const char* xml;
    const char* message;
  };
  const Failure failures[] = {
      {"<PARAM NAME='x'/>", "Node 'x' has no type"},
      {"<PARAM NAME='x' TYPE=''/>", "Node 'x' has unknown type"},
      {"<PARAM NAME='x' TYPE='CHECKS'/>", "Node 'x' has unknown type"},
      {"<PARAM TYPE=' NODE'/>", "Node '' has unknown type"},
  };
  for (const Failure& f : failures) {
    load(f.xml);
    EXPECT_EQ(thrownMessage([&] { root_.getType(); }), f.message) << f.xml;
  }
  ConfigNode empty;
  EXPECT_EQ(thrownMessage([&] { empty.getType(); }), "Node '' has no type");
}

TEST_F(NodeTest, SetAttribAddsAfterAndReplacesInPlace) {
  load("<PARAM NAME='a' TYPE='NODE'/>");
  root_.setAttrib_(WSTR("VALUE"), WSTR("1 < 2 & \"q\""));
  root_.setAttrib_(WSTR("NAME"), WSTR("b"));
  EXPECT_EQ(utf8(root_.getAttrib_(WSTR("VALUE"))), "1 < 2 & \"q\"");
  EXPECT_EQ(xmlOf(root_), "<PARAM NAME=\"b\" TYPE=\"NODE\" VALUE=\"1 &lt; 2 &amp; &quot;q&quot;\"/>");
  ConfigNode empty;
  EXPECT_EQ(thrownMessage([&] { empty.setAttrib_(WSTR("A"), WSTR("b")); }),
            "setAttrib_() - Node has no reference");
}

TEST_F(NodeTest, SetTypeByStringCases) {
  struct Case {
    const char* name;
    const WCHAR* type;
    const WCHAR* list;
    const char* xml;
  };
  const Case cases[] = {
      {"type and two entries in order", WSTR("STRING"),
       WSTR("MIMETYPE=binHex\0STRINGTYPE=PWD2\0"),
       "<PARAM NAME=\"n\" TYPE=\"STRING\" MIMETYPE=\"binHex\" STRINGTYPE=\"PWD2\"/>"},
      {"second equals sign belongs to the value", WSTR("NODE"), WSTR("K=a=b\0"),
       "<PARAM NAME=\"n\" TYPE=\"NODE\" K=\"a=b\"/>"},
      {"character code", WSTR("INTEGER"), WSTR("VALUE='#A\0MIN='#Axyz\0"),
       "<PARAM NAME=\"n\" TYPE=\"INTEGER\" VALUE=\"65\" MIN=\"65\"/>"},
      {"character code of a wide character", WSTR("INTEGER"), WSTR("VALUE='#\uFFFF\0"),
       "<PARAM NAME=\"n\" TYPE=\"INTEGER\" VALUE=\"65535\"/>"},
      {"an apostrophe alone is plain text", WSTR("INTEGER"), WSTR("VALUE='A\0"),
       "<PARAM NAME=\"n\" TYPE=\"INTEGER\" VALUE=\"'A\"/>"},
      {"empty value", WSTR("NODE"), WSTR("K=\0"), "<PARAM NAME=\"n\" TYPE=\"NODE\" K=\"\"/>"},
      {"null type keeps TYPE", nullptr, WSTR("K=v\0"), "<PARAM NAME=\"n\" TYPE=\"OLD\" K=\"v\"/>"},
      {"empty type is set", WSTR(""), nullptr, "<PARAM NAME=\"n\" TYPE=\"\"/>"},
      {"null list sets only TYPE", WSTR("CHECK"), nullptr, "<PARAM NAME=\"n\" TYPE=\"CHECK\"/>"},
      {"empty list", WSTR("CHECK"), WSTR(""), "<PARAM NAME=\"n\" TYPE=\"CHECK\"/>"},
  };
  for (const Case& c : cases) {
    load("<PARAM NAME='n' TYPE='OLD'/>");
    root_.setTypeByString(c.type, c.list);
    EXPECT_EQ(xmlOf(root_), c.xml) << c.name;
  }

  load("<PARAM NAME='n' TYPE='OLD'/>");
  EXPECT_EQ(thrownMessage([&] { root_.setTypeByString(WSTR("NODE"), WSTR("A=1\0broken\0")); }),
            "Attribute entry 'broken' of node 'n' has no '='");
  EXPECT_EQ(xmlOf(root_), "<PARAM NAME=\"n\" TYPE=\"NODE\" A=\"1\"/>");  // earlier ones stay
  ConfigNode empty;
  EXPECT_EQ(thrownMessage([&] { empty.setTypeByString(WSTR("NODE"), nullptr); }),
            "setTypeByString() - Node has no reference");
}

}  // namespace
