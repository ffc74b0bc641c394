// What a check finds: one finding per mistake, with its place in the file, its severity, a
// message and a short code, written as compilers write their diagnostics or as JSON.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class Severity { Error, Warning, Note };

struct Finding {
  std::size_t line = 0;
  std::size_t column = 0;
  Severity severity = Severity::Warning;
  std::string code;     // "check-value"
  std::string message;  // one line
};

const char* severityName(Severity severity);

// In the order of their places in the file (findings at one place keep their order).
void sortFindings(std::vector<Finding>& findings);

// "FILE:LINE:COLUMN: error: message [code]", one a line.
std::string findingLines(const std::string& file, const std::vector<Finding>& findings);
// A JSON array of objects with file, line, column, severity, code and message.
std::string findingsJson(const std::string& file, const std::vector<Finding>& findings);

std::size_t countOf(const std::vector<Finding>& findings, Severity severity);
