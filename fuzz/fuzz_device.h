// A throw-away emulated device for the whole run of one harness, and host file helpers. The
// device lies in memory-backed storage where there is some, since every registry change
// replaces a file; it is removed when the process ends normally, and by the next harness when
// a finding ended the process.
#pragma once

#include "fuzz/fuzz_check.h"
#include "platform/device.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fuzzdevice {

inline std::filesystem::path& rootPath() {
  static std::filesystem::path root;
  return root;
}

inline void removeDevice() {
  std::error_code ignored;
  if (!rootPath().empty()) std::filesystem::remove_all(rootPath(), ignored);
}

// Devices that harnesses left behind when a finding ended them: their process is gone.
inline void removeLeftovers(const std::filesystem::path& base) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(base, error)) {
    const std::string name = entry.path().filename().string();
    const std::size_t dash = name.rfind('-');
    if (name.rfind("qrv-fuzz-", 0) != 0 || dash == std::string::npos) continue;
    if (!fs::exists("/proc/" + name.substr(dash + 1), error)) fs::remove_all(entry.path(), error);
  }
}

// Creates the device (files/ and state/) and points the platform at it.
inline std::filesystem::path create(const std::string& harness) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
  removeLeftovers(base);
  fs::path root = base / ("qrv-fuzz-" + harness + "-" + std::to_string(::getpid()));
  fs::remove_all(root, error);
  fs::create_directories(root / "files", error);
  fs::create_directories(root / "state", error);
  FUZZ_CHECK(!error, "the fuzz device can be created at " + root.string());
  rootPath() = root;
  std::atexit(removeDevice);
  device::setRootDir(root.string());
  return root;
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Writes beside the file and renames over it, as the device's own writers do, so that every
// reader sees a new file.
inline void replaceFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::path temporary = path;
  temporary += ".fuzz-new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << content;
    FUZZ_CHECK(out.good(), "cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path);
}

}  // namespace fuzzdevice
