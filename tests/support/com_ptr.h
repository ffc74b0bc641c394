// Small owners for tests of COM-shaped code: an interface pointer released at scope end, a BSTR
// freed at scope end, and shortcuts for the XML DOM calls tests repeat.
#pragma once

#include "platform/xmldom.h"

#include <string>
#include <utility>

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* p) : p_(p) {}
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // The address to receive a new pointer; drops what was held.
  T** put() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::u16string& text)
      : b_(SysAllocStringLen(reinterpret_cast<const WCHAR*>(text.data()), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return b_; }
  BSTR* put() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  std::u16string str() const { return std::u16string(reinterpret_cast<const char16_t*>(b_), SysStringLen(b_)); }

 private:
  BSTR b_ = nullptr;
};

// A string variant owning its BSTR.
class StringVariant {
 public:
  explicit StringVariant(const std::u16string& text) {
    VariantInit(&v_);
    v_.vt = VT_BSTR;
    v_.bstrVal = SysAllocStringLen(reinterpret_cast<const WCHAR*>(text.data()), static_cast<UINT>(text.size()));
  }
  ~StringVariant() { VariantClear(&v_); }
  StringVariant(const StringVariant&) = delete;
  StringVariant& operator=(const StringVariant&) = delete;
  const VARIANT& get() const { return v_; }

 private:
  VARIANT v_;
};

inline ComPtr<IXMLDOMDocument> newDocument() {
  ComPtr<IXMLDOMDocument> document;
  CreateXmlDocument(document.put());
  return document;
}

// A document holding the given XML; empty when it did not load.
inline ComPtr<IXMLDOMDocument> documentFrom(const std::u16string& xml) {
  ComPtr<IXMLDOMDocument> document = newDocument();
  VARIANT_BOOL ok = VARIANT_FALSE;
  Bstr text(xml);
  if (!document || document->loadXML(text.get(), &ok) != S_OK || ok != VARIANT_TRUE) document.reset();
  return document;
}

inline ComPtr<IXMLDOMElement> rootOf(IXMLDOMDocument* document) {
  ComPtr<IXMLDOMElement> root;
  document->get_documentElement(root.put());
  return root;
}

inline std::u16string xmlOf(IXMLDOMNode* node) {
  Bstr xml;
  node->get_xml(xml.put());
  return xml.str();
}

inline std::u16string textOf(IXMLDOMNode* node) {
  Bstr text;
  node->get_text(text.put());
  return text.str();
}

// The value of an attribute, or "<absent>" when getAttribute says there is none.
inline std::u16string attributeOf(IXMLDOMElement* element, const std::u16string& name) {
  Bstr attributeName(name);
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = element->getAttribute(attributeName.get(), &value);
  std::u16string result = u"<absent>";
  if (hr == S_OK && value.vt == VT_BSTR)
    result.assign(reinterpret_cast<const char16_t*>(value.bstrVal), SysStringLen(value.bstrVal));
  VariantClear(&value);
  return result;
}

inline HRESULT setAttributeOf(IXMLDOMElement* element, const std::u16string& name, const std::u16string& value) {
  Bstr attributeName(name);
  StringVariant text(value);
  return element->setAttribute(attributeName.get(), text.get());
}

inline ComPtr<IXMLDOMElement> asElement(IXMLDOMNode* node) {
  ComPtr<IXMLDOMElement> element;
  if (node != nullptr) node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.put()));
  return element;
}

inline ComPtr<IXMLDOMElement> createElement(IXMLDOMDocument* document, const std::u16string& name) {
  ComPtr<IXMLDOMElement> element;
  Bstr tag(name);
  document->createElement(tag.get(), element.put());
  return element;
}
