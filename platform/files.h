// Files of the device, named by device paths such as "\Windows\QRVConfig.dll".
#pragma once

#include "platform/text.h"

#if !defined(_WIN32)
#define INVALID_FILE_ATTRIBUTES ((DWORD)0xFFFFFFFF)
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_NORMAL 0x80

// Copies a file, replacing the target unless failIfExists. A file is never copied onto itself.
BOOL CopyFileW(LPCWSTR existingFile, LPCWSTR newFile, BOOL failIfExists);
BOOL DeleteFileW(LPCWSTR file);
// INVALID_FILE_ATTRIBUTES when the path names nothing.
DWORD GetFileAttributesW(LPCWSTR path);

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};
enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };
// The attributes, times (100 ns since 1601) and size of a file; FALSE when the path names
// nothing. `information` is a WIN32_FILE_ATTRIBUTE_DATA.
BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, void* information);
BOOL CreateDirectoryW(LPCWSTR path, void* security);
// The reason for the last failure of a platform call on this thread.
DWORD GetLastError();
void SetLastError(DWORD error);

#define ERROR_FILE_EXISTS 80L
#define ERROR_ALREADY_EXISTS 183L
#endif
