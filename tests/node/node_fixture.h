// Documents built from XML text for the node and reporting tests, and small helpers to read
// them back.
#pragma once

#include "plugin/entry/context.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "platform/xmldom.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nodetest {

inline std::string utf8(const WCHAR* text) { return text ? textToUtf8(text) : std::string("<null>"); }

// A document with one reference held by the holder.
class Document {
 public:
  Document() = default;
  explicit Document(const std::string& xml) { load(xml); }
  ~Document() { reset(); }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  void load(const std::string& xml) {
    reset();
    ASSERT_EQ(CreateXmlDocument(&doc_), S_OK);
    Text text = textFromUtf8(xml);
    BSTR b = SysAllocString(text.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = doc_->loadXML(b, &ok);
    SysFreeString(b);
    ASSERT_TRUE(SUCCEEDED(hr) && ok == VARIANT_TRUE) << "fixture does not parse: " << xml;
  }
  IXMLDOMDocument* get() const { return doc_; }

  // The document element, held by `node`.
  void root(ConfigNode* node) const {
    IXMLDOMElement* element = nullptr;
    ASSERT_EQ(doc_->get_documentElement(&element), S_OK);
    node->assign(element);
    element->Release();
  }

  // The text of every element with this tag name, in document order.
  std::vector<std::string> texts(const char* tag) const {
    std::vector<std::string> out;
    Text name = textFromUtf8(tag);
    BSTR b = SysAllocString(name.c_str());
    IXMLDOMNodeList* list = nullptr;
    if (doc_->getElementsByTagName(b, &list) == S_OK && list) {
      IXMLDOMNode* item = nullptr;
      while (list->nextNode(&item) == S_OK && item) {
        BSTR text = nullptr;
        item->get_text(&text);
        out.push_back(utf8(text ? text : WSTR("")));
        SysFreeString(text);
        item->Release();
      }
      list->Release();
    }
    SysFreeString(b);
    return out;
  }

 private:
  void reset() {
    if (doc_) doc_->Release();
    doc_ = nullptr;
  }
  IXMLDOMDocument* doc_ = nullptr;
};

// The markup of one node, as the DOM writes it.
inline std::string xmlOf(IXMLDOMNode* node) {
  BSTR xml = nullptr;
  if (!node || FAILED(node->get_xml(&xml))) return "<no xml>";
  std::string out = utf8(xml ? xml : WSTR(""));
  SysFreeString(xml);
  return out;
}
inline std::string xmlOf(const ConfigNode& node) { return xmlOf(node.element()); }

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
