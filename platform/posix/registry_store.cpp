// The registry file of the emulated device: the cache of its parsed tree, the transaction of a
// device call, and the durable replace (write a new file, sync it, rename it over the old one,
// sync the folder) through which every change reaches it.
//
// Locks, always in this order: the device lock (state/lock, held for a whole device call),
// then the registry lock (state/registry.lock, held for one replace outside a transaction, or
// from a transaction's first write to its end). Readers take neither: they read whichever
// whole file the last rename left, so other processes see a transaction only once it commits.
#include "platform/posix/registry_store.h"

#include "platform/device.h"
#include "platform/posix/device_internal.h"
#include "platform/posix/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace regstore {
namespace {

struct Store {
  std::mutex mutex;
  pid_t owner = 0;

  // What this process knows of the file. The parsed tree is reused while the file is the same
  // file: the descriptor kept open pins its inode, so a new file can never take its identity,
  // and every writer replaces the file instead of changing it in place.
  std::string path;
  bool valid = false;
  bool missing = false;
  int fd = -1;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  struct timespec mtime = {0, 0};
  regfile::Tree tree;

  // The transaction: its nesting depth, the registry lock it holds once it has written
  // (-1: none yet), the file that lock guards, and whether the tree holds uncommitted writes.
  int depth = 0;
  bool fresh = false;  // the cache was checked against the file during this transaction
  int lockFd = -1;
  std::string lockedPath;
  bool dirty = false;

  std::function<Fault(Step)> faultHook;

  // What is wrong with the registry as this process last found it (device::registryStatus);
  // empty once the file was read or written whole.
  std::string problem;

  void dropCache() {
    if (fd >= 0) ::close(fd);
    fd = -1;
    valid = false;
    missing = false;
    tree = regfile::Tree();
  }
};

Store& store() {
  static Store* instance = new Store;  // lives until the process ends
  return *instance;
}

// A forked child shares the parent's descriptors, the registry lock's included: it starts
// with nothing of its own (closing its copies leaves the parent's lock in place).
void adopt(Store& s) {
  if (s.owner == ::getpid()) return;
  if (s.lockFd >= 0) ::close(s.lockFd);
  s.lockFd = -1;
  s.lockedPath.clear();
  s.depth = 0;
  s.dirty = false;
  s.dropCache();
  s.owner = ::getpid();
}

std::string registryPath() { return device::statePath("registry.reg"); }

bool sameFile(const Store& s, const struct stat& st) {
  return s.dev == st.st_dev && s.ino == st.st_ino && s.size == st.st_size &&
         s.mtime.tv_sec == st.st_mtim.tv_sec && s.mtime.tv_nsec == st.st_mtim.tv_nsec;
}

void remember(Store& s, int fd, const struct stat& st) {
  if (s.fd >= 0 && s.fd != fd) ::close(s.fd);
  s.fd = fd;
  s.dev = st.st_dev;
  s.ino = st.st_ino;
  s.size = st.st_size;
  s.mtime = st.st_mtim;
  s.valid = true;
  s.missing = false;
  s.problem.clear();
}

LONG badFile(Store& s, const std::string& problem) {
  s.problem = problem;
  s.dropCache();
  return ERROR_BADDB;
}

// A file of no bytes, or one whose last line has no end, is what a cut-off write leaves: it
// is refused, never taken for an empty or a smaller registry.
bool cutShort(const std::string& path, const std::string& content, std::string& problem) {
  if (content.empty()) {
    problem = path + ":1: the file is empty (it was cut off): a registry file holds at least "
                     "its header line";
    return true;
  }
  if (content.back() != '\n') {
    int line = 1;
    for (char c : content) line += c == '\n';
    problem = path + ":" + std::to_string(line) + ": the file ends inside a line (it was cut off)";
    return true;
  }
  return false;
}

// Compares the cache with the file at `path` and reads the file again when it is another.
LONG checkFile(Store& s, const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) {
      if (!(s.valid && s.missing)) {
        s.dropCache();
        s.valid = true;
        s.missing = true;
        s.problem.clear();
      }
      return ERROR_SUCCESS;
    }
    return badFile(s, path + ": " + std::strerror(errno));
  }
  if (s.valid && !s.missing && sameFile(s, st)) return ERROR_SUCCESS;

  s.dropCache();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  std::string content;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !posixio::readAll(fd, content)) {
    std::string problem = path + ": cannot be read: " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return badFile(s, problem);
  }
  std::string problem;
  regfile::ParseError error;
  if (cutShort(path, content, problem)) {
    ::close(fd);
    return badFile(s, problem);
  }
  if (!regfile::parse(content, s.tree, error)) {
    ::close(fd);
    return badFile(s, path + ":" + std::to_string(error.line) + ": " + error.message);
  }
  remember(s, fd, st);
  return ERROR_SUCCESS;
}

