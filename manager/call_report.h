// What one call of the manager reports: the report documents handed to components, the
// manager's own errors, and the entry each call appends to the report log.
#pragma once

#include "manager/dom_support.h"

#include <string>
#include <vector>

class CallReport {
 public:
  // `call`: the entry point's name; `file`: the file the call is about ("" for none).
  CallReport(const char* call, const WCHAR* file);

  void setFile(const WCHAR* file) { file_ = textToUtf8(file); }
  void addError(const WCHAR* format, ...);
  void addWarning(const WCHAR* format, ...);
  bool hasErrors() const { return !errors_.empty(); }

  // A fresh "<REPORT><ERRORS/><WARNINGS/></REPORT>" for one component call; empty when no
  // document can be had (the manager's error says so).
  ComRef<IXMLDOMDocument> newReportDocument();
  // Takes the ERROR and WARNING texts a component wrote into the report document.
  void collect(IXMLDOMDocument* reportDocument);

  // Appends the call's entry to the report log, one JSON object on one line.
  void writeLogEntry() const;

 private:
  std::string call_;
  std::string file_;
  std::vector<std::string> errors_;
  std::vector<std::string> warnings_;
};

// The name of the report log among the device's state files.
constexpr const char* kReportLog = "report";
