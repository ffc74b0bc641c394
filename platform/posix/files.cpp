// Files of the emulated device: device paths mapped below the device root's files/ folder.
#include "platform/files.h"

#include "platform/device.h"
#include "platform/posix/file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

DWORD errorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_WRITE_FAULT;
  }
}

// The host path of a device path; a path that names nothing on the device fails.
bool resolve(LPCWSTR devicePath, std::string& host) {
  if (!devicePath || !device::hostPath(devicePath, host)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  return true;
}

// A missing file in a missing folder is a missing path, as the device reports it.
DWORD missingError(const std::string& host) {
  std::string folder = host.substr(0, host.rfind('/'));
  struct stat st;
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                   : ERROR_PATH_NOT_FOUND;
}

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

bool copyContent(int from, int to) {
  char buffer[65536];
  for (;;) {
    long n = posixio::readSome(from, buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) return true;
    if (!posixio::writeAll(to, buffer, static_cast<std::size_t>(n))) return false;
  }
}

// True when the file at `target` holds exactly what `in` holds (read from its start).
bool sameContent(int in, const struct stat& from, const std::string& target) {
  struct stat st;
  int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == from.st_size;
  std::string mine, theirs;
  if (same) same = posixio::readAll(fd, theirs) && posixio::readAll(in, mine) && mine == theirs;
  ::close(fd);
  ::lseek(in, 0, SEEK_SET);
  return same;
}

}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD error) { lastError = error; }

BOOL CopyFileW(LPCWSTR existingFile, LPCWSTR newFile, BOOL failIfExists) {
  std::string source, target;
  if (!resolve(existingFile, source) || !resolve(newFile, target)) return FALSE;
  // Without O_NONBLOCK, opening a pipe would wait for a writer; it is refused below instead.
  int in = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (in < 0) return fail(errno == ENOENT ? missingError(source) : errorFromErrno(errno));
  struct stat from;
  if (::fstat(in, &from) != 0 || !S_ISREG(from.st_mode)) {
    ::close(in);
    return fail(ERROR_ACCESS_DENIED);
  }
  struct stat to;
  if (::stat(target.c_str(), &to) == 0) {
    // The same file under another spelling: copying would destroy it.
    if ((to.st_dev == from.st_dev && to.st_ino == from.st_ino) || S_ISDIR(to.st_mode)) {
      ::close(in);
      return fail(ERROR_ACCESS_DENIED);
    }
    if (failIfExists) {
      ::close(in);
      return fail(ERROR_FILE_EXISTS);
    }
    // The result would be the same file: nothing is written (flash is spared the write).
    if (sameContent(in, from, target)) {
      ::close(in);
      SetLastError(ERROR_SUCCESS);
      return TRUE;
    }
  }
  // The copy is written beside the target, synced, and renamed into place, so that a reader,
  // or the device after a power cut, sees the old file or the whole new one.
  std::string temporary = target + ".copy-" + std::to_string(::getpid());
  int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                   from.st_mode & 0777);
  if (out < 0) {
    int error = errno;
    ::close(in);
    return fail(error == ENOENT ? ERROR_PATH_NOT_FOUND : errorFromErrno(error));
  }
  bool ok = copyContent(in, out) && ::fsync(out) == 0;
  int error = errno;
  ::close(in);
  ok = ::close(out) == 0 && ok;
  if (ok) {
    // link() refuses an existing target, so a file that appeared meanwhile is kept.
    if (failIfExists) {
      ok = ::link(temporary.c_str(), target.c_str()) == 0;
      error = errno;
      ::unlink(temporary.c_str());
      if (ok) posixio::syncFolder(posixio::folderOf(target));
      if (!ok) return fail(error == EEXIST ? ERROR_FILE_EXISTS : errorFromErrno(error));
      SetLastError(ERROR_SUCCESS);
      return TRUE;
    }
    ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    error = errno;
    if (ok) posixio::syncFolder(posixio::folderOf(target));
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return fail(errorFromErrno(error));
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR file) {
  std::string host;
  if (!resolve(file, host)) return FALSE;
  struct stat st;
  if (::lstat(host.c_str(), &st) != 0) return fail(missingError(host));
  if (S_ISDIR(st.st_mode)) return fail(ERROR_ACCESS_DENIED);
  if (::unlink(host.c_str()) != 0) return fail(errorFromErrno(errno));
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR path) {
  std::string host;
  if (!resolve(path, host)) return INVALID_FILE_ATTRIBUTES;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) {
    SetLastError(missingError(host));
    return INVALID_FILE_ATTRIBUTES;
  }
  return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL CreateDirectoryW(LPCWSTR path, void*) {
  std::string host;
  if (!resolve(path, host)) return FALSE;
  if (::mkdir(host.c_str(), 0755) != 0) {
    return fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : errorFromErrno(errno));
  }
  return TRUE;
}

BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, void* information) {
  if (level != GetFileExInfoStandard || !information) return fail(ERROR_INVALID_PARAMETER);
  std::string host;
  if (!resolve(path, host)) return FALSE;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return fail(missingError(host));
  // 100 ns intervals since 1601, the epoch of the device's file times.
  auto fileTime = [](const struct timespec& t) {
    std::uint64_t ticks = (static_cast<std::uint64_t>(t.tv_sec) + 11644473600ull) * 10000000ull +
                          static_cast<std::uint64_t>(t.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  };
  auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
  const std::uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  data->dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  data->ftCreationTime = fileTime(st.st_ctim);
  data->ftLastAccessTime = fileTime(st.st_atim);
  data->ftLastWriteTime = fileTime(st.st_mtim);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
