// Tests of reading and writing XML documents: files on the device, encodings, what is refused,
// and the parse error an administrator reads.
#include "platform/xmldom.h"
#include "support/row_names.h"
#include "support/temp_device.h"
#include "support/xml_document.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LoadResult {
  bool ok = false;
  long code = 0;
  std::string reason;
  long line = 0;
  long column = 0;
  std::u16string xml;  // the document after the load
};

LoadResult inspect(IXMLDOMDocument* document, VARIANT_BOOL ok) {
  LoadResult result;
  result.ok = ok == VARIANT_TRUE;
  ComRef<IXMLDOMParseError> error;
  EXPECT_EQ(document->get_parseError(error.out()), S_OK);
  error->get_errorCode(&result.code);
  BString reason;
  error->get_reason(reason.out());
  result.reason = textToUtf8(reason.get(), SysStringLen(reason.get()));
  error->get_line(&result.line);
  error->get_linepos(&result.column);
  result.xml = xmlOf(document);
  return result;
}

LoadResult loadText(const std::u16string& xml) {
  auto document = newDocument();
  BString text = bstrOf(xml);
  VARIANT_BOOL ok = VARIANT_FALSE;
  document->loadXML(text.get(), &ok);
  return inspect(document.get(), ok);
}

LoadResult loadFile(const TempDevice& device, const std::string& bytes) {
  device.writeFile("Temp/in.xml", bytes);
  auto document = newDocument();
  StringVariant path(u"\\Temp\\in.xml");
  VARIANT_BOOL ok = VARIANT_FALSE;
  document->load(path.get(), &ok);
  return inspect(document.get(), ok);
}

std::string utf16le(const std::u16string& text, bool bom) {
  std::string bytes = bom ? std::string("\xFF\xFE", 2) : std::string();
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::string utf16be(const std::u16string& text) {
  std::string bytes("\xFE\xFF", 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit >> 8));
    bytes.push_back(static_cast<char>(unit & 0xFF));
  }
  return bytes;
}

std::string nested(int depth) {
  std::string xml;
  for (int i = 0; i < depth; ++i) xml += "<L>";
  for (int i = 0; i < depth; ++i) xml += "</L>";
  return xml;
}

struct MalformedCase {
  const char* name;
  std::u16string xml;
  const char* reasonStart;
  long line;
};
const MalformedCase kMalformedCases[] = {
    {"mismatched end tag", u"<A>\n  <B>\n  </C>\n</A>", "mismatched end tag at line 3", 3},
    {"truncated", u"<A>\n<B NAME=\"x\">", "an element is not closed", 2},
    {"empty", u"", "the document is empty", 1},
    {"two roots", u"<A/>\n<B/>", "extra content after the document element", 2},
    {"duplicate attribute", u"<A x=\"1\" x=\"2\"/>", "an attribute appears twice", 1},
    {"undefined entity", u"<A>&nbsp;</A>", "an undefined entity reference", 1},
    {"bare ampersand", u"<A>fish & chips</A>", "a name is missing", 1},
    {"unquoted attribute", u"<A x=1/>", "a malformed attribute", 1},
};

class DomLoadRows : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(DomLoadRows, MalformedInputSaysWhatAndWhere) {
  const MalformedCase& c = GetParam();
  LoadResult result = loadText(c.xml);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.code, 0);
  EXPECT_EQ(result.reason.rfind(c.reasonStart, 0), 0u) << result.reason;
  EXPECT_EQ(result.line, c.line) << result.reason;
  EXPECT_EQ(result.xml, u"") << "a failed load leaves the document empty";
}

INSTANTIATE_TEST_SUITE_P(, DomLoadRows, ::testing::ValuesIn(kMalformedCases),
                         RowsNamedBy<&MalformedCase::name>());

