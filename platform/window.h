// Top-level windows of the device, found by class and title, and the messages sent to them.
#pragma once

#include "platform/text.h"

#if !defined(_WIN32)
typedef struct HWND__* HWND;

#define WM_USER 0x0400
#define SMTO_NORMAL 0x0000
#define SMTO_ABORTIFHUNG 0x0002

// The first top-level window whose class and title both match (either may be null for any).
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// As SendMessageW, giving up on a window that does not answer within timeout milliseconds.
LRESULT SendMessageTimeoutW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeout, std::uintptr_t* result);
#endif
