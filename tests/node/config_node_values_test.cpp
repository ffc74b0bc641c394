// ConfigNode: values by node type, binHex, scrambled strings and the items of choices.
#include "plugin/node/config_node.h"

#include "node_fixture.h"
#include "support/device_capabilities.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace nodetest;

std::string attr(ConfigNode& node, const WCHAR* name) { return utf8(node.getAttrib_(name)); }

bool isLowerHex(const std::string& s) {
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

TEST_F(NodeTest, StringMarksDecideTheStoredForm) {
  struct Case {
    const char* marks;   // attributes of the STRING node
    const char* text;    // UTF-8
    const char* stored;  // VALUE afterwards; null: scrambled, checked by reading back
    const char* mime;    // MIMETYPE afterwards
  };
  const Case cases[] = {
      {"MIMETYPE='binHex'", "AB", "4142", "binHex"},
      {"MIMETYPE='binHex'", "\xC3\xA9", "e9", "binHex"},
      {"MIMETYPE='binHex'", "", "", "binHex"},
      {"MIMETYPE='binHex' STRINGTYPE='PWD1'", "AB", "4142", "binHex"},
      {"STRINGTYPE='PWD1'", "AB", "AB", "<null>"},
      {"MIMETYPE='BINHEX'", "AB", "AB", "BINHEX"},
      {"STRINGTYPE='pwd2'", "AB", "AB", "<null>"},
      {"", "plain <text>", "plain <text>", "<null>"},
      {"STRINGTYPE='PWD2'", "secret", nullptr, "binHex"},
      {"MIMETYPE='binHex' STRINGTYPE='PWD2'", "\xC3\xBF\x01 x", nullptr, "binHex"},
  };
  for (const Case& c : cases) {
    std::string where = std::string(c.marks) + " '" + c.text + "'";
    load(std::string("<PARAM NAME='S' TYPE='STRING' ") + c.marks + "/>");
    root_.setValueString(T(c.text).c_str());
    std::string stored = attr(root_, WSTR("VALUE"));
    if (c.stored) {
      EXPECT_EQ(stored, c.stored) << where;
    } else {
      EXPECT_EQ(stored.size(), 2 * T(c.text).size()) << where;
      EXPECT_TRUE(isLowerHex(stored)) << where << ": " << stored;
      EXPECT_NE(stored, utf8(T(c.text).c_str())) << where;
    }
    EXPECT_EQ(attr(root_, WSTR("MIMETYPE")), c.mime) << where;
    EXPECT_EQ(utf8(root_.getString()), c.text) << where << " reads back";
  }
}

TEST_F(NodeTest, ScrambledValuesRoundTripPastTheMaskPeriod) {
  load("<PARAM NAME='S' TYPE='STRING' STRINGTYPE='PWD2'/>");
  Text text;
  for (int i = 0; i < 600; ++i) text += static_cast<WCHAR>(i % 256 == 0 ? 1 : i % 256);
  root_.setValueString(text.c_str());
  EXPECT_EQ(Text(root_.getString()), text);
  // Scrambling depends on the position: the same character stores differently.
  load("<PARAM NAME='S' TYPE='STRING' STRINGTYPE='PWD2'/>");
  root_.setValueString(WSTR("aa"));
  std::string stored = attr(root_, WSTR("VALUE"));
  EXPECT_NE(stored.substr(0, 2), stored.substr(2, 2));
}

// The error names the node, and shows the text only when it is no password (PWD1 or PWD2).
TEST_F(NodeTest, BinHexEncodingRefusesWideCharacters) {
  struct Case {
    const char* element;
    const char* error;
  };
  const Case cases[] = {
      {"<PARAM NAME='Pwd' TYPE='STRING' STRINGTYPE='PWD2' VALUE='old'/>",
       "'Pwd': Failed to convert wide-character string to ASCII for binHex encoding"},
      {"<PARAM NAME='Pwd' TYPE='STRING' MIMETYPE='binHex' STRINGTYPE='PWD1' VALUE='old'/>",
       "'Pwd': Failed to convert wide-character string to ASCII for binHex encoding"},
      {"<PARAM NAME='Page' TYPE='STRING' MIMETYPE='binHex' VALUE='old'/>",
       "'Page': Failed to convert wide-character string 'ab\xC4\x80' to ASCII for binHex "
       "encoding"},
  };
  for (const Case& c : cases) {
    report_.load("<REPORT><ERRORS/><WARNINGS/></REPORT>");
    load(c.element);
    EXPECT_EQ(thrownMessage([&] { root_.setValueString(WSTR("ab\u0100")); }),
              "Failed wide-character conversion")
        << c.element;
    EXPECT_EQ(attr(root_, WSTR("VALUE")), "old") << c.element;
    EXPECT_EQ(attr(root_, WSTR("MIMETYPE")), "binHex") << c.element;
    EXPECT_EQ(errors(), std::vector<std::string>{c.error}) << c.element;
  }
}

TEST_F(NodeTest, BinHexDecoding) {
  struct Case {
    const char* value;
    const char* result;  // the text, or the message thrown
  };
  const Case cases[] = {
      {"4A", "J"},
      {"4a", "J"},
      {"414", "A"},  // the odd last digit is never looked at
      {"41g", "A"},
      {"0041", ""},  // a decoded NUL ends the text
      {"", ""},
      {"41g2", "binHex string invalid for node 'S'; contained 'g', or 103, at position 2."},
      {"4g", "binHex string invalid for node 'S'; contained 'g', or 103, at position 1."},
      {"zg", "binHex string invalid for node 'S'; contained 'z', or 122, at position 0."},
      {"4 ", "binHex string invalid for node 'S'; contained ' ', or 32, at position 1."},
  };
  for (const Case& c : cases) {
    load(std::string("<PARAM NAME='S' TYPE='STRING' MIMETYPE='binHex' VALUE='") + c.value + "'/>");
    std::string got;
    std::string thrown = thrownMessage([&] { got = utf8(root_.getString()); });
    EXPECT_EQ(thrown == "<no exception>" ? got : thrown, c.result) << "'" << c.value << "'";
    EXPECT_EQ(attr(root_, WSTR("VALUE")), c.value) << "the document keeps its digits";
  }
}

TEST_F(NodeTest, SetValueStoresByType) {
  struct Case {
    const char* node;
    const char* operation;  // "string", "int", "uint" or "value"
    const char* input;
    const char* stored;
  };
  const Case cases[] = {
      {"TYPE='INTEGER'", "string", "not a number", "not a number"},
      {"TYPE='INTEGER'", "int", "-42", "-42"},
      {"TYPE='INTEGER'", "uint", "4294967295", "4294967295"},
      {"TYPE='HIDDEN'", "value", "any text", "any text"},
      {"TYPE='STRING' MIMETYPE='binHex'", "int", "42", "42"},  // never encoded
      {"TYPE='CHECK'", "int", "-1", "1"},
      {"TYPE='CHECK'", "int", "0", "0"},
      {"TYPE='CHECK'", "value", "", "1"},
      {"TYPE='CHECK'", "value", "2", "1"},
      {"TYPE='CHECK'", "value", "05", "0"},
      {"TYPE='CHECK'", "string", "abc", "abc"},  // the string setter stores as given
  };
  for (const Case& c : cases) {
    std::string where = std::string(c.node) + " " + c.operation + " '" + c.input + "'";
    load(std::string("<PARAM NAME='N' ") + c.node + "/>");
    std::string op = c.operation;
    Text input = T(c.input);
    if (op == "string") root_.setValueString(input.c_str());
    if (op == "value") root_.setValue(input.c_str());
    if (op == "int") root_.setValueInteger(parseDecimal(input.c_str()));
    if (op == "uint") root_.setValueInteger(static_cast<std::uint32_t>(parseDecimal(input.c_str())));
    EXPECT_EQ(attr(root_, WSTR("VALUE")), c.stored) << where;
  }
}

const char* const kChoices =
    "<PARAM NAME='Cfg' TYPE='CONFIGURATION'>"
    "<PARAM NAME='E' TYPE='ENUM' VALUE='Close'>"
    "<ENUM NAME='Close' VALUE='1'/><!-- c --><ENUM NAME='Launch QRV Config' VALUE='3'/>"
    "<ENUM NAME='Later' VALUE='3'/></PARAM>"
    "<PARAM NAME='O' TYPE='OPTION' VALUE='On'><ITEM NAME='Off' VALUE='0'/><ITEM NAME='On' VALUE='1'/></PARAM>"
    "</PARAM>";

TEST_F(NodeTest, ChoiceTakesTheNameOfTheFirstItemWithTheValue) {
  load(kChoices);
  ConfigNode e;
  find("E", &e);
  e.setValueInteger(3);
  EXPECT_EQ(attr(e, WSTR("VALUE")), "Launch QRV Config");
  EXPECT_EQ(e.getInteger(), 3);
  EXPECT_EQ(utf8(e.getString()), "Launch QRV Config");
  EXPECT_TRUE(warnings().empty());
}

TEST_F(NodeTest, ChoiceWithoutMatchingItemGetsANamelessStub) {
  if (!domWritesMarkupAsItStands())
    GTEST_SKIP() << "this DOM lays out the markup it writes, and the stub is found in it as text";
  struct Case {
    const char* node;
    const char* stub;
  };
  const Case cases[] = {{"E", "<ENUM NAME=\"\" VALUE=\"99\"/>"}, {"O", "<ITEM NAME=\"\" VALUE=\"99\"/>"}};
  for (const Case& c : cases) {
    SetUp();
    load(kChoices);
    ConfigNode node;
    find(c.node, &node);
    node.setValueInteger(99);
    EXPECT_EQ(warnings(), std::vector<std::string>{std::string("Enum/Option '") + c.node +
                                                   "' had no item with value '99'"});
    EXPECT_EQ(attr(node, WSTR("VALUE")), "");
    std::string xml = xmlOf(node);
    EXPECT_NE(xml.find(std::string(c.stub) + "</PARAM>"), std::string::npos) << xml;
    EXPECT_EQ(node.getInteger(), 99) << c.node;
  }
}

TEST_F(NodeTest, ChoiceSearchKeepsCallerTextAcrossManyItems) {
  // The value is a ring text and 60 items are looked at before the match.
  std::string xml = "<PARAM NAME='E' TYPE='ENUM' WANT='60'>";
  for (int i = 0; i <= 60; ++i) {
    xml += "<ENUM NAME='item " + std::to_string(i) + "' VALUE='" + std::to_string(i) + "'/>";
  }
  load(xml + "</PARAM>");
  const WCHAR* wanted = root_.getAttrib_(WSTR("WANT"));
  root_.setValue(wanted);
  EXPECT_EQ(attr(root_, WSTR("VALUE")), "item 60");
  EXPECT_EQ(root_.getInteger(), 60);
  EXPECT_EQ(utf8(wanted), "60");
}

TEST_F(NodeTest, GetIntegerCases) {
  struct Case {
    const char* node;
    const char* result;  // the number, or the message thrown
  };
  const Case cases[] = {
      {"<PARAM NAME='n' TYPE='INTEGER' VALUE='-3'/>", "-3"},
      {"<PARAM NAME='n' TYPE='INTEGER' VALUE='4294967295'/>", "-1"},
      {"<PARAM NAME='n' TYPE='HIDDEN' VALUE=' 12x'/>", "12"},
      {"<PARAM NAME='n' TYPE='CHECK' VALUE='00'/>", "0"},
      {"<PARAM NAME='n' TYPE='CHECK' VALUE=''/>", "1"},
      {"<PARAM NAME='n' TYPE='CHECK' VALUE='7'/>", "1"},
      {"<PARAM NAME='n' TYPE='OPTION' VALUE='b'><ITEM NAME='a' VALUE='1'/><ITEM NAME='b' VALUE='2'/></PARAM>", "2"},
      {"<PARAM NAME='n' TYPE='HIDDEN'/>", "Node 'n' has no value attribute"},
      {"<PARAM NAME='n' TYPE='INTEGER'/>", "Node 'n' has no value attribute"},
      {"<PARAM NAME='n' TYPE='CHECK'/>", "Node 'n' has no value attribute"},
      {"<PARAM NAME='n' TYPE='ENUM'/>", "Node 'n' has no value attribute"},
      {"<PARAM NAME='n' TYPE='OPTION'/>", "Node 'n' has no value attribute"},
      {"<PARAM NAME='n' TYPE='ENUM' VALUE='zzz'><ENUM NAME='a' VALUE='1'/></PARAM>",
       "Couldn't find child node of 'n' with name 'zzz'"},
      {"<PARAM NAME='n' TYPE='ENUM' VALUE='a'><ENUM NAME='a'/></PARAM>",
       "Child item of node 'n' has no value"},
      {"<PARAM NAME='n' TYPE='ENUM' VALUE='a'><X><ENUM NAME='a' VALUE='1'/></X></PARAM>",
       "Couldn't find child node of 'n' with name 'a'"},  // items are direct children
      {"<PARAM NAME='n' TYPE='STRING' VALUE='1'/>", "Node 'n' has invalid type for integer request"},
      {"<PARAM NAME='n' TYPE='NODE'/>", "Node 'n' has invalid type for integer request"},
      {"<PARAM NAME='n' TYPE='FRAME'/>", "Node 'n' has invalid type for integer request"},
      {"<PARAM NAME='n' VALUE='1'/>", "Node 'n' has no type"},
  };
  for (const Case& c : cases) {
    load(c.node);
    std::int32_t value = 0;
    std::string thrown = thrownMessage([&] { value = root_.getInteger(); });
    EXPECT_EQ(thrown == "<no exception>" ? std::to_string(value) : thrown, c.result) << c.node;
  }
}

TEST_F(NodeTest, GetStringCases) {
  struct Case {
    const char* node;
    const char* result;  // the text, or the message thrown
  };
  const Case cases[] = {
      {"<PARAM NAME='n' TYPE='HIDDEN' VALUE='h'/>", "h"},
      {"<PARAM NAME='n' TYPE='OPTION' VALUE='On'/>", "On"},
      {"<PARAM NAME='n' TYPE='STRING' VALUE='4142'/>", "4142"},
      {"<PARAM NAME='n' TYPE='HIDDEN'/>", "Enum 'n' has no value"},
      {"<PARAM NAME='n' TYPE='ENUM'/>", "Enum 'n' has no value"},
      {"<PARAM NAME='n' TYPE='OPTION'/>", "Enum 'n' has no value"},
      {"<PARAM NAME='n' TYPE='STRING' MIMETYPE='binHex'/>", "String node 'n' has no value"},
      {"<PARAM NAME='n' TYPE='INTEGER' VALUE='1'/>", "Node 'n' does not support string values"},
      {"<PARAM NAME='n' TYPE='CHECK' VALUE='1'/>", "Node 'n' does not support string values"},
      {"<PARAM NAME='n' TYPE='COMPONENT'/>", "Node 'n' does not support string values"},
      {"<PARAM NAME='n' TYPE='bogus'/>", "Node 'n' has unknown type"},
  };
  for (const Case& c : cases) {
    load(c.node);
    std::string got;
    std::string thrown = thrownMessage([&] { got = utf8(root_.getString()); });
    EXPECT_EQ(thrown == "<no exception>" ? got : thrown, c.result) << c.node;
  }
}

TEST_F(NodeTest, ValueOperationsOnAnEmptyHandle) {
  ConfigNode empty;
  struct Case {
    const char* name;
    std::function<void()> action;
    const char* message;
  };
  const Case cases[] = {
      {"setValueString", [&] { empty.setValueString(WSTR("x")); }, "setValueString() - Node has no reference"},
      {"setValueInteger", [&] { empty.setValueInteger(std::int32_t{1}); }, "setValueInteger() - Node has no reference"},
      {"setValueInteger unsigned", [&] { empty.setValueInteger(std::uint32_t{1}); }, "setValueInteger() - Node has no reference"},
      {"setValue", [&] { empty.setValue(WSTR("x")); }, "Node '' has no type"},
      {"getInteger", [&] { empty.getInteger(); }, "getInteger() - Node has no reference"},
      {"getString", [&] { empty.getString(); }, "getString() - Node has no reference"},
  };
  for (const Case& c : cases) EXPECT_EQ(thrownMessage(c.action), c.message) << c.name;
}

}  // namespace
