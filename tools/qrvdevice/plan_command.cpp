// `qrvdevice plan`: what applying a document would change. The real launcher, manager, plug-in
// and settings library apply it to a throwaway copy of the device (or to a device made from a
// state file), and the states before and after are compared; the device itself is only read.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "platform/device.h"
#include "platform/process.h"
#include "tools/qrvdevice/admin_commands.h"
#include "tools/qrvdevice/commands.h"
#include "tools/qrvdevice/device_state.h"
#include "tools/qrvdevice/state_diff.h"
#include "tools/qrvdevice/state_json.h"
#include "tools/qrvdevice/summary.h"

namespace fs = std::filesystem;

namespace {

// The device's own locks are not part of its state and stay behind.
bool isLockFile(const fs::path& relative) {
  return relative == fs::path("state") / "lock" || relative == fs::path("state") / "registry.lock";
}

// A folder for the throwaway device, removed (and the process pointed back at the device
// root it had) however the plan ends.
class ScratchDevice {
 public:
  ScratchDevice() : previousRoot_(device::rootDir()) {
    static std::atomic<unsigned> counter{0};
    path_ = fs::temp_directory_path() /
            ("qrvdevice-plan-" + std::to_string(std::random_device()()) + "-" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
             std::to_string(counter++));
  }
  ~ScratchDevice() {
    device::setRootDir(previousRoot_);
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchDevice(const ScratchDevice&) = delete;
  ScratchDevice& operator=(const ScratchDevice&) = delete;

  const fs::path& path() const { return path_; }
  const std::string& previousRoot() const { return previousRoot_; }
  void enter() const { device::setRootDir(path_.string()); }

 private:
  std::string previousRoot_;
  fs::path path_;
};

// Copies the device at `from` into `to`, file by file, symbolic links as links.
bool copyDevice(const fs::path& from, const fs::path& to, std::string& problem) {
  std::error_code error;
  fs::create_directories(to, error);
  for (auto it = fs::recursive_directory_iterator(from, error); !error && it != fs::end(it);
       it.increment(error)) {
    const fs::path relative = it->path().lexically_relative(from);
    if (isLockFile(relative)) continue;
    const fs::path target = to / relative;
    if (it->is_symlink(error)) {
      fs::copy_symlink(it->path(), target, error);
    } else if (it->is_directory(error)) {
      fs::create_directories(target, error);
    } else {
      fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, error);
    }
    if (error) {
      problem = "cannot copy " + it->path().string() + ": " + error.message();
      return false;
    }
  }
  if (error) problem = "cannot read " + from.string() + ": " + error.message();
  return !error;
}

// The document's place on the throwaway device: \Temp and its own file name, when that is a
// plain one.
std::string importPathFor(const std::string& file) {
  std::string name = fs::path(file).filename().string();
  bool plain = !name.empty() && name.size() < 100 &&
               name.find_first_of("\\/\"") == std::string::npos && name[0] != '.';
  return "\\Temp\\" + (plain ? name : std::string("plan.xml"));
}

int failed(const std::string& message) {
  std::cerr << "qrvdevice: " << message << "\n";
  return kExitFailed;
}

}  // namespace

int commandPlan(const std::string& file, const std::string* stateFile, bool asJson) {
  std::string bytes;
  if (!readWholeFile(file, bytes)) {
    std::cerr << "qrvdevice: cannot read " << file << "\n";
    return kExitUsage;
  }
  LoadableState state;
  if (stateFile != nullptr) {
    std::string text, problem;
    if (!readWholeFile(*stateFile, text)) {
      std::cerr << "qrvdevice: cannot read " << *stateFile << "\n";
      return kExitUsage;
    }
    if (!stateFromJson(text, state, problem)) {
      std::cerr << "qrvdevice: " << *stateFile << ": " << problem << "\n";
      return kExitUsage;
    }
  } else if (!deviceExists()) {
    return failed("no device at " + deviceRoot() +
                  " (create one with: qrvdevice init, or plan with --state)");
  }

  ScratchDevice scratch;
  std::string problem;
  if (stateFile != nullptr) {
    scratch.enter();
    std::error_code error;
    fs::create_directories(scratch.path() / "files", error);
    fs::create_directories(scratch.path() / "state", error);
    device::Lock lock;
    if (error || !lock.held() || !createDevice(state, problem)) {
      return failed("cannot make a device from " + *stateFile + ": " + problem);
    }
  } else {
    // One consistent copy: no run changes the device halfway through it.
    device::Lock lock;
    if (!lock.held()) return failed("cannot lock the device at " + deviceRoot());
    if (!copyDevice(fs::path(scratch.previousRoot()), scratch.path(), problem))
      return failed(problem);
  }
  scratch.enter();

  const std::string importPath = importPathFor(file);
  std::string host;
  std::error_code error;
  if (!device::hostPath(textFromUtf8(importPath).c_str(), host) ||
      (fs::create_directories(fs::path(host).parent_path(), error), error)) {
    return failed("cannot place the document on the throwaway device");
  }
  std::ofstream(host, std::ios::binary) << bytes;

  DeviceState before, after;
  std::vector<std::string> notes;
  if (!clearRunRecords(problem) || !readDeviceState(before, notes, problem)) return failed(problem);
  int code = device::runDeviceProgram(WSTR("\\Tolvex.exe"), {"/i", importPath}, nullptr);
  if (code != 0) return failed("\\Tolvex.exe could not apply the document on the throwaway device");
  if (!readDeviceState(after, notes, problem)) return failed(problem);

  std::vector<StateChange> changes = stateChanges(before, after);
  std::size_t errors = 0, warnings = 0;
  for (const ReportEntry& entry : after.report) {
    errors += entry.errors.size();
    warnings += entry.warnings.size();
  }
  if (asJson) {
    using Json = nlohmann::ordered_json;
    Json list = Json::array();
    for (const StateChange& change : changes) {
      list.push_back({{"change", std::string(1, change.sign)},
                      {"kind", change.kind},
                      {"subject", change.subject},
                      {"text", change.line}});
    }
    Json errorList = Json::array(), warningList = Json::array();
    for (const ReportEntry& entry : after.report) {
      for (const std::string& e : entry.errors) errorList.push_back(e);
      for (const std::string& w : entry.warnings) warningList.push_back(w);
    }
    Json out = {{"file", file},
                {"importedAs", importPath},
                {"before", Json::parse(stateToJson(before))},
                {"after", Json::parse(stateToJson(after))},
                {"changes", list},
                {"errors", errorList},
                {"warnings", warningList}};
    std::cout << out.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    return kExitOk;
  }
  for (const StateChange& change : changes) std::cout << change.line << "\n";
  std::cout << reportLines(after.report);
  std::cout << "plan: "
            << (changes.empty() ? std::string("no changes")
                                : std::to_string(changes.size()) + " change(s)")
            << ", " << errors << " error(s), " << warnings << " warning(s) (" << file
            << " applied to a copy of "
            << (stateFile != nullptr ? "a device made from " + *stateFile
                                     : std::string("the device"))
            << "; the device is not touched)\n";
  return kExitOk;
}
