// Small owning wrappers for the DOM's interface pointers and strings, as the manager uses them.
#pragma once

#include "platform/text.h"
#include "platform/xmldom.h"

#include <utility>

// One counted reference, released when the wrapper goes.
template <class T>
class DomRef {
 public:
  DomRef() = default;
  explicit DomRef(T* adopted) : p_(adopted) {}
  ~DomRef() { reset(); }
  DomRef(const DomRef&) = delete;
  DomRef& operator=(const DomRef&) = delete;
  DomRef(DomRef&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  DomRef& operator=(DomRef&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** out() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

// A BSTR copy of a text, freed when the wrapper goes.
class OwnedBstr {
 public:
  OwnedBstr() = default;
  explicit OwnedBstr(const WCHAR* text) : b_(SysAllocString(text ? text : WSTR(""))) {}
  ~OwnedBstr() { SysFreeString(b_); }
  OwnedBstr(const OwnedBstr&) = delete;
  OwnedBstr& operator=(const OwnedBstr&) = delete;

  BSTR get() const { return b_; }
  BSTR* out() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  Text text() const { return b_ ? Text(b_, SysStringLen(b_)) : Text(); }

 private:
  BSTR b_ = nullptr;
};

// A string variant holding a copy of a text (as load and save take a device path).
class PathVariant {
 public:
  explicit PathVariant(const WCHAR* text) {
    VariantInit(&v_);
    v_.vt = VT_BSTR;
    v_.bstrVal = SysAllocString(text ? text : WSTR(""));
  }
  ~PathVariant() { VariantClear(&v_); }
  PathVariant(const PathVariant&) = delete;
  PathVariant& operator=(const PathVariant&) = delete;
  const VARIANT& get() const { return v_; }

 private:
  VARIANT v_;
};

// The text of an element's attribute; false when it is absent or cannot be read as text.
bool readAttribute(IXMLDOMElement* element, const WCHAR* name, Text& value);

// The element interface of a node; empty when the node is not an element.
DomRef<IXMLDOMElement> asElement(IXMLDOMNode* node);
