// The XML DOM: the platform's COM interfaces for documents, nodes, elements and node lists,
// and the factory that creates a document.
#pragma once

#include "platform/oleauto.h"

#if defined(_WIN32)
#include <msxml2.h>
#else
struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2, Data3;
  std::uint8_t Data4[8];
};
typedef GUID IID;
typedef const IID& REFIID;
bool operator==(const GUID& a, const GUID& b);

extern const IID IID_IUnknown;
extern const IID IID_IXMLDOMNode;
extern const IID IID_IXMLDOMElement;
extern const IID IID_IXMLDOMDocument;
extern const IID IID_IXMLDOMNodeList;
extern const IID IID_IXMLDOMParseError;

enum DOMNodeType {
  NODE_INVALID = 0,
  NODE_ELEMENT = 1,
  NODE_ATTRIBUTE = 2,
  NODE_TEXT = 3,
  NODE_CDATA_SECTION = 4,
  NODE_PROCESSING_INSTRUCTION = 7,
  NODE_COMMENT = 8,
  NODE_DOCUMENT = 9,
};

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IXMLDOMNodeList;
struct IXMLDOMDocument;
struct IXMLDOMElement;

// The methods below are the ones this system calls; their signatures and results are the
// platform's: S_FALSE and a null out-pointer where there is nothing (no next node, no
// attribute), a negative HRESULT on failure, never an exception.
struct IXMLDOMNode : IUnknown {
  virtual HRESULT get_nodeName(BSTR* name) = 0;
  virtual HRESULT get_nodeType(DOMNodeType* type) = 0;
  virtual HRESULT get_parentNode(IXMLDOMNode** parent) = 0;
  virtual HRESULT get_childNodes(IXMLDOMNodeList** children) = 0;
  virtual HRESULT get_firstChild(IXMLDOMNode** child) = 0;
  virtual HRESULT get_nextSibling(IXMLDOMNode** sibling) = 0;
  virtual HRESULT get_ownerDocument(IXMLDOMDocument** document) = 0;
  virtual HRESULT appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) = 0;
  virtual HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** oldChild) = 0;
  virtual HRESULT get_text(BSTR* text) = 0;
  virtual HRESULT put_text(BSTR text) = 0;
  virtual HRESULT put_nodeTypedValue(VARIANT value) = 0;
  virtual HRESULT get_xml(BSTR* xml) = 0;

 protected:
  ~IXMLDOMNode() = default;
};

struct IXMLDOMElement : IXMLDOMNode {
  virtual HRESULT get_tagName(BSTR* name) = 0;
  // Absent attribute: S_FALSE with a VT_NULL variant.
  virtual HRESULT getAttribute(BSTR name, VARIANT* value) = 0;
  // An existing attribute keeps its place; a new one goes after the others.
  virtual HRESULT setAttribute(BSTR name, VARIANT value) = 0;
  virtual HRESULT removeAttribute(BSTR name) = 0;
  virtual HRESULT getElementsByTagName(BSTR name, IXMLDOMNodeList** list) = 0;

 protected:
  ~IXMLDOMElement() = default;
};

// A live view of children, or a snapshot of a search, walked with nextNode.
struct IXMLDOMNodeList : IUnknown {
  virtual HRESULT get_item(long index, IXMLDOMNode** item) = 0;
  virtual HRESULT get_length(long* length) = 0;
  // The next node, or S_FALSE with null at the end.
  virtual HRESULT nextNode(IXMLDOMNode** next) = 0;
  virtual HRESULT reset() = 0;

 protected:
  ~IXMLDOMNodeList() = default;
};

// Why a load failed: what, and where.
struct IXMLDOMParseError : IUnknown {
  virtual HRESULT get_errorCode(long* code) = 0;
  virtual HRESULT get_reason(BSTR* reason) = 0;
  virtual HRESULT get_line(long* line) = 0;
  virtual HRESULT get_linepos(long* column) = 0;

 protected:
  ~IXMLDOMParseError() = default;
};

struct IXMLDOMDocument : IXMLDOMNode {
  virtual HRESULT get_documentElement(IXMLDOMElement** element) = 0;
  virtual HRESULT createElement(BSTR tagName, IXMLDOMElement** element) = 0;
  virtual HRESULT getElementsByTagName(BSTR name, IXMLDOMNodeList** list) = 0;
  // source: a VT_BSTR device path. Replaces the document's content; on failure the document
  // is empty, *ok is VARIANT_FALSE and get_parseError says why.
  virtual HRESULT load(VARIANT source, VARIANT_BOOL* ok) = 0;
  virtual HRESULT loadXML(BSTR xml, VARIANT_BOOL* ok) = 0;
  // destination: a VT_BSTR device path. UTF-8 with an XML declaration.
  virtual HRESULT save(VARIANT destination) = 0;
  virtual HRESULT get_parseError(IXMLDOMParseError** error) = 0;
  virtual HRESULT put_async(VARIANT_BOOL async) = 0;

 protected:
  ~IXMLDOMDocument() = default;
};
#endif

// The deepest element nesting a document may have; a deeper one is refused when it is
// loaded, and walks that recurse over documents stop there too.
constexpr int kXmlMaxDepth = 256;

// Creates an empty document with one reference for the caller. On Windows the platform's own
// DOM, set to load synchronously and to refuse what this system never accepts (DTDs, external
// resources). E_OUTOFMEMORY or the COM error when it cannot be had.
HRESULT CreateXmlDocument(IXMLDOMDocument** document);
