// Comparison of device paths as the device resolves them.
#include "launcher/device_paths.h"

#include <vector>

namespace {

std::vector<Text> pathParts(const WCHAR* path) {
  std::vector<Text> parts;
  Text part;
  auto endPart = [&] {
    if (part == WSTR("..")) {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != WSTR(".")) {
      parts.push_back(part);
    }
    part.clear();
  };
  for (const WCHAR* p = path ? path : WSTR(""); *p != 0; ++p) {
    if (*p == u'\\' || *p == u'/') {
      endPart();
    } else {
      part += *p;
    }
  }
  endPart();
  return parts;
}

}  // namespace

bool sameDevicePath(const WCHAR* a, const WCHAR* b) {
  const std::vector<Text> left = pathParts(a);
  const std::vector<Text> right = pathParts(b);
  if (left.size() != right.size()) return false;
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (textCompareNoCase(left[i].c_str(), right[i].c_str()) != 0) return false;
  }
  return true;
}
