// The platform's owning COM wrappers taking the tests' std::u16string, and shortcuts for the
// XML DOM calls tests repeat.
#pragma once

#include "platform/com_ref.h"
#include "platform/xmldom.h"

#include <string>

// Tests write text as std::u16string; the platform's WCHAR has the same 16-bit units (char16_t
// here, wchar_t on Windows).
inline const WCHAR* wideOf(const std::u16string& text) { return reinterpret_cast<const WCHAR*>(text.data()); }

// A BString made from, and read back as, a std::u16string.
class Bstr : public BString {
 public:
  Bstr() = default;
  explicit Bstr(const std::u16string& text) : BString(wideOf(text), text.size()) {}
  std::u16string str() const { return std::u16string(reinterpret_cast<const char16_t*>(get()), SysStringLen(get())); }
};

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
  Bstr text(xml);
  if (!document || document->loadXML(text.get(), &ok) != S_OK || ok != VARIANT_TRUE) document.reset();
  return document;
}

inline ComRef<IXMLDOMElement> rootOf(IXMLDOMDocument* document) {
  ComRef<IXMLDOMElement> root;
  document->get_documentElement(root.out());
  return root;
}

inline std::u16string xmlOf(IXMLDOMNode* node) {
  Bstr xml;
  node->get_xml(xml.out());
  return xml.str();
}

inline std::u16string textOf(IXMLDOMNode* node) {
  Bstr text;
  node->get_text(text.out());
  return text.str();
}

// The value of an attribute, or "<absent>" when getAttribute says there is none.
inline std::u16string attributeOf(IXMLDOMElement* element, const std::u16string& name) {
  Bstr attributeName(name);
  Variant value;
  HRESULT hr = element->getAttribute(attributeName.get(), value.out());
  std::u16string result = u"<absent>";
  if (hr == S_OK && value.get().vt == VT_BSTR)
    result.assign(reinterpret_cast<const char16_t*>(value.get().bstrVal), SysStringLen(value.get().bstrVal));
  return result;
}

inline HRESULT setAttributeOf(IXMLDOMElement* element, const std::u16string& name, const std::u16string& value) {
  Bstr attributeName(name);
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
  Bstr tag(name);
  document->createElement(tag.get(), element.out());
  return element;
}
