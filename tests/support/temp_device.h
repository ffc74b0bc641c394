// A throw-away device root for one test: an empty folder that the platform is pointed at,
// removed again at the end.
#pragma once

#include "platform/device.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempDevice {
 public:
  TempDevice() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::ostringstream name;
    name << "qrv-device-" << stamp << "-" << counter++;
    root_ = std::filesystem::temp_directory_path() / name.str();
    std::filesystem::create_directories(root_ / "files");
    std::filesystem::create_directories(root_ / "state");
    previous_ = device::rootDir();
    device::setRootDir(root_.string());
  }
  ~TempDevice() {
    device::setRootDir(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempDevice(const TempDevice&) = delete;
  TempDevice& operator=(const TempDevice&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // Host path of a file below files/, given with forward slashes ("Windows/x.dll").
  std::filesystem::path file(const std::string& relative) const { return root_ / "files" / relative; }

  void writeFile(const std::string& relative, const std::string& content) const {
    auto path = file(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }
  std::string readFile(const std::string& relative) const {
    std::ifstream in(file(relative), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

 private:
  std::filesystem::path root_;
  std::string previous_;
};
