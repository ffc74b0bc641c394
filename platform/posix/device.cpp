// The emulated device on POSIX: its root folder, device paths, state files, and the device
// lock's descriptor (device_common.cpp keeps its bookkeeping).
#include "platform/device.h"

#include "platform/posix/device_internal.h"
#include "platform/posix/file_io.h"
#include "platform/posix/registry_store.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
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

}  // namespace

namespace detail {

Text foldText(const Text& s) {
  Text out(s);
  for (auto& c : out) c = textFoldCase(c);
  return out;
}

Result ensureStateDir() {
  std::string root = rootDir();
  std::string state = root + "/state";
  if (isDirectory(state)) return Result();
  ::mkdir(root.c_str(), 0755);
  if (::mkdir(state.c_str(), 0755) != 0 && errno != EEXIST) {
    return Result::failure("cannot create the state folder " + state + ": " +
                           std::strerror(errno));
  }
  return Result();
}

Result appendToStateFile(const std::string& path, const std::string& data) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return Result::failure("cannot open " + path + ": " + std::strerror(errno));
  Result written;
  if (!posixio::writeAll(fd, data)) {
    written = Result::failure("cannot write " + path + ": " + std::strerror(errno));
  }
  ::close(fd);
  return written;
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

Result lockDeviceFile(const std::string& path, LockHandle& handle) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    return Result::failure("cannot open the device lock " + path + ": " + std::strerror(errno));
  }
  if (!posixio::lockExclusive(fd)) {
    Result failed = Result::failure("cannot lock " + path + ": " + std::strerror(errno));
    ::close(fd);
    return failed;
  }
  handle = fd;
  return Result();
}

// Closing the only descriptor releases the lock; an inherited copy leaves the parent's.
void unlockDeviceFile(LockHandle handle) { ::close(static_cast<int>(handle)); }

unsigned long currentProcess() { return static_cast<unsigned long>(::getpid()); }

void beginRegistryTransaction() { regstore::beginTransaction(); }
void endRegistryTransaction() { regstore::endTransaction(); }

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

Result clearStateFile(const char* name) {
  std::string path = statePath(name);
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return Result();
  return Result::failure("cannot clear " + path + ": " + std::strerror(errno));
}

}  // namespace device
