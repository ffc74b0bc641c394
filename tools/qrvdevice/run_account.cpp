// Telling what a run of the launcher did from the report log and the files before and after.
#include "tools/qrvdevice/run_account.h"

#include <filesystem>

#include "launcher/command_line.h"
#include "launcher/package_files.h"
#include "platform/device.h"
#include "tools/qrvdevice/nearest.h"
#include "tools/qrvdevice/registry_values.h"

namespace fs = std::filesystem;

namespace {

// The line the device's shell hands over for these arguments: joined by one blank, an empty
// argument or one holding a blank in double quotes (as the emulated shell builds it).
std::string shellLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    line += arg.empty() || arg.find(' ') != std::string::npos ? "\"" + arg + "\"" : arg;
  }
  return line;
}

bool deviceFileExists(const std::string& devicePath) {
  std::string host;
  std::error_code error;
  return device::hostPath(textFromUtf8(devicePath).c_str(), host) &&
         fs::is_regular_file(host, error);
}

std::string hostOf(const std::string& devicePath) {
  std::string host;
  return device::hostPath(textFromUtf8(devicePath).c_str(), host) ? host : std::string();
}

bool sameName(const std::string& a, const std::string& b) {
  Text ta = textFromUtf8(a), tb = textFromUtf8(b);
  return textCompareNoCase(ta.c_str(), tb.c_str()) == 0;
}

std::vector<std::string> names(const WCHAR* const* list, std::size_t count) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(textToUtf8(list[i]));
  return out;
}

const std::vector<std::string>& generalNames() {
  static const std::vector<std::string> list =
      names(kGeneralFiles, sizeof kGeneralFiles / sizeof kGeneralFiles[0]);
  return list;
}

const std::vector<std::string>& familyNames() {
  static const std::vector<std::string> list =
      names(kDeviceFamilyFiles, sizeof kDeviceFamilyFiles / sizeof kDeviceFamilyFiles[0]);
  return list;
}

bool isOneOf(const std::string& name, const std::vector<std::string>& list) {
  for (const std::string& candidate : list) {
    if (sameName(name, candidate)) return true;
  }
  return false;
}

// The last part of a device path.
std::string fileNameOf(const std::string& devicePath) {
  std::size_t cut = devicePath.find_last_of("\\/");
  return cut == std::string::npos ? devicePath : devicePath.substr(cut + 1);
}

std::vector<const ReportEntry*> applyCalls(const std::vector<ReportEntry>& report) {
  std::vector<const ReportEntry*> calls;
  for (const ReportEntry& entry : report) {
    if (entry.call == "applyConfiguration") calls.push_back(&entry);
  }
  return calls;
}

const ReportEntry* exportEntry(const std::vector<ReportEntry>& report) {
  for (const ReportEntry& entry : report) {
    if (entry.call == "getConfiguration") return &entry;
  }
  return nullptr;
}

std::string appliedLine(const ReportEntry& call) {
  const std::string& file = call.file;
  std::string line = "applied " + file;
  if (!call.errors.empty()) line += " with " + std::to_string(call.errors.size()) + " error(s)";
  return line + (deviceFileExists(file) ? " (the file is still there)" : " and deleted it");
}

bool isOption(const std::string& word, const char* shortWord, const char* longWord) {
  return sameName(word, shortWord) || sameName(word, longWord);
}

}  // namespace

RunAccount::RunAccount(const std::vector<std::string>& args, const std::string* rawLine) {
  ArgumentTable table;
  Text line = textFromUtf8(rawLine != nullptr ? *rawLine : shellLine(args));
  splitCommandLine(line.c_str(), table);
  for (int slot = 1; slot < table.count; ++slot) words_.push_back(textToUtf8(table[slot]));
  pathCut_ = table.count > 2 && table.cut[2];
  if (words_.size() >= 2) pathExisted_ = deviceFileExists(words_[1]);

  RegistryValue root;
  std::string problem;
  if (readRegistryValue(kPackageRootValue, root, problem) &&
      root.kind == RegistryValue::Kind::Text) {
    packageFolder_ = root.text + "\\Mirdak";
    std::string host = hostOf(packageFolder_);
    std::error_code error;
    if (!host.empty() && fs::is_directory(host, error)) {
      for (const fs::directory_entry& entry : fs::directory_iterator(host, error)) {
        if (entry.is_regular_file(error)) packageFiles_.push_back(entry.path().filename().string());
      }
    }
  }
}

