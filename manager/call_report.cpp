// What one call of the manager reports: the report documents handed to components, the
// manager's own errors, and the entry each call appends to the report log.
#include "manager/call_report.h"

#include "platform/device.h"

#include <cstdarg>
#include <nlohmann/json.hpp>

namespace {

constexpr std::size_t kMessageCapacity = 2048;

std::string formatMessage(const WCHAR* format, va_list args) {
  WCHAR message[kMessageCapacity];
  textFormatV(message, kMessageCapacity, format, args);
  return textToUtf8(message);
}

void collectTexts(IXMLDOMDocument* document, const WCHAR* tag, std::vector<std::string>& out) {
  BString tagName(tag);
  ComRef<IXMLDOMNodeList> list;
  if (FAILED(document->getElementsByTagName(tagName.get(), list.out())) || !list) return;
  for (;;) {
    ComRef<IXMLDOMNode> node;
    if (list->nextNode(node.out()) != S_OK || !node) break;
    BString text;
    if (SUCCEEDED(node->get_text(text.out()))) out.push_back(textToUtf8(text.text().c_str()));
  }
}

}  // namespace

CallReport::CallReport(const char* call, const WCHAR* file)
    : call_(call), file_(textToUtf8(file)) {}

void CallReport::addError(const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  errors_.push_back(formatMessage(format, args));
  va_end(args);
}

void CallReport::addWarning(const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  warnings_.push_back(formatMessage(format, args));
  va_end(args);
}

ComRef<IXMLDOMDocument> CallReport::newReportDocument() {
  ComRef<IXMLDOMDocument> document;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  BString xml(WSTR("<REPORT><ERRORS/><WARNINGS/></REPORT>"));
  if (FAILED(CreateXmlDocument(document.out())) || !document ||
      FAILED(document->loadXML(xml.get(), &loaded)) || loaded != VARIANT_TRUE) {
    document.reset();
    addError(WSTR("Cannot create a report document"));
  }
  return document;
}

void CallReport::collect(IXMLDOMDocument* reportDocument) {
  if (reportDocument == nullptr) return;
  collectTexts(reportDocument, WSTR("ERROR"), errors_);
  collectTexts(reportDocument, WSTR("WARNING"), warnings_);
}

void CallReport::writeLogEntry() const {
  nlohmann::ordered_json entry;
  entry["call"] = call_;
  entry["file"] = file_;
  entry["errors"] = errors_;
  entry["warnings"] = warnings_;
  // The log is for people: a call's outcome never hangs on whether its line could be written.
  (void)device::appendStateLine(
      kReportLog, entry.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}
