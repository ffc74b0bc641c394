// Dynamic loading on the emulated device: a device library is a shared object of the host.
#include "platform/library.h"

#include "platform/device.h"
#include "platform/files.h"
#include "platform/posix/device_internal.h"

#include <cstring>
#include <dlfcn.h>
#include <string>

HMODULE LoadLibraryW(LPCWSTR devicePath) {
  std::string host;
  if (!devicePath || !device::hostPath(devicePath, host)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  void* handle = ::dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    ::dlerror();  // the loader's text is not kept: the code is the Win32 contract's answer
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return static_cast<HMODULE>(handle);
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (!module || !name) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ::dlerror();
  void* symbol = ::dlsym(module, name);
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  // Function and object pointers share one representation on every POSIX target.
  FARPROC entry;
  static_assert(sizeof entry == sizeof symbol, "function pointers are object-sized");
  std::memcpy(&entry, &symbol, sizeof entry);
  return entry;
}

BOOL FreeLibrary(HMODULE module) {
  if (!module || ::dlclose(module) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
