// A stand-in configuration manager for the launcher's tests: records every call in the state
// file "stub-calls" and exports as the state file "stub-export" tells it: "normal", "empty"
// (no path), "full" (the buffer filled, no terminator), "path:P" (P is written and named), or
// "unterminated:P" (P, then the rest of the buffer filled, no terminator).
#include "platform/device.h"
#include "platform/export.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace {

void record(const std::string& line) { (void)device::appendStateLine("stub-calls", line); }

std::string exportMode() {
  auto lines = device::readStateLines("stub-export");
  return lines.empty() ? std::string("normal") : lines.front();
}

void writeDeviceFile(const Text& path, const std::string& content) {
  std::string host;
  if (device::hostPath(path.c_str(), host)) std::ofstream(host, std::ios::binary) << content;
}

}  // namespace

#if !defined(STUB_WITHOUT_APPLY)
QRV_EXPORT std::int32_t applyConfiguration(const WCHAR* path) {
  record("applyConfiguration " + textToUtf8(path));
  return 0;
}
#endif

QRV_EXPORT std::int32_t getInfo(WCHAR* buffer, std::int32_t capacity) {
  record("getInfo " + std::to_string(capacity));
  textCopy(buffer, std::size_t(capacity), WSTR("stand-in manager"));
  return 0;
}

QRV_EXPORT std::int32_t getConfiguration(WCHAR* buffer, std::int32_t capacity) {
  record("getConfiguration " + std::to_string(capacity) + (buffer[0] == 0 ? " clear" : " dirty"));
  const std::string mode = exportMode();
  if (mode == "empty") return 0;
  if (mode == "full") {
    for (std::int32_t i = 0; i < capacity; ++i) buffer[i] = u'A';
    return 0;
  }
  if (mode.rfind("unterminated:", 0) == 0) {
    const Text path = textFromUtf8(mode.substr(13));
    for (std::int32_t i = 0; i < capacity; ++i) {
      buffer[i] = std::size_t(i) < path.size() ? path[std::size_t(i)] : u'x';
    }
    return 0;
  }
  Text path = WSTR("\\Temp\\CVConfiguration.xml");
  if (mode.rfind("path:", 0) == 0) path = textFromUtf8(mode.substr(5));
  writeDeviceFile(path, "<exported/>");
  textCopy(buffer, std::size_t(capacity), path.c_str());
  return 0;
}
