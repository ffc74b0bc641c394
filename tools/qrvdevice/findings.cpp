// Sorting and writing findings.
#include "tools/qrvdevice/findings.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

const char* severityName(Severity severity) {
  switch (severity) {
    case Severity::Error:
      return "error";
    case Severity::Warning:
      return "warning";
    default:
      return "note";
  }
}

void sortFindings(std::vector<Finding>& findings) {
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
}

std::string findingLines(const std::string& file, const std::vector<Finding>& findings) {
  std::ostringstream out;
  for (const Finding& f : findings) {
    out << file << ":" << f.line << ":" << f.column << ": " << severityName(f.severity) << ": "
        << f.message << " [" << f.code << "]\n";
  }
  return out.str();
}

std::string findingsJson(const std::string& file, const std::vector<Finding>& findings) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const Finding& f : findings) {
    list.push_back({{"file", file},
                    {"line", f.line},
                    {"column", f.column},
                    {"severity", severityName(f.severity)},
                    {"code", f.code},
                    {"message", f.message}});
  }
  return list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::size_t countOf(const std::vector<Finding>& findings, Severity severity) {
  return static_cast<std::size_t>(
      std::count_if(findings.begin(), findings.end(),
                    [severity](const Finding& f) { return f.severity == severity; }));
}
