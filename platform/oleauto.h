// OLE Automation strings (BSTR) and variants, as the XML DOM exchanges them.
#pragma once

#include "platform/text.h"

#if defined(_WIN32)
#include <oleauto.h>
#else
typedef WCHAR* BSTR;
typedef std::uint16_t VARTYPE;
typedef std::int16_t VARIANT_BOOL;

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_BOOL = 11,
  VT_UNKNOWN = 13,
  VT_UI4 = 19,
};

struct IUnknown;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1, wReserved2, wReserved3;
  union {
    LONG lVal;
    ULONG ulVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    IUnknown* punkVal;
  };
};
typedef VARIANT VARIANTARG;

#define V_VT(v) ((v)->vt)
#define V_BSTR(v) ((v)->bstrVal)
#define V_I4(v) ((v)->lVal)
#define V_UI4(v) ((v)->ulVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_UNKNOWN(v) ((v)->punkVal)

// A BSTR is a length-prefixed, zero-terminated UTF-16 string; null stands for "".
BSTR SysAllocString(const WCHAR* text);
BSTR SysAllocStringLen(const WCHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

void VariantInit(VARIANTARG* v);
HRESULT VariantClear(VARIANTARG* v);
HRESULT VariantCopy(VARIANTARG* dst, const VARIANTARG* src);
// Converts to VT_BSTR, VT_I4 or VT_BOOL from those and VT_EMPTY; VT_NULL converts to nothing
// (DISP_E_TYPEMISMATCH), as on the platform. dst may be src.
HRESULT VariantChangeType(VARIANTARG* dst, const VARIANTARG* src, USHORT flags, VARTYPE vt);
#endif
