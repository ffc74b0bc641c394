// Owning wrappers for COM interface pointers, BSTRs and variants, and the attribute read that
// the node operations share. None of them throws.
#pragma once

#include "platform/text.h"
#include "platform/xmldom.h"

#include <cstddef>

// One counted reference to an interface, released when the wrapper goes.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  // Adopts a reference that the caller already holds.
  explicit ComRef(T* adopted) : p_(adopted) {}
  ~ComRef() { reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Releases what is held and hands out the slot for an out-parameter.
  T** out() {
    reset();
    return &p_;
  }
  void** outVoid() { return reinterpret_cast<void**>(out()); }

  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

// A BSTR copy of a text, freed when the wrapper goes. Null text is the empty text.
class BString {
 public:
  explicit BString(const WCHAR* text)
      : b_(SysAllocString(text ? text : WSTR(""))), failed_(!b_ && text && *text) {}
  BString(const WCHAR* text, std::size_t length)
      : b_(SysAllocStringLen(text, static_cast<UINT>(length))), failed_(!b_ && length > 0) {}
  ~BString() { SysFreeString(b_); }
  BString(const BString&) = delete;
  BString& operator=(const BString&) = delete;

  BSTR get() const { return b_; }
  // True when the copy could not be allocated.
  bool failed() const { return failed_; }

 private:
  BSTR b_;
  bool failed_;
};

// A variant cleared when the wrapper goes.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT* out() {
    VariantClear(&v_);
    return &v_;
  }
  const VARIANT& get() const { return v_; }
  VARIANT* ptr() { return &v_; }

  // Makes this a string variant holding a copy of the text; false when it cannot be had.
  bool setString(const WCHAR* text) {
    VariantClear(&v_);
    BSTR copy = SysAllocString(text ? text : WSTR(""));
    if (!copy && text && *text) return false;
    v_.vt = VT_BSTR;
    v_.bstrVal = copy;
    return true;
  }

 private:
  VARIANT v_;
};

// The text of one attribute of an element, read straight from the element so that no
// module-wide ring text is taken.
class AttributeText {
 public:
  AttributeText(IXMLDOMElement* element, const WCHAR* name) {
    if (!element) return;
    BString bname(name);
    if (bname.failed()) return;
    status_ = element->getAttribute(bname.get(), value_.out());
    if (FAILED(status_) || status_ == S_FALSE) return;
    VARTYPE vt = value_.get().vt;
    if (vt == VT_NULL || vt == VT_EMPTY) return;
    if (vt != VT_BSTR) {
      VARIANT* v = value_.ptr();
      if (FAILED(VariantChangeType(v, v, 0, VT_BSTR))) return;
    }
    present_ = true;
  }

  // False when the read itself failed (as opposed to an absent attribute).
  bool readOk() const { return SUCCEEDED(status_); }
  bool present() const { return present_; }
  // The text (not necessarily terminated at length: use length()); "" when absent.
  const WCHAR* data() const {
    return present_ && value_.get().bstrVal ? value_.get().bstrVal : WSTR("");
  }
  std::size_t length() const {
    return present_ && value_.get().bstrVal ? SysStringLen(value_.get().bstrVal) : 0;
  }
  // Present and exactly this text: same length, same code units, letter case included.
  bool equals(const WCHAR* text) const {
    if (!present_) return false;
    std::size_t n = textLength(text);
    if (n != length()) return false;
    const WCHAR* mine = data();
    for (std::size_t i = 0; i < n; ++i) {
      if (mine[i] != text[i]) return false;
    }
    return true;
  }

 private:
  Variant value_;
  HRESULT status_ = E_POINTER;
  bool present_ = false;
};
