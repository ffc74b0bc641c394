// The XML document factory on Windows: the platform's own DOM, created through COM and set to
// refuse what this system never accepts.
#include "platform/xmldom.h"

#include <windows.h>

namespace {

// IXMLDOMDocument2, which carries the parser's properties (not in every SDK's import library).
const IID kIXMLDOMDocument2 = {0x2933bf95, 0x7b36, 0x11d2,
                               {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// COM is entered once per thread. It is never left: documents handed out may outlive any
// point where leaving would be safe, and the process's end releases it.
bool enterComOnThisThread() {
  thread_local HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // Another apartment already chosen on this thread serves as well.
  return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
}

HRESULT setProperty(IXMLDOMDocument2* document, const wchar_t* name, VARIANT value) {
  BSTR text = SysAllocString(name);
  if (!text) return E_OUTOFMEMORY;
  HRESULT hr = document->setProperty(text, value);
  SysFreeString(text);
  return hr;
}

VARIANT booleanValue(bool on) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = on ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

}  // namespace

HRESULT CreateXmlDocument(IXMLDOMDocument** document) {
  if (!document) return E_POINTER;
  *document = nullptr;
  if (!enterComOnThisThread()) return CO_E_NOTINITIALIZED;

  CLSID documentClass;
  HRESULT hr = CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &documentClass);
  if (FAILED(hr)) return hr;
  IXMLDOMDocument2* created = nullptr;
  hr = CoCreateInstance(documentClass, nullptr, CLSCTX_INPROC_SERVER, kIXMLDOMDocument2,
                        reinterpret_cast<void**>(&created));
  if (FAILED(hr)) return hr;

  // Loads finish before load returns; no document type, external resource or validation.
  created->put_async(VARIANT_FALSE);
  created->put_validateOnParse(VARIANT_FALSE);
  created->put_resolveExternals(VARIANT_FALSE);
  created->put_preserveWhiteSpace(VARIANT_FALSE);
  setProperty(created, L"ProhibitDTD", booleanValue(true));
  setProperty(created, L"ResolveExternals", booleanValue(false));
  setProperty(created, L"ValidateOnParse", booleanValue(false));
  // The nesting limit, where this DOM offers one (not every version does).
  VARIANT depth;
  VariantInit(&depth);
  V_VT(&depth) = VT_I4;
  V_I4(&depth) = kXmlMaxDepth;
  setProperty(created, L"MaxElementDepth", depth);

  *document = created;  // IXMLDOMDocument2 is an IXMLDOMDocument
  return S_OK;
}
