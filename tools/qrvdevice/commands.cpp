// The emulator's commands: laying down a device, loading and showing its state, delivering
// package files, running the launcher and reading what the run reported.
#include "tools/qrvdevice/commands.h"

#include "platform/device.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "plugin/entry/component.h"
#include "tools/qrvdevice/device_state.h"
#include "tools/qrvdevice/run_account.h"
#include "tools/qrvdevice/state_json.h"
#include "tools/qrvdevice/summary.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The image's files, by their place in the image folder and on the device, as the build lays
// them out (the manifest in tools/qrvdevice/CMakeLists.txt).
struct ImageFile {
  const char* imagePath;
  const WCHAR* devicePath;
  bool optional = false;  // laid down only when the image holds it
};
const ImageFile kImageFiles[] = {
#include "tools/qrvdevice/image_manifest.inc"
};

const WCHAR* const kImageFolders[] = {WSTR("\\Windows"), WSTR("\\Temp"),
                                      WSTR("\\Program Files\\Agent\\Mirdak")};

const Text kComponentKey = qrvconfig::registrationKey();

int fail(const std::string& message) {
  std::cerr << "qrvdevice: " << message << "\n";
  return kExitFailed;
}

std::string rootForMessages() {
  std::error_code error;
  fs::path root = fs::absolute(device::rootDir(), error);
  return error ? device::rootDir() : root.lexically_normal().string();
}

// The folder that holds the built image: QRV_IMAGE_DIR, else "image" beside the folder of
// this program.
fs::path imageDir() {
  if (const char* configured = std::getenv("QRV_IMAGE_DIR")) {
    if (*configured) return fs::path(configured);
  }
  std::string own = device::programDir();
  return fs::path(own.empty() ? "." : own).parent_path() / "image";
}

// The host folder of the device's file system.
fs::path filesDir() {
  std::string host;
  if (device::hostPath(WSTR("\\"), host)) return fs::path(host);
  return fs::path(device::rootDir()) / "files";
}
fs::path stateDir() { return fs::path(device::statePath("lock")).parent_path(); }

// Only an emulated device keeps its file system in a folder of its own below the device root;
// where the device is the machine itself, its files are never wiped.
bool filesAreEmulated() {
  std::error_code error;
  fs::path root = fs::weakly_canonical(fs::absolute(device::rootDir(), error), error);
  if (error) return false;
  fs::path files = fs::weakly_canonical(fs::absolute(filesDir(), error), error);
  if (error || files == root) return false;
  fs::path relative = files.lexically_relative(root);
  return !relative.empty() && *relative.begin() != "..";
}

// A device has its registry file (emulated), or at least the plug-in's registration (where
// the registry is the system's).
bool deviceIsThere() {
  std::error_code error;
  if (fs::exists(fs::path(device::statePath("registry.reg")), error)) return true;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kComponentKey.c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

int noDevice() {
  return fail("no device at " + rootForMessages() + " (create one with: qrvdevice init)");
}

// Empties the device's files and the emulator's state, keeping the lock file, which the
// caller holds.
bool clearDevice(std::string& problem) {
  std::error_code error;
  std::vector<fs::path> folders = {stateDir()};
  if (filesAreEmulated()) folders.push_back(filesDir());
  for (const fs::path& folder : folders) {
    if (!fs::exists(folder, error)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
      if (folder == stateDir() && entry.path().filename() == "lock") continue;
      fs::remove_all(entry.path(), error);
      if (error) {
        problem = "cannot remove " + entry.path().string() + ": " + error.message();
        return false;
      }
    }
    if (error) {
      problem = "cannot read " + folder.string() + ": " + error.message();
      return false;
    }
  }
  return true;
}

bool layDownImage(std::string& problem) {
  fs::path image = imageDir();
  std::error_code error;
  for (const ImageFile& file : kImageFiles) {
    if (!file.optional && !fs::is_regular_file(image / file.imagePath, error)) {
      problem = "the device image has no " + std::string(file.imagePath) + " (looked in " +
                image.string() + "; build the device_image target or set QRV_IMAGE_DIR)";
      return false;
    }
  }
  for (const WCHAR* folder : kImageFolders) {
    std::string host;
    if (!device::hostPath(folder, host) || (fs::create_directories(host, error), error)) {
      problem = "cannot create the folder " + textToUtf8(folder) + " on the device";
      return false;
    }
  }
  for (const ImageFile& file : kImageFiles) {
    if (file.optional && !fs::is_regular_file(image / file.imagePath, error)) continue;
    std::string host;
    if (!device::hostPath(file.devicePath, host) ||
        !fs::copy_file(image / file.imagePath, host, fs::copy_options::overwrite_existing,
                       error)) {
      problem = "cannot copy " + std::string(file.imagePath) + " to " + textToUtf8(file.devicePath) +
                (error ? ": " + error.message() : std::string());
      return false;
    }
  }
  return true;
}

// A plain file name of the package folder: no folder part, nothing that climbs.
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("\\/\0", 3)) == std::string::npos;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  content = out.str();
  return !in.bad();
}

std::string deviceRoot() { return rootForMessages(); }

bool deviceExists() { return deviceIsThere(); }

bool createDevice(const LoadableState& state, std::string& problem) {
  return layDownImage(problem) && registerPlugin(problem) && writeLoadableState(state, problem);
}

