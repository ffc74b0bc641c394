// The device layer's portable half: device-path splitting, state-file lines, and the device
// lock's bookkeeping (nesting within a process, the registry transaction it spans), each
// target taking and letting go of the system's lock alone.
#include "platform/device_common.h"

#include "platform/device.h"

#include <map>
#include <mutex>

namespace device {
namespace {

// Locks held by this process, by lock-file path, so that a holder may take the lock again.
struct HeldLock {
  detail::LockHandle handle = 0;
  int count = 0;
};
struct LockTable {
  std::mutex mutex;
  unsigned long owner = 0;
  std::map<std::string, HeldLock> held;
};
LockTable& lockTable() {
  static LockTable table;
  return table;
}

}  // namespace

namespace detail {

bool devicePathNames(const WCHAR* devicePath, std::vector<std::string>& names) {
  // The platform never resolves a path that climbs above the root.
  DevicePath split = splitDevicePath(devicePath);
  names.clear();
  if (split.climbsAboveRoot) return false;
  for (const Text& name : split.names) names.push_back(textToUtf8(name.c_str(), name.size()));
  return true;
}

}  // namespace detail

DevicePath splitDevicePath(const WCHAR* path) {
  DevicePath split;
  Text current;
  auto finish = [&] {
    if (current == WSTR("..")) {
      if (split.names.empty()) {
        split.climbsAboveRoot = true;
      } else {
        split.names.pop_back();
      }
    } else if (!current.empty() && current != WSTR(".")) {
      split.names.push_back(current);
    }
    current.clear();
  };
  for (const WCHAR* p = path ? path : WSTR(""); *p != 0; ++p) {
    if (*p == u'\\' || *p == u'/') {
      finish();
    } else {
      current += *p;
    }
  }
  finish();
  return split;
}

Result appendStateLine(const char* name, const std::string& line) {
  Result folder = detail::ensureStateDir();
  if (!folder) return folder;
  // A line break inside would split the entry in two: it becomes a blank.
  std::string whole = line;
  for (auto& c : whole) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  whole += '\n';
  return detail::appendToStateFile(statePath(name), whole);
}

std::vector<std::string> readStateLines(const char* name) {
  std::vector<std::string> lines;
  std::string content;
  if (!detail::readStateFile(statePath(name), content)) return lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The device lock is taken before the registry lock, never after it (registry_store.cpp).
Lock::Lock() {
  status_ = detail::ensureStateDir();
  if (!status_) return;
  std::string path = statePath("lock");
  LockTable& table = lockTable();
  std::lock_guard<std::mutex> guard(table.mutex);
  if (table.owner != detail::currentProcess()) {
    // Inherited handles share the parent's lock: a child must take its own.
    for (auto& entry : table.held) detail::unlockDeviceFile(entry.second.handle);
    table.held.clear();
    table.owner = detail::currentProcess();
  }
  HeldLock& held = table.held[path];
  if (held.count == 0) {
    status_ = detail::lockDeviceFile(path, held.handle);
    if (!status_) {
      table.held.erase(path);
      return;
    }
  }
  ++held.count;
  path_ = path;
  process_ = table.owner;
  // The registry writes made while the lock is held land together when it is let go.
  detail::beginRegistryTransaction();
}

Lock::~Lock() {
  // A forked child's copy of its parent's lock holds nothing.
  if (!held() || process_ != detail::currentProcess()) return;
  LockTable& table = lockTable();
  std::lock_guard<std::mutex> guard(table.mutex);
  auto entry = table.held.find(path_);
  if (entry == table.held.end()) return;
  // Committed while the lock is still held, so that the next holder sees the whole call.
  detail::endRegistryTransaction();
  if (--entry->second.count == 0) {
    detail::unlockDeviceFile(entry->second.handle);
    table.held.erase(entry);
  }
}

}  // namespace device
