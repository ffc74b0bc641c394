// A DOM document for tests, loaded from XML text, with its document element, its markup and
// the texts of its elements read back.
#pragma once

#include "platform/text.h"
#include "platform/xmldom.h"
#include "plugin/node/config_node.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// One document, whose one reference the holder releases. Each load starts a fresh document.
class XmlDocument {
 public:
  XmlDocument() = default;
  explicit XmlDocument(const std::string& xml) { load(xml); }
  ~XmlDocument() { reset(); }
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // A text that does not parse fails the test and says why and where.
  void load(const std::string& xml) {
    reset();
    ASSERT_EQ(CreateXmlDocument(&doc_), S_OK);
    Text text = textFromUtf8(xml);
    BSTR b = SysAllocString(text.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = doc_->loadXML(b, &ok);
    SysFreeString(b);
    if (hr == S_OK && ok == VARIANT_TRUE) return;
    IXMLDOMParseError* error = nullptr;
    BSTR reason = nullptr;
    long line = 0, column = 0;
    if (doc_->get_parseError(&error) == S_OK && error) {
      error->get_reason(&reason);
      error->get_line(&line);
      error->get_linepos(&column);
      error->Release();
    }
    ADD_FAILURE() << "fixture does not parse (loadXML returned " << hr
                  << "): " << textToUtf8(reason) << " at " << line << ":" << column << "\n"
                  << xml.substr(0, 2000);
    SysFreeString(reason);
  }

  IXMLDOMDocument* get() const { return doc_; }

  // The document element, held by `node`.
  void root(ConfigNode* node) const {
    IXMLDOMElement* element = nullptr;
    ASSERT_EQ(doc_->get_documentElement(&element), S_OK);
    node->assign(element);
    element->Release();
  }

  // The whole document as the DOM writes it.
  std::string xml() const {
    BSTR b = nullptr;
    doc_->get_xml(&b);
    std::string out = textToUtf8(b);
    SysFreeString(b);
    return out;
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
        out.push_back(textToUtf8(text));
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
