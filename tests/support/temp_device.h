// A throw-away device root for one test: a fresh folder below the host's temporary folder,
// removed again at the end, with its files read and written by their device path. A test that
// calls the platform itself has the process pointed at it for the test's length; one that
// drives programs hands them its root instead.
#pragma once

#include "platform/device.h"
#include "support/host_shell.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>

class TempDevice {
 public:
  enum class Use {
    InThisProcess,    // files/ and state/ made, and the platform pointed at the root
    ThroughPrograms,  // an empty root, which the programs run on it are told of
  };

  explicit TempDevice(Use use = Use::InThisProcess) : pointed_(use == Use::InThisProcess) {
    // Tests of several processes share the temporary folder: the name is unique across them.
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    std::ostringstream name;
    name << (pointed_ ? "qrv-device-" : "qrv-scenario-")
         << std::chrono::steady_clock::now().time_since_epoch().count() << "-" << random() << "-"
         << counter++;
    root_ = std::filesystem::temp_directory_path() / name.str();
    std::filesystem::create_directories(root_);
    if (pointed_) {
      std::filesystem::create_directories(root_ / "files");
      std::filesystem::create_directories(root_ / "state");
      previous_ = device::rootDir();
      device::setRootDir(root_.string());
    }
  }
  ~TempDevice() {
    if (pointed_) device::setRootDir(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempDevice(const TempDevice&) = delete;
  TempDevice& operator=(const TempDevice&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // Host path of a file below files/, given with forward slashes ("Windows/x.dll").
  std::filesystem::path file(const std::string& relative) const { return root_ / "files" / relative; }

  void writeFile(const std::string& relative, const std::string& content) const {
    writeHostFile(file(relative), content);
  }
  std::string readFile(const std::string& relative) const { return readHostFile(file(relative)); }
  bool exists(const std::string& relative) const { return std::filesystem::exists(file(relative)); }

 private:
  std::filesystem::path root_;
  std::string previous_;
  bool pointed_;
};
