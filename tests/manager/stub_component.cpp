// A stand-in component library for the manager's tests. Apply counts its calls since the
// library was loaded (reported as a warning), adds one to the number in the device file
// "\counter.txt" by reading and rewriting it, and reports an error when the document holds a
// FAIL element. Save appends a PARAM named "Stub" to the document. StubThrowApply and
// StubThrowSave break the contract of an export by throwing.
#include "platform/device.h"
#include "platform/export.h"
#include "platform/xmldom.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

int applyCalls = 0;

void report(IXMLDOMDocument* document, const WCHAR* container, const WCHAR* tag,
            const std::string& text) {
  BSTR containerName = SysAllocString(container);
  IXMLDOMNodeList* list = nullptr;
  IXMLDOMNode* parent = nullptr;
  if (SUCCEEDED(document->getElementsByTagName(containerName, &list)) && list) {
    list->nextNode(&parent);
    list->Release();
  }
  SysFreeString(containerName);
  if (!parent) return;
  BSTR tagName = SysAllocString(tag);
  IXMLDOMElement* element = nullptr;
  if (SUCCEEDED(document->createElement(tagName, &element)) && element) {
    Text content = textFromUtf8(text);
    BSTR value = SysAllocString(content.c_str());
    element->put_text(value);
    SysFreeString(value);
    parent->appendChild(element, nullptr);
    element->Release();
  }
  SysFreeString(tagName);
  parent->Release();
}

bool holdsElement(IXMLDOMDocument* document, const WCHAR* tag) {
  BSTR name = SysAllocString(tag);
  IXMLDOMNodeList* list = nullptr;
  long length = 0;
  if (SUCCEEDED(document->getElementsByTagName(name, &list)) && list) {
    list->get_length(&length);
    list->Release();
  }
  SysFreeString(name);
  return length > 0;
}

// Read, pause, write: two applies that overlap lose one of the additions.
void addToCounter() {
  std::string host;
  if (!device::hostPath(WSTR("\\counter.txt"), host)) return;
  long value = 0;
  {
    std::ifstream in(host);
    in >> value;
  }
  for (int i = 0; i < 50; ++i) std::this_thread::yield();
  std::ofstream(host, std::ios::trunc) << value + 1;
}

}  // namespace

QRV_EXPORT int StubApply(IXMLDOMDocument* configuration, IXMLDOMDocument* reportDocument) {
  ++applyCalls;
  addToCounter();
  report(reportDocument, WSTR("WARNINGS"), WSTR("WARNING"), "apply " + std::to_string(applyCalls));
  if (holdsElement(configuration, WSTR("FAIL"))) {
    report(reportDocument, WSTR("ERRORS"), WSTR("ERROR"), "stub error");
    return -1;
  }
  return 0;
}

QRV_EXPORT int StubSave(IXMLDOMDocument* configuration, IXMLDOMDocument* reportDocument,
                        const WCHAR* versionLabel) {
  IXMLDOMElement* root = nullptr;
  IXMLDOMElement* element = nullptr;
  BSTR tag = SysAllocString(WSTR("PARAM"));
  BSTR name = SysAllocString(WSTR("NAME"));
  if (SUCCEEDED(configuration->get_documentElement(&root)) && root &&
      SUCCEEDED(configuration->createElement(tag, &element)) && element) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(WSTR("Stub"));
    element->setAttribute(name, value);
    VariantClear(&value);
    root->appendChild(element, nullptr);
  }
  if (element) element->Release();
  if (root) root->Release();
  SysFreeString(tag);
  SysFreeString(name);
  report(reportDocument, WSTR("WARNINGS"), WSTR("WARNING"),
         "save '" + textToUtf8(versionLabel) + "'");
  return 0;
}

QRV_EXPORT int StubThrowApply(IXMLDOMDocument*, IXMLDOMDocument*) {
  throw std::runtime_error("stub apply");
}

QRV_EXPORT int StubThrowSave(IXMLDOMDocument*, IXMLDOMDocument*, const WCHAR*) {
  throw std::runtime_error("stub save");
}
