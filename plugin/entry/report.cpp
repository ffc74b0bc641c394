// Errors and warnings: ERROR and WARNING elements appended to the report document's first
// ERRORS and WARNINGS elements.
#include "plugin/entry/report.h"

#include "platform/com_ref.h"
#include "plugin/entry/context.h"

#include <cstdarg>

namespace {

// Longest report text, terminator included; a longer one is cut.
constexpr std::size_t kReportCapacity = 2048;

void report(const WCHAR* containerTag, const WCHAR* itemTag, const WCHAR* format, va_list args) {
  // Without a container the report is dropped before any work is done.
  ComRef<IXMLDOMElement> container = findFirstElement(containerTag);
  if (!container) return;
  IXMLDOMDocument* document = reportDocument();
  if (!document) return;

  WCHAR text[kReportCapacity];
  textFormatV(text, kReportCapacity, format, args);

  BString tag(itemTag);
  BString content(text);
  if (tag.failed() || content.failed()) return;
  ComRef<IXMLDOMElement> item;
  if (FAILED(document->createElement(tag.get(), item.out())) || !item) return;
  // An element that cannot take its text is dropped rather than left empty in the report.
  if (FAILED(item->put_text(content.get()))) return;
  container->appendChild(item.get(), nullptr);
}

}  // namespace

ComRef<IXMLDOMElement> findFirstElement(const WCHAR* tagName) {
  IXMLDOMDocument* document = reportDocument();
  if (!document || !tagName) return {};
  BString tag(tagName);
  if (tag.failed()) return {};
  ComRef<IXMLDOMNodeList> list;
  if (FAILED(document->getElementsByTagName(tag.get(), list.out())) || !list) return {};
  ComRef<IXMLDOMNode> first;
  if (list->nextNode(first.out()) != S_OK || !first) return {};
  ComRef<IXMLDOMElement> element;
  if (FAILED(first->QueryInterface(IID_IXMLDOMElement, element.outVoid())) || !element) {
    return {};
  }
  return element;
}

void reportError(const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  report(WSTR("ERRORS"), WSTR("ERROR"), format, args);
  va_end(args);
}

void reportWarning(const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  report(WSTR("WARNINGS"), WSTR("WARNING"), format, args);
  va_end(args);
}