// Brings the cache up to date with the file; ERROR_BADDB when the file cannot be read. Inside
// a transaction the file is looked at once: the call reads one state of the registry (its
// own writes included), and its first write looks again, under the registry lock.
LONG load(Store& s, bool again = false) {
  std::string path = registryPath();
  if (s.path != path) {
    s.dropCache();
    s.path = path;
    s.problem.clear();  // what was wrong was another device's file
  }
  // Under the registry lock nobody else replaces the file.
  if (s.valid && s.lockFd >= 0 && s.lockedPath == path) return ERROR_SUCCESS;
  if (s.valid && s.depth > 0 && s.fresh && !again) return ERROR_SUCCESS;
  LONG status = checkFile(s, path);
  s.fresh = status == ERROR_SUCCESS && s.depth > 0;
  return status;
}

Fault faultAt(const Store& s, Step step) { return s.faultHook ? s.faultHook(step) : Fault::None; }

// What a crash leaves in this process: nothing. The files stay as they are.
void forgetAll(Store& s) {
  if (s.lockFd >= 0) ::close(s.lockFd);
  s.lockFd = -1;
  s.lockedPath.clear();
  s.dirty = false;
  s.dropCache();
}

LONG writeFault(Store& s, const std::string& path, int error) {
  s.problem = path + ": cannot be written: " + std::strerror(error);
  s.dropCache();  // the tree holds a change the file does not
  return ERROR_WRITE_FAULT;
}

// Writes the tree to a new file and puts it durably in place of the old one.
LONG replace(Store& s) {
  const std::string path = registryPath();
  const std::string temporary = path + ".new";
  const std::string text = regfile::serialize(s.tree);
  int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return writeFault(s, path, errno);
  Fault fault = faultAt(s, Step::Write);
  bool written = fault == Fault::None && posixio::writeAll(fd, text) && ::fsync(fd) == 0;
  struct stat st;
  if (written) written = ::fstat(fd, &st) == 0;
  int error = fault == Fault::None ? errno : EIO;
  if (fault == Fault::Stop) {
    ::close(fd);
    forgetAll(s);
    return ERROR_WRITE_FAULT;
  }
  if (written) {
    fault = faultAt(s, Step::Rename);
    if (fault == Fault::Stop) {
      ::close(fd);
      forgetAll(s);
      return ERROR_WRITE_FAULT;
    }
    written = fault == Fault::None && ::rename(temporary.c_str(), path.c_str()) == 0;
    error = fault == Fault::None ? errno : EIO;
  }
  if (!written) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return writeFault(s, path, error);
  }
  fault = faultAt(s, Step::Renamed);
  if (fault == Fault::Stop) {
    ::close(fd);
    forgetAll(s);
    return ERROR_WRITE_FAULT;
  }
  // The rename lives in the folder: until the folder is synced, a power cut may undo it.
  if (fault == Fault::Fail || !posixio::syncFolder(posixio::folderOf(path))) {
    error = fault == Fault::None ? errno : EIO;
    remember(s, fd, st);  // the new file is in place and is what later reads see
    s.problem = path + ": cannot be made durable: " + std::strerror(error);
    return ERROR_WRITE_FAULT;
  }
  remember(s, fd, st);
  return ERROR_SUCCESS;
}

