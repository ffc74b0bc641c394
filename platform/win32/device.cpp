// The device on Windows: the machine itself. Its root is the system drive's root, its state
// files live in \QRVState, and the device-wide lock is a byte-range lock on \QRVState\lock.
#include "platform/device.h"

#include "platform/device_common.h"

#include <windows.h>

#include <map>
#include <mutex>

namespace device {
namespace {

constexpr wchar_t kRootVariable[] = L"QRV_DEVICE_ROOT";
constexpr char kStateFolder[] = "QRVState";

using detail::setLastProblem;

std::wstring wide(const std::string& utf8) { return textFromUtf8(utf8); }

// The system's message for an error code, on one line.
std::string systemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = length ? textToUtf8(buffer, length) : std::string();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return "error " + std::to_string(code) + (text.empty() ? "" : " (" + text + ")");
}

std::string environmentText(const wchar_t* name) {
  DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return std::string();
  std::wstring value(needed, L'\0');
  DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
  if (length == 0 || length >= needed) return std::string();
  value.resize(length);
  return textToUtf8(value.c_str(), value.size());
}

std::string withSeparator(std::string dir) {
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
  return dir;
}

// Opens a state file for one operation; the others may read, write and delete it meanwhile.
HANDLE openShared(const std::string& path, DWORD access, DWORD disposition) {
  return CreateFileW(wide(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Locks held by this process, by lock-file path, so that a holder may take the lock again.
struct HeldLock {
  HANDLE file = INVALID_HANDLE_VALUE;
  int count = 0;
};
struct LockTable {
  std::mutex mutex;
  std::map<std::string, HeldLock> held;
  std::map<const Lock*, std::string> paths;
};
LockTable& lockTable() {
  static LockTable table;
  return table;
}

}  // namespace

namespace detail {

bool ensureStateDir() {
  std::string state = withSeparator(rootDir()) + kStateFolder;
  DWORD attributes = GetFileAttributesW(wide(state).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  if (!CreateDirectoryW(wide(state).c_str(), nullptr) &&
      GetLastError() != ERROR_ALREADY_EXISTS) {
    setLastProblem("cannot create the state folder " + state + ": " +
                   systemMessage(GetLastError()));
    return false;
  }
  return true;
}

bool appendToStateFile(const std::string& path, const std::string& data) {
  // Appending access alone: every write lands at the end, whoever else is writing.
  HANDLE file = openShared(path, FILE_APPEND_DATA, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) {
    setLastProblem("cannot open " + path + ": " + systemMessage(GetLastError()));
    return false;
  }
  DWORD written = 0;
  bool ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
            written == data.size();
  if (!ok) setLastProblem("cannot write " + path + ": " + systemMessage(GetLastError()));
  CloseHandle(file);
  return ok;
}

bool readStateFile(const std::string& path, std::string& content) {
  HANDLE file = openShared(path, GENERIC_READ, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[8192];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    content.append(buffer, got);
  }
  CloseHandle(file);
  return true;
}

}  // namespace detail

std::string rootDir() {
  std::string chosen = environmentText(kRootVariable);
  if (!chosen.empty()) return chosen;
  std::string drive = environmentText(L"SystemDrive");
  return (drive.empty() ? std::string("C:") : drive) + "\\";
}

void setRootDir(const std::string& dir) {
  SetEnvironmentVariableW(kRootVariable, dir.empty() ? nullptr : wide(dir).c_str());
}

bool hostPath(const WCHAR* devicePath, std::string& host) {
  // The system matches names without regard to case itself; only "." and ".." are settled
  // here, so that no device path climbs above the root.
  std::vector<std::string> names;
  if (!detail::devicePathNames(devicePath, names)) return false;
  std::string result = rootDir();
  while (result.size() > 1 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
  if (names.empty()) {
    host = withSeparator(result);
    return true;
  }
  for (const auto& name : names) result += "\\" + name;
  host = result;
  return true;
}

std::string statePath(const char* name) {
  return withSeparator(rootDir()) + kStateFolder + "\\" + (name ? name : "");
}

bool clearStateFile(const char* name) {
  std::string path = statePath(name);
  if (DeleteFileW(wide(path).c_str())) return true;
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
  setLastProblem("cannot clear " + path + ": " + systemMessage(error));
  return false;
}

Lock::Lock() {
  if (!detail::ensureStateDir()) return;
  std::string path = statePath("lock");
  LockTable& table = lockTable();
  std::lock_guard<std::mutex> guard(table.mutex);
  HeldLock& held = table.held[path];
  if (held.count == 0) {
    HANDLE file = openShared(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
      setLastProblem("cannot open the device lock " + path + ": " +
                     systemMessage(GetLastError()));
      table.held.erase(path);
      return;
    }
    OVERLAPPED at = {};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
      setLastProblem("cannot lock " + path + ": " + systemMessage(GetLastError()));
      CloseHandle(file);
      table.held.erase(path);
      return;
    }
    held.file = file;
  }
  ++held.count;
  table.paths[this] = path;
  held_ = true;
}

Lock::~Lock() {
  if (!held_) return;
  LockTable& table = lockTable();
  std::lock_guard<std::mutex> guard(table.mutex);
  auto pathEntry = table.paths.find(this);
  if (pathEntry == table.paths.end()) return;
  auto entry = table.held.find(pathEntry->second);
  table.paths.erase(pathEntry);
  if (entry == table.held.end()) return;
  if (--entry->second.count == 0) {
    OVERLAPPED at = {};
    UnlockFileEx(entry->second.file, 0, 1, 0, &at);
    CloseHandle(entry->second.file);
    table.held.erase(entry);
  }
}

}  // namespace device
