// The tests' DOM helpers: a document loaded from XML text that fails the test when it does not
// parse, read back as UTF-8, and shortcuts for the DOM calls tests repeat, taking and giving
// std::u16string. References are held in the platform's ComRef, BString and Variant.
#pragma once

#include "platform/com_ref.h"
#include "platform/text.h"
#include "platform/xmldom.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Tests write text as std::u16string; the platform's WCHAR has the same 16-bit units (char16_t
// here, wchar_t on Windows).
inline const WCHAR* wideOf(const std::u16string& text) { return reinterpret_cast<const WCHAR*>(text.data()); }

// A BString holding a copy of a std::u16string, embedded nulls included.
inline BString bstrOf(const std::u16string& text) { return BString(wideOf(text), text.size()); }

// What a BString holds, as a std::u16string.
inline std::u16string u16Of(const BString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.get()), SysStringLen(text.get()));
}

// A string variant holding a copy of a std::u16string.
class StringVariant : public Variant {
 public:
  explicit StringVariant(const std::u16string& text) { setString(wideOf(text), text.size()); }
};

inline ComRef<IXMLDOMDocument> newDocument() {
  ComRef<IXMLDOMDocument> document;
  CreateXmlDocument(document.out());
  return document;
}

// A document holding the given XML; empty when it did not load.
inline ComRef<IXMLDOMDocument> documentFrom(const std::u16string& xml) {
  ComRef<IXMLDOMDocument> document = newDocument();
  VARIANT_BOOL ok = VARIANT_FALSE;
  BString text = bstrOf(xml);
  if (!document || document->loadXML(text.get(), &ok) != S_OK || ok != VARIANT_TRUE) document.reset();
  return document;
}

inline ComRef<IXMLDOMElement> rootOf(IXMLDOMDocument* document) {
  ComRef<IXMLDOMElement> root;
  document->get_documentElement(root.out());
  return root;
}

inline std::u16string xmlOf(IXMLDOMNode* node) {
  BString xml;
  node->get_xml(xml.out());
  return u16Of(xml);
}

inline std::u16string textOf(IXMLDOMNode* node) {
  BString text;
  node->get_text(text.out());
  return u16Of(text);
}

// The value of an attribute, or "<absent>" when getAttribute says there is none.
inline std::u16string attributeOf(IXMLDOMElement* element, const std::u16string& name) {
  BString attributeName = bstrOf(name);
  Variant value;
  HRESULT hr = element->getAttribute(attributeName.get(), value.out());
  std::u16string result = u"<absent>";
  if (hr == S_OK && value.get().vt == VT_BSTR)
    result.assign(reinterpret_cast<const char16_t*>(value.get().bstrVal), SysStringLen(value.get().bstrVal));
  return result;
}

inline HRESULT setAttributeOf(IXMLDOMElement* element, const std::u16string& name, const std::u16string& value) {
  BString attributeName = bstrOf(name);
  StringVariant text(value);
  return element->setAttribute(attributeName.get(), text.get());
}

inline ComRef<IXMLDOMElement> asElement(IXMLDOMNode* node) {
  ComRef<IXMLDOMElement> element;
  if (node != nullptr) node->QueryInterface(IID_IXMLDOMElement, element.outVoid());
  return element;
}

inline ComRef<IXMLDOMElement> createElement(IXMLDOMDocument* document, const std::u16string& name) {
  ComRef<IXMLDOMElement> element;
  BString tag = bstrOf(name);
  document->createElement(tag.get(), element.out());
  return element;
}

// One document given as UTF-8 text, whose one reference the holder releases. Each load starts
// a fresh document.
class XmlDocument {
 public:
  XmlDocument() = default;
  explicit XmlDocument(const std::string& xml) { load(xml); }
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // A text that does not parse fails the test and says why and where.
  void load(const std::string& xml) {
    doc_.reset();
    ASSERT_EQ(CreateXmlDocument(doc_.out()), S_OK);
    Text text = textFromUtf8(xml);
    BString b(text.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = doc_->loadXML(b.get(), &ok);
    if (hr == S_OK && ok == VARIANT_TRUE) return;
    ComRef<IXMLDOMParseError> error;
    BString reason;
    long line = 0, column = 0;
    if (doc_->get_parseError(error.out()) == S_OK && error) {
      error->get_reason(reason.out());
      error->get_line(&line);
      error->get_linepos(&column);
    }
    ADD_FAILURE() << "fixture does not parse (loadXML returned " << hr
                  << "): " << textToUtf8(reason.get()) << " at " << line << ":" << column << "\n"
                  << xml.substr(0, 2000);
  }

  IXMLDOMDocument* get() const { return doc_.get(); }

  // The document element, held by `node` (a ConfigNode: anything that takes an element).
  template <class Node>
  void root(Node* node) const {
    ComRef<IXMLDOMElement> element;
    ASSERT_EQ(doc_->get_documentElement(element.out()), S_OK);
    node->assign(element.get());
  }

  // The whole document as the DOM writes it.
  std::string xml() const {
    BString b;
    doc_->get_xml(b.out());
    return textToUtf8(b.get());
  }

  // The text of every element with this tag name, in document order.
  std::vector<std::string> texts(const char* tag) const {
    std::vector<std::string> out;
    Text name = textFromUtf8(tag);
    BString b(name.c_str());
    ComRef<IXMLDOMNodeList> list;
    if (doc_->getElementsByTagName(b.get(), list.out()) == S_OK && list) {
      ComRef<IXMLDOMNode> item;
      while (list->nextNode(item.out()) == S_OK && item) {
        BString text;
        item->get_text(text.out());
        out.push_back(textToUtf8(text.get()));
      }
    }
    return out;
  }

 private:
  ComRef<IXMLDOMDocument> doc_;
};