int commandInit(bool force) {
  std::error_code error;
  fs::create_directories(stateDir(), error);
  if (!error) fs::create_directories(filesDir(), error);
  if (error) return fail("cannot create the device at " + rootForMessages() + ": " + error.message());
  device::Lock lock;
  if (!lock.held()) return fail("cannot lock the device at " + rootForMessages());

  bool existing = deviceIsThere() || (filesAreEmulated() && !fs::is_empty(filesDir(), error));
  if (existing && !force) {
    return fail("a device already exists at " + rootForMessages() + " (use init --force to replace it)");
  }
  std::string problem;
  if (!clearDevice(problem) || !createDevice(defaultLoadableState(), problem)) {
    return fail("init: " + problem);
  }
  std::cout << "device created at " << rootForMessages() << "\n";
  return kExitOk;
}

int commandLoad(const std::string& stateFile) {
  std::string text;
  if (!readWholeFile(stateFile, text)) return fail("cannot read " + stateFile);
  LoadableState state;
  std::string problem;
  if (!stateFromJson(text, state, problem)) return fail(stateFile + ": " + problem);
  if (!deviceIsThere()) return noDevice();
  device::Lock lock;
  if (!lock.held()) return fail("cannot lock the device at " + rootForMessages());
  if (!writeLoadableState(state, problem)) return fail("load: " + problem);
  return kExitOk;
}

int commandShow(bool asJson) {
  if (!deviceIsThere()) return noDevice();
  DeviceState state;
  std::vector<std::string> notes;
  std::string problem;
  {
    // One consistent picture: no call of a running launcher changes it halfway.
    device::Lock lock;
    if (!readDeviceState(state, notes, problem)) return fail(problem);
  }
  for (const std::string& note : notes) std::cerr << "qrvdevice: " << note << "\n";
  std::cout << (asJson ? stateToJson(state) : stateSummary(state));
  return kExitOk;
}

int commandPush(const std::string& hostFile, const std::string& name) {
  if (!isPlainFileName(name)) {
    return fail("\"" + name + "\" is not a plain file name for the package folder");
  }
  std::error_code error;
  if (!fs::is_regular_file(hostFile, error)) return fail("cannot read " + hostFile);
  if (!deviceIsThere()) return noDevice();

  device::Lock lock;
  if (!lock.held()) return fail("cannot lock the device at " + rootForMessages());
  RegistryValue root;
  std::string problem;
  if (!readRegistryValue(kPackageRootValue, root, problem)) return fail(problem);
  if (root.kind != RegistryValue::Kind::Text) {
    return fail("the package root (APPS) is not set as a text on this device");
  }
  std::string devicePath = root.text + "\\Mirdak\\" + name;
  std::string host;
  if (!device::hostPath(textFromUtf8(devicePath).c_str(), host)) {
    return fail("the package folder " + devicePath + " is outside the device");
  }
  fs::create_directories(fs::path(host).parent_path(), error);
  if (error || !fs::copy_file(hostFile, host, fs::copy_options::overwrite_existing, error)) {
    return fail("cannot copy " + hostFile + " to " + devicePath +
                (error ? ": " + error.message() : std::string()));
  }
  std::cout << devicePath << "\n";
  return kExitOk;
}

int commandRun(const std::vector<std::string>& args, const std::string* rawLine, bool strict) {
  if (!deviceIsThere()) return noDevice();
  std::string problem;
  std::optional<RunAccount> account;
  {
    device::Lock lock;
    if (!lock.held()) return fail("cannot lock the device at " + rootForMessages());
    if (!clearRunRecords(problem)) return fail(problem);
    account.emplace(args, rawLine);
  }
  int code = device::runDeviceProgram(WSTR("\\Tolvex.exe"), args, rawLine);
  if (code < 0) return fail("cannot run \\Tolvex.exe on the device at " + rootForMessages());
  if (code >= 128) {
    return fail("\\Tolvex.exe was ended by signal " + std::to_string(code - 128));
  }
  if (code != 0) return fail("\\Tolvex.exe ended with exit code " + std::to_string(code));

  std::vector<std::string> notes;
  std::vector<ReportEntry> report = readReport(notes);
  for (const std::string& note : notes) std::cerr << "qrvdevice: " << note << "\n";
  std::size_t errors = 0, warnings = 0;
  for (const ReportEntry& entry : report) {
    errors += entry.errors.size();
    warnings += entry.warnings.size();
  }
  std::cout << reportLines(report);
  for (const std::string& line : account->tell(report)) std::cout << line << "\n";
  std::cout << "Tolvex.exe ran: " << report.size() << " manager call(s), " << errors
            << " error(s), " << warnings << " warning(s)\n";
  if (strict && errors > 0) {
    return fail("the run reported " + std::to_string(errors) + " error(s) (--strict)");
  }
  return kExitOk;
}

int commandReport() {
  if (!deviceIsThere()) return noDevice();
  std::vector<std::string> notes;
  std::vector<ReportEntry> report = readReport(notes);
  for (const std::string& note : notes) std::cerr << "qrvdevice: " << note << "\n";
  std::cout << reportLines(report);
  return kExitOk;
}

int commandPath(const std::string& devicePath) {
  std::string host;
  if (!device::hostPath(textFromUtf8(devicePath).c_str(), host)) {
    return fail(devicePath + " climbs above the device's root and names nothing");
  }
  std::cout << host << "\n";
  return kExitOk;
}
