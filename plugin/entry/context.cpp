// The documents of the export call in progress: two borrowed pointers, no references taken.
#include "plugin/entry/context.h"

namespace {
// Zero until the first export call sets them; left behind when a call returns.
IXMLDOMDocument* gConfigurationDocument = nullptr;
IXMLDOMDocument* gReportDocument = nullptr;
}  // namespace

int setDocuments(IXMLDOMDocument* configuration, IXMLDOMDocument* report) {
  gConfigurationDocument = configuration;
  gReportDocument = report;
  return 0;
}

IXMLDOMDocument* configurationDocument() { return gConfigurationDocument; }

IXMLDOMDocument* reportDocument() { return gReportDocument; }
