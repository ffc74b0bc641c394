// Marks the functions a device library exports by name, undecorated.
#pragma once

#if defined(_WIN32)
#define QRV_EXPORT extern "C" __declspec(dllexport)
#else
#define QRV_EXPORT extern "C" __attribute__((visibility("default")))
#endif
