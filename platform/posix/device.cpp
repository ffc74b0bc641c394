// The emulated device on POSIX: its root folder, device paths, state files and the device lock.
#include "platform/device.h"

#include "platform/posix/device_internal.h"
#include "platform/posix/file_io.h"
#include "platform/posix/registry_store.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace device {
namespace {

constexpr char kRootVariable[] = "QRV_DEVICE_ROOT";

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of `dir` whose name equals `name` without regard to case; an exact match wins.
bool findEntryNoCase(const std::string& dir, const std::string& name, std::string& found) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return false;
  Text wanted = detail::foldText(textFromUtf8(name));
  bool any = false;
  while (struct dirent* entry = ::readdir(d)) {
    std::string candidate = entry->d_name;
    if (candidate == "." || candidate == "..") continue;
    if (candidate == name) {
      found = candidate;
      any = true;
      break;
    }
    if (!any && detail::foldText(textFromUtf8(candidate)) == wanted) {
      found = candidate;
      any = true;
    }
  }
  ::closedir(d);
  return any;
}

// A symbolic link below files/ could point anywhere on the host; it is followed only when
// what it names lies inside files/ (a link that names nothing is refused too).
bool linkStaysInside(const std::string& path, const std::string& filesDir) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
  char* target = ::realpath(path.c_str(), nullptr);
  char* files = ::realpath(filesDir.c_str(), nullptr);
  bool inside = false;
  if (target && files) {
    const std::string t(target), f(files);
    inside = t.size() > f.size() && t.compare(0, f.size(), f) == 0 && t[f.size()] == '/';
  }
  std::free(target);
  std::free(files);
  return inside;
}

// Locks held by this process, by lock-file path. A forked child starts with none of its own.
struct HeldLock {
  int fd = -1;
  int count = 0;
};
struct LockTable {
  std::mutex mutex;
  pid_t owner = 0;
  std::map<std::string, HeldLock> held;
};
LockTable& lockTable() {
  static LockTable table;
  return table;
}
// The lock path each Lock object took, so that it releases the one it holds even when the
// device root changed in between.
std::map<const Lock*, std::string>& lockPaths() {
  static std::map<const Lock*, std::string> paths;
  return paths;
}

}  // namespace

namespace detail {

Text foldText(const Text& s) {
  Text out(s);
  for (auto& c : out) c = textFoldCase(c);
  return out;
}

bool ensureStateDir() {
  std::string root = rootDir();
  std::string state = root + "/state";
  if (isDirectory(state)) return true;
  ::mkdir(root.c_str(), 0755);
  if (::mkdir(state.c_str(), 0755) != 0 && errno != EEXIST) {
    setLastProblem("cannot create the state folder " + state + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

bool appendToStateFile(const std::string& path, const std::string& data) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    setLastProblem("cannot open " + path + ": " + std::strerror(errno));
    return false;
  }
  bool ok = posixio::writeAll(fd, data);
  if (!ok) setLastProblem("cannot write " + path + ": " + std::strerror(errno));
  ::close(fd);
  return ok;
}

bool readStateFile(const std::string& path, std::string& content) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string read;
  bool ok = posixio::readAll(fd, read);
  content += read;
  ::close(fd);
  return ok;
}

}  // namespace detail

std::string rootDir() {
  const char* value = std::getenv(kRootVariable);
  if (value && *value) return value;
  return "device";
}

void setRootDir(const std::string& dir) { ::setenv(kRootVariable, dir.c_str(), 1); }

bool hostPath(const WCHAR* devicePath, std::string& host) {
  // ".." may never leave files/.
  std::vector<std::string> names;
  if (!detail::devicePathNames(devicePath, names)) return false;

  const std::string files = rootDir() + "/files";
  std::string result = files;
  bool existing = isDirectory(result);
  for (const auto& name : names) {
    std::string found;
    if (existing && findEntryNoCase(result, name, found)) {
      result += "/" + found;
      if (!linkStaysInside(result, files)) return false;
      existing = isDirectory(result);
    } else {
      result += "/" + name;
      existing = false;
    }
  }
  host = result;
  return true;
}

std::string statePath(const char* name) {
  // Built in one allocation: the registry asks for its file's path on every call.
  const char* root = std::getenv(kRootVariable);
  if (!root || !*root) root = "device";
  if (!name) name = "";
  std::string path;
  path.reserve(std::strlen(root) + std::strlen(name) + 8);
  path += root;
  path += "/state/";
  path += name;
  return path;
}

bool clearStateFile(const char* name) {
  std::string path = statePath(name);
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  detail::setLastProblem("cannot clear " + path + ": " + std::strerror(errno));
  return false;
}

// The device lock is taken before the registry lock, never after it (registry_store.cpp).
Lock::Lock() {
  if (!detail::ensureStateDir()) return;
  std::string path = statePath("lock");
  LockTable& table = lockTable();
  std::lock_guard<std::mutex> guard(table.mutex);
  if (table.owner != ::getpid()) {
    // Inherited descriptors share the parent's lock: a child must take its own.
    for (auto& entry : table.held) ::close(entry.second.fd);
    table.held.clear();
    lockPaths().clear();
    table.owner = ::getpid();
  }
  HeldLock& held = table.held[path];
  if (held.count == 0) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      detail::setLastProblem("cannot open the device lock " + path + ": " + std::strerror(errno));
      table.held.erase(path);
      return;
    }
    if (!posixio::lockExclusive(fd)) {
      detail::setLastProblem("cannot lock " + path + ": " + std::strerror(errno));
      ::close(fd);
      table.held.erase(path);
      return;
    }
    held.fd = fd;
  }
  ++held.count;
  lockPaths()[this] = path;
  held_ = true;
  // The registry writes made while the lock is held land together when it is let go.
  regstore::beginTransaction();
}

Lock::~Lock() {
  if (!held_) return;
  LockTable& table = lockTable();
  std::lock_guard<std::mutex> guard(table.mutex);
  auto pathEntry = lockPaths().find(this);
  if (pathEntry == lockPaths().end()) return;
  auto entry = table.held.find(pathEntry->second);
  lockPaths().erase(pathEntry);
  if (entry == table.held.end()) return;
  // Committed while the lock is still held, so that the next holder sees the whole call.
  regstore::endTransaction();
  if (--entry->second.count == 0) {
    ::close(entry->second.fd);  // closing the only descriptor releases the lock
    table.held.erase(entry);
  }
}

}  // namespace device