std::vector<std::string> RunAccount::tell(const std::vector<ReportEntry>& report) const {
  if (words_.empty()) return tellPackageRun(report);
  if (isOption(words_[0], "/i", "/import")) return tellImport(report);
  if (isOption(words_[0], "/e", "/export")) return tellExport(report);
  return {"the launcher does nothing with '" + words_[0] +
          "': it takes /i (or /import) or /e (or /export) and a path"};
}

std::vector<std::string> RunAccount::tellPackageRun(const std::vector<ReportEntry>& report) const {
  std::vector<std::string> lines;
  if (packageFolder_.empty()) {
    lines.push_back(
        "the package root (APPS) is not set as a text: the launcher finds no package folder");
  }
  std::vector<const ReportEntry*> applied = applyCalls(report);
  bool familyApplied = false;
  for (const ReportEntry* call : applied) {
    lines.push_back(appliedLine(*call));
    familyApplied = familyApplied || isOneOf(fileNameOf(call->file), familyNames());
  }
  for (const std::string& name : packageFiles_) {
    bool wasApplied = false;
    for (const ReportEntry* call : applied)
      wasApplied = wasApplied || sameName(fileNameOf(call->file), name);
    if (wasApplied) continue;
    if (isOneOf(name, familyNames())) {
      lines.push_back("waiting for a later run: " + packageFolder_ + "\\" + name +
                      " (a run applies only the first device-family file present)");
    } else if (!isOneOf(name, generalNames())) {
      std::vector<std::string> all = generalNames();
      all.insert(all.end(), familyNames().begin(), familyNames().end());
      int closest = nearestOf(name, all, 3, true);
      lines.push_back("left alone: " + packageFolder_ + "\\" + name +
                      " is no name the launcher looks for" +
                      (closest >= 0 ? " (did you mean " + all[closest] + "?)" : std::string()) +
                      "; see qrvdevice help run");
    }
  }
  if (!familyApplied) {
    const ReportEntry* exported = exportEntry(report);
    std::string what =
        applied.empty() ? "no package file found" : "no device-family package file found";
    if (exported != nullptr && !exported->file.empty()) {
      lines.push_back(what + ": the current configuration was exported to " + exported->file +
                      " instead");
    } else {
      lines.push_back(what);
    }
  }
  return lines;
}

std::vector<std::string> RunAccount::tellImport(const std::vector<ReportEntry>& report) const {
  if (words_.size() < 2 || words_[1].empty())
    return {words_[0] + " names no file: nothing was applied"};
  const std::string& path = words_[1];
  if (pathCut_) {
    return {words_[0] + ": the path is longer than the " + std::to_string(kArgumentCapacity - 1) +
            " characters the launcher takes: nothing was applied"};
  }
  std::vector<const ReportEntry*> applied = applyCalls(report);
  if (applied.empty()) {
    if (!pathExisted_)
      return {words_[0] + " " + path + ": the file names nothing; nothing was applied"};
    return {words_[0] + " " + path + ": nothing was applied"};
  }
  std::vector<std::string> lines;
  for (const ReportEntry* call : applied) lines.push_back(appliedLine(*call));
  return lines;
}

std::vector<std::string> RunAccount::tellExport(const std::vector<ReportEntry>& report) const {
  if (words_.size() < 2 || words_[1].empty())
    return {words_[0] + " names no file: nothing was exported"};
  const std::string& path = words_[1];
  if (pathCut_) {
    return {words_[0] + ": the path is longer than the " + std::to_string(kArgumentCapacity - 1) +
            " characters the launcher takes: nothing was exported"};
  }
  if (deviceFileExists(path) && exportEntry(report) != nullptr) {
    return {"exported the current configuration to " + path + " (on the host: " + hostOf(path) +
            ")"};
  }
  return {words_[0] + " " + path + ": no export was written"};
}
