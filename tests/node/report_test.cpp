// Reporting: ERROR and WARNING elements in the report document's first containers.
#include "plugin/entry/report.h"

#include "node_fixture.h"
#include "support/device_capabilities.h"

#include <gtest/gtest.h>

namespace {

using namespace nodetest;

class Report : public ::testing::Test {
 protected:
  void use(const char* xml) {
    report_.load(xml);
    setDocuments(nullptr, report_.get());
  }
  void TearDown() override { setDocuments(nullptr, nullptr); }
  Document report_;
};

TEST_F(Report, AppendsInOrderToTheFirstContainer) {
  if (!domKeepsNodeIdentity())
    GTEST_SKIP() << "this DOM hands out a new wrapper for each look-up, and the look-ups are "
                    "compared as pointers";
  use("<REPORT><WARNINGS ID='first'/><ERRORS/><X><WARNINGS ID='second'/></X></REPORT>");
  reportWarning(WSTR("Unknown qrv parameter '%s'"), WSTR("a"));
  reportError(WSTR("Unknown error occurred."));
  reportWarning(WSTR("Unknown configuration parameter '%s'"), WSTR("b"));

  EXPECT_EQ(report_.texts("WARNING"),
            (std::vector<std::string>{"Unknown qrv parameter 'a'", "Unknown configuration parameter 'b'"}));
  EXPECT_EQ(report_.texts("ERROR"), std::vector<std::string>{"Unknown error occurred."});
  ComRef<IXMLDOMElement> first = findFirstElement(WSTR("WARNINGS"));
  ASSERT_NE(first.get(), nullptr);
  IXMLDOMNode* child = nullptr;
  ASSERT_EQ(first->get_firstChild(&child), S_OK);
  // The report element carries its text and nothing else.
  EXPECT_EQ(markupOf(child), "<WARNING>Unknown qrv parameter 'a'</WARNING>");
  child->Release();
  ComRef<IXMLDOMElement> second = findFirstElement(WSTR("WARNINGS"));
  EXPECT_EQ(second.get(), first.get());
}

TEST_F(Report, MissingContainerDropsOnlyThatKind) {
  struct Case {
    const char* name;
    const char* xml;
    std::size_t errors, warnings;
  };
  const Case cases[] = {
      {"no ERRORS", "<REPORT><WARNINGS/></REPORT>", 0, 1},
      {"no WARNINGS", "<REPORT><ERRORS/></REPORT>", 1, 0},
      {"neither", "<REPORT/>", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use(c.xml);
    reportError(WSTR("removeChild() Failed to get node list"));
    reportWarning(WSTR("w"));
    EXPECT_EQ(report_.texts("ERROR").size(), c.errors);
    EXPECT_EQ(report_.texts("WARNING").size(), c.warnings);
  }
}

TEST_F(Report, NoReportDocumentIsHarmless) {
  setDocuments(nullptr, nullptr);
  reportError(WSTR("x"));
  reportWarning(WSTR("%s"), WSTR("y"));
  EXPECT_EQ(findFirstElement(WSTR("ERRORS")).get(), nullptr);
}

TEST_F(Report, FindFirstElementWithoutTagOrMatch) {
  use("<REPORT><ERRORS/></REPORT>");
  EXPECT_EQ(findFirstElement(nullptr).get(), nullptr);
  EXPECT_EQ(findFirstElement(WSTR("WARNINGS")).get(), nullptr);
}

TEST_F(Report, CaughtMessageWithPercentSignsArrivesUnchanged) {
  use("<REPORT><ERRORS/><WARNINGS/></REPORT>");
  try {
    throw CVCException(WSTR("Node '%s' has no type"), WSTR("100%s %i %c"));
  } catch (const CVCException& e) {
    reportWarning(WSTR("%s"), e.getMessage());
  }
  EXPECT_EQ(report_.texts("WARNING"), std::vector<std::string>{"Node '100%s %i %c' has no type"});
}

TEST_F(Report, LongReportIsCut) {
  use("<REPORT><ERRORS/></REPORT>");
  Text longText(3000, u'y');
  reportError(WSTR("%s"), longText.c_str());
  std::vector<std::string> texts = report_.texts("ERROR");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], std::string(2047, 'y'));
}

TEST_F(Report, ConfigurationAndReportMayBeOneDocument) {
  Document both("<PARAM NAME='Cfg' TYPE='CONFIGURATION'><WARNINGS/></PARAM>");
  setDocuments(both.get(), both.get());
  reportWarning(WSTR("w"));
  EXPECT_EQ(both.texts("WARNING"), std::vector<std::string>{"w"});
}

}  // namespace
