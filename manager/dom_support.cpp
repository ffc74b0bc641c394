// The manager's small DOM helpers: an element's attribute as text, and a node as an element.
#include "manager/dom_support.h"

bool readAttribute(IXMLDOMElement* element, const WCHAR* name, Text& value) {
  if (element == nullptr) return false;
  BString attributeName(name);
  VARIANT v;
  VariantInit(&v);
  HRESULT hr = element->getAttribute(attributeName.get(), &v);
  bool found = hr == S_OK && SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR)) && v.vt == VT_BSTR;
  if (found) value = v.bstrVal ? Text(v.bstrVal, SysStringLen(v.bstrVal)) : Text();
  VariantClear(&v);
  return found;
}

ComRef<IXMLDOMElement> asElement(IXMLDOMNode* node) {
  ComRef<IXMLDOMElement> element;
  DOMNodeType type = NODE_INVALID;
  if (node == nullptr || FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT) {
    return element;
  }
  node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.out()));
  return element;
}
