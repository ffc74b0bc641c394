// OLE Automation strings (BSTR) and variants for POSIX, as the XML DOM exchanges them.
#include "platform/oleauto.h"
#include "platform/xmldom.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Results the platform gives for conversions it cannot make.
constexpr HRESULT kDispOverflow = static_cast<HRESULT>(0x8002000A);
constexpr HRESULT kDispBadVarType = static_cast<HRESULT>(0x80020008);

// A BSTR points just past a 4-byte prefix holding its length in bytes; the text is followed by
// one terminating code unit that the length does not count.
constexpr std::size_t kPrefix = sizeof(std::uint32_t);
constexpr std::size_t kMaxUnits = (UINT32_MAX - kPrefix - sizeof(WCHAR)) / sizeof(WCHAR);

std::uint32_t storedByteLength(BSTR text) {
  std::uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const char*>(text) - kPrefix, kPrefix);
  return bytes;
}

bool isSpace(WCHAR c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Decimal text to a signed 32-bit number: blanks around it and one sign accepted, nothing else.
HRESULT parseLong(const WCHAR* text, LONG& out) {
  if (text == nullptr) return DISP_E_TYPEMISMATCH;
  const WCHAR* p = text;
  while (isSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  if (*p < '0' || *p > '9') return DISP_E_TYPEMISMATCH;
  long long value = 0;
  bool overflow = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > static_cast<long long>(INT32_MAX) + 1) {
      overflow = true;
      value = static_cast<long long>(INT32_MAX) + 1;
    }
  }
  while (isSpace(*p)) ++p;
  if (*p != 0) return DISP_E_TYPEMISMATCH;
  if (negative) value = -value;
  if (overflow || value > INT32_MAX || value < INT32_MIN) return kDispOverflow;
  out = static_cast<LONG>(value);
  return S_OK;
}

BSTR allocDecimal(long long value) {
  std::string digits = std::to_string(value);
  WCHAR buffer[24] = {};
  for (std::size_t i = 0; i < digits.size() && i + 1 < sizeof buffer / sizeof buffer[0]; ++i)
    buffer[i] = static_cast<WCHAR>(digits[i]);
  return SysAllocString(buffer);
}

}  // namespace

BSTR SysAllocStringLen(const WCHAR* text, UINT length) {
  if (length > kMaxUnits) return nullptr;
  const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(WCHAR);
  char* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(WCHAR)));
  if (block == nullptr) return nullptr;
  const std::uint32_t stored = static_cast<std::uint32_t>(bytes);
  std::memcpy(block, &stored, kPrefix);
  BSTR result = reinterpret_cast<BSTR>(block + kPrefix);
  if (text != nullptr)
    std::memcpy(result, text, bytes);
  else
    std::memset(result, 0, bytes);
  result[length] = 0;
  return result;
}

BSTR SysAllocString(const WCHAR* text) {
  if (text == nullptr) return nullptr;
  const std::size_t length = textLength(text);
  if (length > kMaxUnits) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(length));
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(reinterpret_cast<char*>(text) - kPrefix);
}

UINT SysStringLen(BSTR text) { return text == nullptr ? 0 : storedByteLength(text) / sizeof(WCHAR); }

UINT SysStringByteLen(BSTR text) { return text == nullptr ? 0 : storedByteLength(text); }

void VariantInit(VARIANTARG* v) {
  if (v == nullptr) return;
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* v) {
  if (v == nullptr) return E_INVALIDARG;
  switch (v->vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I4:
    case VT_UI4:
    case VT_BOOL:
      break;
    case VT_BSTR:
      SysFreeString(v->bstrVal);
      break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (v->punkVal != nullptr) v->punkVal->Release();
      break;
    default:
      return kDispBadVarType;
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dst, const VARIANTARG* src) {
  if (dst == nullptr || src == nullptr) return E_INVALIDARG;
  if (dst == src) return S_OK;
  VARIANT copy;
  VariantInit(&copy);
  switch (src->vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I4:
    case VT_UI4:
    case VT_BOOL:
      copy = *src;
      break;
    case VT_BSTR:
      copy.vt = VT_BSTR;
      if (src->bstrVal != nullptr) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
      }
      break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      copy.vt = src->vt;
      copy.punkVal = src->punkVal;
      if (copy.punkVal != nullptr) copy.punkVal->AddRef();
      break;
    default:
      return kDispBadVarType;
  }
  HRESULT cleared = VariantClear(dst);
  if (FAILED(cleared)) {
    VariantClear(&copy);
    return cleared;
  }
  *dst = copy;
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dst, const VARIANTARG* src, USHORT /*flags*/, VARTYPE vt) {
  if (dst == nullptr || src == nullptr) return E_INVALIDARG;
  if (vt == src->vt) return dst == src ? S_OK : VariantCopy(dst, src);

  // The result is built aside first, so that dst may be src and a failure leaves dst untouched.
  VARIANT result;
  VariantInit(&result);
  switch (vt) {
    case VT_BSTR: {
      result.vt = VT_BSTR;
      switch (src->vt) {
        case VT_EMPTY: result.bstrVal = SysAllocString(WSTR("")); break;
        case VT_I4: result.bstrVal = allocDecimal(src->lVal); break;
        case VT_UI4: result.bstrVal = allocDecimal(src->ulVal); break;
        case VT_BOOL: result.bstrVal = allocDecimal(src->boolVal ? -1 : 0); break;
        default: return DISP_E_TYPEMISMATCH;
      }
      if (result.bstrVal == nullptr) return E_OUTOFMEMORY;
      break;
    }
    case VT_I4: {
      result.vt = VT_I4;
      switch (src->vt) {
        case VT_EMPTY: result.lVal = 0; break;
        case VT_UI4:
          if (src->ulVal > static_cast<ULONG>(INT32_MAX)) return kDispOverflow;
          result.lVal = static_cast<LONG>(src->ulVal);
          break;
        case VT_BOOL: result.lVal = src->boolVal ? -1 : 0; break;
        case VT_BSTR: {
          HRESULT parsed = parseLong(src->bstrVal, result.lVal);
          if (FAILED(parsed)) return parsed;
          break;
        }
        default: return DISP_E_TYPEMISMATCH;
      }
      break;
    }
    case VT_BOOL: {
      result.vt = VT_BOOL;
      switch (src->vt) {
        case VT_EMPTY: result.boolVal = VARIANT_FALSE; break;
        case VT_I4: result.boolVal = src->lVal != 0 ? VARIANT_TRUE : VARIANT_FALSE; break;
        case VT_UI4: result.boolVal = src->ulVal != 0 ? VARIANT_TRUE : VARIANT_FALSE; break;
        case VT_BSTR: {
          const WCHAR* text = src->bstrVal != nullptr ? src->bstrVal : WSTR("");
          LONG number = 0;
          if (textCompareNoCase(text, WSTR("true")) == 0)
            result.boolVal = VARIANT_TRUE;
          else if (textCompareNoCase(text, WSTR("false")) == 0)
            result.boolVal = VARIANT_FALSE;
          else if (SUCCEEDED(parseLong(text, number)))
            result.boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
          else
            return DISP_E_TYPEMISMATCH;
          break;
        }
        default: return DISP_E_TYPEMISMATCH;
      }
      break;
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
  HRESULT cleared = VariantClear(dst);
  if (FAILED(cleared)) {
    VariantClear(&result);
    return cleared;
  }
  *dst = result;
  return S_OK;
}
