// Comparison of device paths as the device resolves them.
#include "launcher/device_paths.h"

#include "platform/device.h"

#include <vector>

bool sameDevicePath(const WCHAR* a, const WCHAR* b) {
  // A ".." above the root stays at the root here: both paths name what the device would open.
  const std::vector<Text> left = device::splitDevicePath(a).names;
  const std::vector<Text> right = device::splitDevicePath(b).names;
  if (left.size() != right.size()) return false;
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (textCompareNoCase(left[i].c_str(), right[i].c_str()) != 0) return false;
  }
  return true;
}
