// Owning wrappers for COM interface pointers, BSTRs and variants, as modules and their tests
// hold them on every target. None of them throws.
#pragma once

#include "platform/oleauto.h"
#include "platform/text.h"

#include <cstddef>
#include <limits>
#include <utility>

namespace com_ref_detail {
// A BSTR copy of `length` units; null when it cannot be allocated or the length is more than a
// BSTR can hold (never cut to fit).
inline BSTR copyOf(const WCHAR* text, std::size_t length) {
  if (length > std::numeric_limits<UINT>::max()) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(length));
}
}  // namespace com_ref_detail

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
  ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }

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

// A BSTR, freed when the wrapper goes: a copy of a text, or what an out-parameter received.
class BString {
 public:
  // Holds nothing yet: for an out-parameter.
  BString() = default;
  // A copy of a terminated text. Null text is the empty text.
  explicit BString(const WCHAR* text)
      : b_(SysAllocString(text ? text : WSTR(""))), failed_(!b_ && text && *text) {}
  // A copy of `length` units of text, embedded nulls included.
  BString(const WCHAR* text, std::size_t length)
      : b_(com_ref_detail::copyOf(text, length)), failed_(!b_ && length > 0) {}
  ~BString() { SysFreeString(b_); }
  BString(const BString&) = delete;
  BString& operator=(const BString&) = delete;

  BSTR get() const { return b_; }
  // Frees what is held and hands out the slot for an out-parameter.
  BSTR* out() {
    SysFreeString(b_);
    b_ = nullptr;
    failed_ = false;
    return &b_;
  }
  // The whole string as owned text; empty when nothing is held.
  Text text() const { return b_ ? Text(b_, SysStringLen(b_)) : Text(); }
  // True when the copy could not be allocated.
  bool failed() const { return failed_; }

 private:
  BSTR b_ = nullptr;
  bool failed_ = false;
};

// A variant cleared when the wrapper goes.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  // Clears what is held and hands out the variant for an out-parameter.
  VARIANT* out() {
    VariantClear(&v_);
    return &v_;
  }
  const VARIANT& get() const { return v_; }
  VARIANT* ptr() { return &v_; }

  // Makes this a string variant holding a copy of the text; false (and empty) when it cannot
  // be had. Null text is the empty text.
  bool setString(const WCHAR* text) {
    VariantClear(&v_);
    BSTR copy = SysAllocString(text ? text : WSTR(""));
    return holdString(copy, !copy && text && *text);
  }
  // As above, taking `length` units of text, embedded nulls included.
  bool setString(const WCHAR* text, std::size_t length) {
    VariantClear(&v_);
    BSTR copy = com_ref_detail::copyOf(text, length);
    return holdString(copy, !copy && length > 0);
  }

 private:
  bool holdString(BSTR copy, bool failed) {
    if (failed) return false;
    v_.vt = VT_BSTR;
    v_.bstrVal = copy;
    return true;
  }

  VARIANT v_;
};
