// The node and reporting tests' fixture: a configuration and a report document set as the
// module's context, and small helpers to read them back. Test files use the namespace whole.
#pragma once

#include "plugin/entry/context.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "platform/xmldom.h"
#include "support/xml_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nodetest {

inline std::string utf8(const WCHAR* text) { return text ? textToUtf8(text) : std::string("<null>"); }

using Document = XmlDocument;

// The markup of one node, as the DOM writes it, in UTF-8.
inline std::string markupOf(IXMLDOMNode* node) {
  BString xml;
  if (!node || FAILED(node->get_xml(xml.out()))) return "<no xml>";
  return utf8(xml.get() ? xml.get() : WSTR(""));
}
inline std::string xmlOf(const ConfigNode& node) { return markupOf(node.element()); }

// The message of the CVCException that `action` throws, or a marker when it throws none.
template <class Action>
std::string thrownMessage(Action action) {
  try {
    action();
  } catch (const CVCException& e) {
    return utf8(e.getMessage());
  }
  return "<no exception>";
}

// A configuration document and a separate report document with both containers, set as the
// module-wide context for each test.
class NodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    report_.load("<REPORT><ERRORS/><WARNINGS/></REPORT>");
  }
  void TearDown() override { setDocuments(nullptr, nullptr); }

  // Loads the configuration document and puts its document element in root_.
  void load(const std::string& xml) {
    config_.load(xml);
    setDocuments(config_.get(), report_.get());
    config_.root(&root_);
  }
  // The element with this NAME anywhere below the root.
  void find(const char* name, ConfigNode* out) {
    Text wanted = textFromUtf8(name);
    root_.getChildByName(wanted.c_str(), true, out);
  }
  std::vector<std::string> errors() const { return report_.texts("ERROR"); }
  std::vector<std::string> warnings() const { return report_.texts("WARNING"); }

  Document config_;
  Document report_;
  ConfigNode root_;
};

inline Text T(const char* utf8Text) { return textFromUtf8(utf8Text); }

}  // namespace nodetest
