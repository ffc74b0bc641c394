// Small owning wrappers for the DOM's interface pointers and strings, as the manager uses them.
#include "manager/dom_support.h"

bool readAttribute(IXMLDOMElement* element, const WCHAR* name, Text& value) {
  if (element == nullptr) return false;
  OwnedBstr attributeName(name);
  VARIANT v;
  VariantInit(&v);
  HRESULT hr = element->getAttribute(attributeName.get(), &v);
  bool found = hr == S_OK && SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR)) && v.vt == VT_BSTR;
  if (found) value = v.bstrVal ? Text(v.bstrVal, SysStringLen(v.bstrVal)) : Text();
  VariantClear(&v);
  return found;
}

DomRef<IXMLDOMElement> asElement(IXMLDOMNode* node) {
  DomRef<IXMLDOMElement> element;
  DOMNodeType type = NODE_INVALID;
  if (node == nullptr || FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT) {
    return element;
  }
  node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.out()));
  return element;
}