// Opens and takes the registry lock; -1 when it cannot be had.
int takeRegistryLock(Store& s) {
  device::Result folder = device::detail::ensureStateDir();
  if (!folder) {
    s.problem = folder.problem();
    return -1;
  }
  std::string path = device::statePath("registry.lock");
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    s.problem = path + ": " + std::strerror(errno);
    return -1;
  }
  if (!posixio::lockExclusive(fd)) {
    s.problem = path + ": cannot be locked: " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

// Commits the transaction's writes, keeping its lock.
LONG commit(Store& s) {
  if (!s.dirty) return ERROR_SUCCESS;
  s.dirty = false;
  return replace(s);  // a failed replace drops the writes with the cache
}

void releaseLock(Store& s) {
  if (s.lockFd >= 0) ::close(s.lockFd);  // closing the only descriptor releases the lock
  s.lockFd = -1;
  s.lockedPath.clear();
}

// Makes the transaction hold the registry lock of the current device, with the cache fresh.
LONG holdLock(Store& s) {
  const std::string path = registryPath();
  if (s.lockFd >= 0 && s.lockedPath == path) return load(s);
  if (s.lockFd >= 0) {
    // The device root moved during the transaction: what was written belongs to the old one.
    commit(s);
    releaseLock(s);
  }
  s.lockFd = takeRegistryLock(s);
  if (s.lockFd < 0) return ERROR_WRITE_FAULT;
  s.lockedPath = path;
  LONG status = load(s, true);
  if (status != ERROR_SUCCESS) releaseLock(s);
  return status;
}

}  // namespace

LONG read(const std::function<LONG(regfile::Tree&)>& read) {
  Store& s = store();
  std::lock_guard<std::mutex> guard(s.mutex);
  adopt(s);
  LONG status = load(s);
  if (status != ERROR_SUCCESS) return status;
  return read(s.tree);
}

LONG change(const std::function<LONG(regfile::Tree&, bool&)>& change) {
  Store& s = store();
  std::lock_guard<std::mutex> guard(s.mutex);
  adopt(s);
  if (s.depth > 0) {
    LONG status = holdLock(s);
    if (status != ERROR_SUCCESS) return status;
    bool changed = false;
    status = change(s.tree, changed);
    if (changed) s.dirty = true;
    return status;
  }
  // A write of its own: the lock for one replace.
  int lockFd = takeRegistryLock(s);
  if (lockFd < 0) return ERROR_WRITE_FAULT;
  LONG status = load(s);
  if (status == ERROR_SUCCESS) {
    bool changed = false;
    status = change(s.tree, changed);
    if (changed) {
      LONG saved = replace(s);
      if (saved != ERROR_SUCCESS) status = saved;
    }
  }
  ::close(lockFd);
  return status;
}

LONG flush() {
  Store& s = store();
  std::lock_guard<std::mutex> guard(s.mutex);
  adopt(s);
  LONG status = load(s);
  if (status != ERROR_SUCCESS) return status;
  return commit(s);
}

void beginTransaction() {
  Store& s = store();
  std::lock_guard<std::mutex> guard(s.mutex);
  adopt(s);
  if (s.depth++ == 0) s.fresh = false;
}

void endTransaction() {
  Store& s = store();
  std::lock_guard<std::mutex> guard(s.mutex);
  adopt(s);
  if (s.depth == 0) return;
  if (--s.depth > 0) return;
  commit(s);
  releaseLock(s);
  s.fresh = false;
}

void setFaultHook(std::function<Fault(Step)> hook) {
  Store& s = store();
  std::lock_guard<std::mutex> guard(s.mutex);
  s.faultHook = std::move(hook);
}

}  // namespace regstore

namespace device {

Result registryStatus() {
  regstore::Store& s = regstore::store();
  std::lock_guard<std::mutex> guard(s.mutex);
  if (s.problem.empty() || s.owner != ::getpid()) return Result();
  return Result::failure(s.problem);
}

}  // namespace device
