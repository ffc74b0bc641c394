// The folder of the running program, read from the process's own executable link.
#include "platform/device.h"

#include <filesystem>

namespace device {

std::string programDir() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || self.empty()) return std::string();
  return self.parent_path().string();
}

}  // namespace device
