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
BOOL CreateDirectoryW(LPCWSTR path, void* security);
// The reason for the last failure of a platform call on this thread.
DWORD GetLastError();
void SetLastError(DWORD error);

#define ERROR_FILE_EXISTS 80L
#define ERROR_ALREADY_EXISTS 183L
#endif
