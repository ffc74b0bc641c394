// Dynamic loading of the device's libraries, by device path, and of their entry points.
#pragma once

#include "platform/text.h"

#if !defined(_WIN32)
typedef struct HINSTANCE__* HMODULE;
typedef void (*FARPROC)();

// Null when the library cannot be loaded (GetLastError says why).
HMODULE LoadLibraryW(LPCWSTR devicePath);
// Null when the library has no entry point of that name.
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);
#endif