TEST(DomLoad, AFailedLoadEmptiesTheDocumentAndASuccessClearsTheError) {
  auto document = documentFrom(u"<OLD/>");
  ASSERT_TRUE(document);
  BString broken = bstrOf(u"<A>");
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(document->loadXML(broken.get(), &ok), S_FALSE);
  EXPECT_EQ(ok, VARIANT_FALSE);
  ComRef<IXMLDOMElement> root;
  EXPECT_EQ(document->get_documentElement(root.out()), S_FALSE);
  EXPECT_EQ(root.get(), nullptr);
  BString good = bstrOf(u"<NEW/>");
  ASSERT_EQ(document->loadXML(good.get(), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  LoadResult after = inspect(document.get(), ok);
  EXPECT_EQ(after.code, 0);
  EXPECT_EQ(after.xml, u"<NEW/>");
}

TEST(DomLoad, DropsBlankTextAndKeepsCommentsAndInstructions) {
  LoadResult result = loadText(
      u"<?xml version=\"1.0\"?>\n<!-- head -->\n<A>\n  <B> keep  me </B>\n  <?tool run?>\n  <C>\t</C>\n</A>\n");
  ASSERT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(result.xml, u"<!-- head -->\n<A><B> keep  me </B><?tool run?><C/></A>");
}

TEST(DomLoad, RefusesDoctypesBeforeAnyEntityIsUsed) {
  struct Case {
    const char* name;
    std::u16string xml;
  } cases[] = {
      {"internal subset",
       u"<!DOCTYPE A [<!ELEMENT A (#PCDATA)>]><A/>"},
      {"external entity",
       u"<!DOCTYPE A [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><A>&x;</A>"},
      {"external DTD", u"<!DOCTYPE A SYSTEM \"http://example.invalid/a.dtd\"><A/>"},
      {"billion laughs",
       u"<!DOCTYPE lolz [<!ENTITY lol \"lol\">"
       u"<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
       u"<!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">"
       u"<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
       u"<!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">"
       u"<!ENTITY lol5 \"&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;\">"
       u"<!ENTITY lol6 \"&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;\">"
       u"<!ENTITY lol7 \"&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;\">"
       u"<!ENTITY lol8 \"&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;\">"
       u"<!ENTITY lol9 \"&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;\">"
       u"]><lolz>&lol9;</lolz>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadResult result = loadText(c.xml);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.reason.find("DOCTYPE"), std::string::npos) << result.reason;
    EXPECT_EQ(result.line, 1);
    EXPECT_EQ(result.xml, u"");
  }
}

TEST(DomLoad, NestingLimit) {
  const std::string limit = nested(kXmlMaxDepth);
  auto deepest = documentFrom(std::u16string(limit.begin(), limit.end()));
  EXPECT_TRUE(deepest) << "exactly the limit is accepted";
  const std::string tooDeep = nested(kXmlMaxDepth + 1);
  LoadResult result = loadText(std::u16string(tooDeep.begin(), tooDeep.end()));
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.reason.find("nested deeper than 256"), std::string::npos) << result.reason;
  // Far deeper input fails the same way, without exhausting anything.
  const std::string hostile = nested(100000);
  EXPECT_FALSE(loadText(std::u16string(hostile.begin(), hostile.end())).ok);
}

TEST(DomFile, WhatIsLongerThanTheParserAllowsIsNamed) {
  TempDevice device;
  const std::string tenMillion(10000001, 'a');
  const std::string sixMillion(6000000, 'a');
  struct Case {
    const char* name;
    std::string xml;
    const char* reasonStart;
  } cases[] = {
      {"an attribute value", "<A v=\"" + tenMillion + "\"/>",
       "an attribute value is longer than the 10000000 bytes the parser allows at line 1"},
      {"the attributes of one element", "<A v=\"" + sixMillion + "\" w=\"" + sixMillion + "\"/>",
       "the attributes of one element take more than the 10000000 bytes the parser allows"},
      {"an attribute value with a reference", "<A v=\"&amp;" + tenMillion + "\"/>",
       "the attributes of one element take more than the 10000000 bytes the parser allows"},
      {"a name", "<A" + std::string(50001, 'b') + "/>",
       "a name is longer than the 50000 characters the parser allows at line 1"},
      {"a comment", "<A><!--" + tenMillion + "--></A>",
       "a comment is longer than the 10000000 bytes the parser allows at line 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadResult result = loadFile(device, c.xml);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.code, 0);
    EXPECT_EQ(result.reason.rfind(c.reasonStart, 0), 0u) << result.reason;
  }
}

TEST(DomLoad, ReferencesResolveInAttributesAndText) {
  auto document = documentFrom(u"<A V=\"&amp;&lt;&gt;&quot;&apos;&#65;&#x42;&#38;amp;\">&amp;&#67;&#x1F600;</A>");
  ASSERT_TRUE(document);
  auto root = rootOf(document.get());
  EXPECT_EQ(attributeOf(root.get(), u"V"), u"&<>\"'AB&amp;");
  EXPECT_EQ(textOf(root.get()), u"&C\U0001F600");
}

TEST(DomLoad, AStringWithABrokenSurrogateIsRefused) {
  LoadResult result = loadText(std::u16string(u"<A>") + char16_t(0xDC00) + u"</A>");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.reason.find("surrogate"), std::string::npos) << result.reason;
}

TEST(DomLoad, TextIgnoresTheEncodingItsDeclarationNames) {
  LoadResult result = loadText(u"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><A V=\"é€\"/>");
  ASSERT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(result.xml, u"<A V=\"é€\"/>");
}

TEST(DomFile, ReadsEachEncodingAFileMayUse) {
  TempDevice device;
  const std::u16string text = u"<A V=\"é€\U0001F600\">ü</A>";
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"UTF-8", textToUtf8(reinterpret_cast<const WCHAR*>(text.c_str()))},
      {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + textToUtf8(reinterpret_cast<const WCHAR*>(text.c_str()))},
      {"UTF-16LE with byte-order mark", utf16le(text, true)},
      {"UTF-16BE with byte-order mark", utf16be(text)},
      {"UTF-16LE with declaration and mark",
       utf16le(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n" + text, true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadResult result = loadFile(device, c.bytes);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(result.xml, text);
  }
  LoadResult latin = loadFile(device, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><A V=\"\xE9\"/>");
  ASSERT_TRUE(latin.ok) << latin.reason;
  EXPECT_EQ(latin.xml, u"<A V=\"é\"/>");
}

TEST(DomFile, BadBytesAndUnknownEncodingsGiveAClearError) {
  TempDevice device;
  LoadResult unknown = loadFile(device, "<?xml version=\"1.0\" encoding=\"x-no-such-code\"?>\n<A/>");
  EXPECT_FALSE(unknown.ok);
  EXPECT_EQ(unknown.reason.rfind("unknown or unsupported encoding at line 1", 0), 0u) << unknown.reason;
  EXPECT_NE(unknown.reason.find("x-no-such-code"), std::string::npos) << unknown.reason;

  LoadResult broken = loadFile(device, "<A>\n\xC3\x28</A>");
  EXPECT_FALSE(broken.ok);
  EXPECT_EQ(broken.line, 2) << broken.reason;
  EXPECT_EQ(broken.xml, u"");
}

TEST(DomFile, MissingFileAndPathsOffTheDeviceFail) {
  TempDevice device;
  auto document = newDocument();
  struct Case {
    const char* name;
    std::u16string path;
  } cases[] = {
      {"missing", u"\\Temp\\none.xml"},
      {"above the device", u"\\..\\..\\etc\\hostname"},
      {"a folder", u"\\Temp"},
  };
  device.writeFile("Temp/keep", "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StringVariant path(c.path);
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(document->load(path.get(), &ok), S_FALSE);
    LoadResult result = inspect(document.get(), ok);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.code, 0);
    EXPECT_FALSE(result.reason.empty());
  }
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(document->load(number, &ok), S_FALSE);
  EXPECT_EQ(ok, VARIANT_FALSE);
}

TEST(DomFile, SaveWritesUtf8WithDeclarationIndentedInSetOrder) {
  TempDevice device;
  device.writeFile("Temp/other", "");
  auto document = newDocument();
  BString source = bstrOf(
      u"<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\"><!-- c --><PARAM NAME=\"x\"><MIN>0</MIN>"
      u"<ITEM NAME=\"\" VALUE=\"1\"/></PARAM><T>a<b>mixed</b> text</T></PARAM>");
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(document->loadXML(source.get(), &ok), S_OK);
  auto root = rootOf(document.get());
  ASSERT_EQ(setAttributeOf(root.get(), u"VERSION", u"2.0 \"q\" <&> tab\there\nline"), S_OK);
  ASSERT_EQ(setAttributeOf(root.get(), u"NAME", u"Gerät"), S_OK);

  StringVariant path(u"\\Temp\\out.xml");
  ASSERT_EQ(document->save(path.get()), S_OK);
  EXPECT_EQ(device.readFile("Temp/out.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<PARAM NAME=\"Gerät\" TYPE=\"CONFIGURATION\" "
            "VERSION=\"2.0 &quot;q&quot; &lt;&amp;&gt; tab&#9;here&#10;line\">\n"
            "  <!-- c -->\n"
            "  <PARAM NAME=\"x\">\n"
            "    <MIN>0</MIN>\n"
            "    <ITEM NAME=\"\" VALUE=\"1\"/>\n"
            "  </PARAM>\n"
            "  <T>a<b>mixed</b> text</T>\n"
            "</PARAM>\n");

  // Reading it back gives the same tree and the same attribute values.
  auto reread = newDocument();
  ASSERT_EQ(reread->load(path.get(), &ok), S_OK);
  EXPECT_EQ(xmlOf(reread.get()), xmlOf(document.get()));
  EXPECT_EQ(attributeOf(rootOf(reread.get()).get(), u"VERSION"), u"2.0 \"q\" <&> tab\there\nline");
}

TEST(DomFile, TextOutsideTheBasicPlaneSurvivesSaveAndLoad) {
  TempDevice device;
  const std::u16string wide = u"\U0001F600 \U00010348 mixed é";
  auto document = newDocument();
  auto root = createElement(document.get(), u"A");
  ASSERT_EQ(document->appendChild(root.get(), nullptr), S_OK);
  ASSERT_EQ(setAttributeOf(root.get(), u"V", wide), S_OK);
  BString text = bstrOf(wide);
  ASSERT_EQ(root->put_text(text.get()), S_OK);
  StringVariant path(u"\\wide.xml");
  ASSERT_EQ(document->save(path.get()), S_OK);
  // Four-byte UTF-8 sequences on disk, not character references or replacement characters.
  EXPECT_NE(device.readFile("wide.xml").find("\xF0\x9F\x98\x80"), std::string::npos);

  auto reread = newDocument();
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(reread->load(path.get(), &ok), S_OK);
  auto again = rootOf(reread.get());
  EXPECT_EQ(attributeOf(again.get(), u"V"), wide);
  EXPECT_EQ(textOf(again.get()), wide);
}

TEST(DomFile, AFailedSaveKeepsTheFileThatWasThere) {
  TempDevice device;
  device.writeFile("Temp/keep.xml", "<OLD/>");
  auto document = documentFrom(u"<NEW/>");
  StringVariant intoMissingFolder(u"\\NoSuchFolder\\x.xml");
  EXPECT_TRUE(FAILED(document->save(intoMissingFolder.get())));
  StringVariant outside(u"\\..\\escape.xml");
  EXPECT_TRUE(FAILED(document->save(outside.get())));
  StringVariant ontoFolder(u"\\Temp");
  EXPECT_TRUE(FAILED(document->save(ontoFolder.get())));
  EXPECT_EQ(device.readFile("Temp/keep.xml"), "<OLD/>");
  StringVariant keep(u"\\temp\\KEEP.xml");
  ASSERT_EQ(document->save(keep.get()), S_OK);
  EXPECT_EQ(device.readFile("Temp/keep.xml"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<NEW/>\n");
}

}  // namespace
