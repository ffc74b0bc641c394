// Reading the device's state from the registry and the state files, and replacing it.
#include "tools/qrvdevice/device_state.h"

#include "platform/device.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

const char kCallsJournal[] = "calls";
const char kMessagesJournal[] = "messages";
const char kReportLog[] = "report";
const char kWindowsFile[] = "windows";

std::string defaultPackageRoot() { return "\\Program Files\\Agent"; }

LoadableState defaultLoadableState() {
  LoadableState state;
  state.settings = defaultDeviceSettings();
  state.packageRoot = RegistryValue::ofText(defaultPackageRoot());
  return state;
}

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return parts;
    start = tab + 1;
  }
}

bool parseUnsigned(const std::string& text, std::uint64_t& out) {
  if (text.empty()) return false;
  try {
    std::size_t used = 0;
    out = std::stoull(text, &used, 0);
    return used == text.size() && text[0] != '-';
  } catch (...) {
    return false;
  }
}

bool parseSigned(const std::string& text, std::int64_t& out) {
  if (text.empty()) return false;
  try {
    std::size_t used = 0;
    out = std::stoll(text, &used, 0);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

std::vector<std::string> stringList(const nlohmann::json& value) {
  std::vector<std::string> list;
  if (!value.is_array()) return list;
  for (const auto& item : value) {
    if (item.is_string()) list.push_back(item.get<std::string>());
  }
  return list;
}

// Writes the whole file under a new name, then puts it in place, so a reader never sees half.
bool replaceStateFile(const char* name, const std::string& content, std::string& problem) {
  std::string path = device::statePath(name);
  std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << content;
    out.flush();
    if (!out) {
      problem = "cannot write " + path;
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    problem = "cannot write " + path + ": " + error.message();
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace

std::vector<ReportEntry> readReport(std::vector<std::string>& notes) {
  std::vector<ReportEntry> report;
  std::vector<std::string> lines = device::readStateLines(kReportLog);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    nlohmann::json entry = nlohmann::json::parse(lines[i], nullptr, false);
    if (entry.is_discarded() || !entry.is_object()) {
      notes.push_back("line " + std::to_string(i + 1) + " of the report log cannot be read");
      continue;
    }
    ReportEntry item;
    if (entry.contains("call") && entry["call"].is_string()) item.call = entry["call"];
    if (entry.contains("file") && entry["file"].is_string()) item.file = entry["file"];
    if (entry.contains("errors")) item.errors = stringList(entry["errors"]);
    if (entry.contains("warnings")) item.warnings = stringList(entry["warnings"]);
    report.push_back(std::move(item));
  }
  return report;
}

bool readDeviceState(DeviceState& out, std::vector<std::string>& notes, std::string& problem) {
  out = DeviceState();
  device::Result read = readDeviceSettings(out.settings);
  if (!read) {
    problem = "cannot read the device settings: " + read.problem();
    return false;
  }
  if (!readRegistryValue(kFiltersOffValue, out.configFiltersOff, problem)) return false;
  if (!readRegistryValue(kPackageRootValue, out.packageRoot, problem)) return false;

  for (const std::string& line : device::readStateLines(kWindowsFile)) {
    if (line.empty()) continue;
    std::vector<std::string> parts = splitTabs(line);
    out.windows.push_back({parts[0], parts.size() > 1 ? parts[1] : std::string()});
  }
  for (const std::string& line : device::readStateLines(kMessagesJournal)) {
    if (line.empty()) continue;
    std::vector<std::string> parts = splitTabs(line);
    SentMessage message;
    std::uint64_t number = 0;
    std::int64_t signedNumber = 0;
    if (parts.size() != 5 || !parseUnsigned(parts[2], number) ||
        !parseUnsigned(parts[3], message.wParam) || !parseSigned(parts[4], signedNumber)) {
      notes.push_back("a line of the message journal cannot be read: " + line);
      continue;
    }
    message.className = parts[0];
    message.title = parts[1];
    message.message = static_cast<std::uint32_t>(number);
    message.lParam = signedNumber;
    out.messages.push_back(message);
  }
  out.calls = device::readStateLines(kCallsJournal);
  out.report = readReport(notes);
  return true;
}

bool clearRunRecords(std::string& problem) {
  for (const char* name : {kCallsJournal, kMessagesJournal, kReportLog}) {
    if (!device::clearStateFile(name).ok()) {
      problem = "cannot clear " + device::statePath(name);
      return false;
    }
  }
  return true;
}

bool writeLoadableState(const LoadableState& state, std::string& problem) {
  device::Result written = writeDeviceSettings(state.settings);
  if (!written) {
    problem = "cannot write the device settings: " + written.problem();
    return false;
  }
  if (!writeRegistryValue(kFiltersOffValue, state.configFiltersOff, problem)) return false;
  if (!writeRegistryValue(kPackageRootValue, state.packageRoot, problem)) return false;
  std::string windows;
  for (const DeviceWindow& window : state.windows) {
    windows += window.className + "\t" + window.title + "\n";
  }
  if (!replaceStateFile(kWindowsFile, windows, problem)) return false;
  return clearRunRecords(problem);
}
