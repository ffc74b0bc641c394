// AttributeText: the attribute read that the node operations, the walker and the document
// checks share, on the platform's owning wrappers. It never throws.
#pragma once

#include "platform/com_ref.h"
#include "platform/text.h"
#include "platform/xmldom.h"

#include <cstddef>

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
