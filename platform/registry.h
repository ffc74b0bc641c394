// The registry: keys below two roots, holding string, number and binary values.
#pragma once

#include "platform/text.h"

#if !defined(_WIN32)
typedef struct HKEY__* HKEY;

#define HKEY_CURRENT_USER ((HKEY)(std::uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(std::uintptr_t)0x80000002u)

#define REG_NONE 0
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

// Key paths separate their parts with backslashes. Key and value names match without regard
// to letter case and keep the case they were created with. The empty value name is the key's
// default value. Results are the platform's: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a key or
// value that is not there, ERROR_MORE_DATA when the buffer is too small (the size then says
// how much is needed), ERROR_ACCESS_DENIED when the key was opened without the access a call
// needs (reading and enumerating values: KEY_QUERY_VALUE; enumerating subkeys:
// KEY_ENUMERATE_SUB_KEYS; changing values: KEY_SET_VALUE), ERROR_BADDB when the stored registry
// cannot be read.
LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                     REGSAM access, void* security, HKEY* result, DWORD* disposition);
LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* result);
// data may be null to ask only for the type and size. REG_SZ sizes count the terminator.
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size);
LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Deletes a key that has no subkeys.
LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);
// Enumerates value names in stored order; ERROR_NO_MORE_ITEMS past the last.
LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved,
                   DWORD* type, BYTE* data, DWORD* size);
// Enumerates the names of a key's subkeys in stored order; ERROR_NO_MORE_ITEMS past the last,
// ERROR_MORE_DATA when the name does not fit (nameLength counts units without the terminator).
// keyClass, classLength and lastWriteTime may be null.
LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved,
                   LPWSTR keyClass, DWORD* classLength, void* lastWriteTime);
LONG RegCloseKey(HKEY key);
// Makes every change made so far durable.
LONG RegFlushKey(HKEY key);

#define ERROR_NO_MORE_ITEMS 259L
#endif
