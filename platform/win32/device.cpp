// The device on Windows: the machine itself. Its root is the system drive's root, its state
// files live in \QRVState, and the device-wide lock is a byte-range lock on \QRVState\lock
// (device_common.cpp keeps its bookkeeping).
#include "platform/device.h"

#include "platform/device_common.h"

#include <windows.h>


namespace device {
namespace {

constexpr wchar_t kRootVariable[] = L"QRV_DEVICE_ROOT";
constexpr char kStateFolder[] = "QRVState";

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

}  // namespace

namespace detail {

Result ensureStateDir() {
  std::string state = withSeparator(rootDir()) + kStateFolder;
  DWORD attributes = GetFileAttributesW(wide(state).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return Result();
  }
  if (!CreateDirectoryW(wide(state).c_str(), nullptr) &&
      GetLastError() != ERROR_ALREADY_EXISTS) {
    return Result::failure("cannot create the state folder " + state + ": " +
                           systemMessage(GetLastError()));
  }
  return Result();
}

Result appendToStateFile(const std::string& path, const std::string& data) {
  // Appending access alone: every write lands at the end, whoever else is writing.
  HANDLE file = openShared(path, FILE_APPEND_DATA, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) {
    return Result::failure("cannot open " + path + ": " + systemMessage(GetLastError()));
  }
  DWORD written = 0;
  Result appended;
  if (!WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) ||
      written != data.size()) {
    appended = Result::failure("cannot write " + path + ": " + systemMessage(GetLastError()));
  }
  CloseHandle(file);
  return appended;
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

Result lockDeviceFile(const std::string& path, LockHandle& handle) {
  HANDLE file = openShared(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) {
    return Result::failure("cannot open the device lock " + path + ": " +
                           systemMessage(GetLastError()));
  }
  OVERLAPPED at = {};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
    Result failed = Result::failure("cannot lock " + path + ": " + systemMessage(GetLastError()));
    CloseHandle(file);
    return failed;
  }
  handle = reinterpret_cast<LockHandle>(file);
  return Result();
}

void unlockDeviceFile(LockHandle handle) {
  HANDLE file = reinterpret_cast<HANDLE>(handle);
  OVERLAPPED at = {};
  UnlockFileEx(file, 0, 1, 0, &at);
  CloseHandle(file);
}

unsigned long currentProcess() { return GetCurrentProcessId(); }

// The system's registry makes each write durable itself: a device call has no transaction.
void beginRegistryTransaction() {}
void endRegistryTransaction() {}

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

Result clearStateFile(const char* name) {
  std::string path = statePath(name);
  if (DeleteFileW(wide(path).c_str())) return Result();
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Result();
  return Result::failure("cannot clear " + path + ": " + systemMessage(error));
}

// The system explains a failed registry call through its code alone.
Result registryStatus() { return Result(); }

}  // namespace device
