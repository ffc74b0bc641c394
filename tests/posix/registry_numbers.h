// Numbers below one key of HKEY_CURRENT_USER, for the tests that watch the registry file from
// several processes.
#pragma once

#include "platform/registry.h"

inline LONG setNumber(const WCHAR* keyName, const WCHAR* name, DWORD number) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4);
  RegCloseKey(key);
  return status;
}

inline LONG getNumber(const WCHAR* keyName, const WCHAR* name, DWORD& number) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key);
  if (status != ERROR_SUCCESS) return status;
  DWORD size = 4;
  status = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size);
  RegCloseKey(key);
  return status;
}
