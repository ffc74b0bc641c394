// The settings library's interface: the records it exchanges as raw memory, and its
// operations (exported by ordinal on the device; the ordinal is given with each).
#pragma once

#include "platform/export.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdint>

// One launcher application. Its fields are the rows of hzkcore/records.h; the layout is the
// library's and stays as it is, byte for byte.
struct AppEntry {
  std::int32_t index;      // position in the table, set before every call
  WCHAR title[255];        // "Application Title"; an empty title marks an empty record
  WCHAR executable[260];
  WCHAR arguments[260];
  WCHAR iconFile[260];
  std::int32_t startupDelay;  // seconds
  std::int32_t runAtStartup;
};

// One hotkey; its fields are the rows of hzkcore/records.h.
struct HotkeyEntry {
  std::int32_t index;
  std::uint32_t keyCode;    // virtual-key code; 0 marks an empty record
  std::uint32_t modifiers;  // 1 = Alt, 2 = Ctrl
  std::int32_t action;      // action code, such as kNoAction or kLaunchConfigAction
  std::int32_t data;        // the library's own, carried unchanged
  WCHAR application[260];
  WCHAR arguments[260];
};

// One browser error-redirection page. The first bytes belong to the library and are handed
// back unchanged.
struct ErrorPageEntry {
  BYTE serviceData[524];
  WCHAR page[260];
};

// The administrator password's capacity, terminator included: GetPassword is handed a buffer
// of this many units, so a longer password could not be read back whole.
constexpr std::size_t kPasswordCapacity = 260;

constexpr int kErrorPageCount = 13;
struct ErrorPageTable {
  ErrorPageEntry entries[kErrorPageCount];
};

static_assert(sizeof(WCHAR) == 2, "text is UTF-16");
static_assert(sizeof(AppEntry) == 2084, "AppEntry layout");
static_assert(offsetof(AppEntry, title) == 4, "AppEntry layout");
static_assert(offsetof(AppEntry, executable) == 514, "AppEntry layout");
static_assert(offsetof(AppEntry, arguments) == 1034, "AppEntry layout");
static_assert(offsetof(AppEntry, iconFile) == 1554, "AppEntry layout");
static_assert(offsetof(AppEntry, startupDelay) == 2076, "AppEntry layout");
static_assert(offsetof(AppEntry, runAtStartup) == 2080, "AppEntry layout");
static_assert(sizeof(HotkeyEntry) == 1060, "HotkeyEntry layout");
static_assert(offsetof(HotkeyEntry, keyCode) == 4, "HotkeyEntry layout");
static_assert(offsetof(HotkeyEntry, modifiers) == 8, "HotkeyEntry layout");
static_assert(offsetof(HotkeyEntry, action) == 12, "HotkeyEntry layout");
static_assert(offsetof(HotkeyEntry, data) == 16, "HotkeyEntry layout");
static_assert(offsetof(HotkeyEntry, application) == 20, "HotkeyEntry layout");
static_assert(offsetof(HotkeyEntry, arguments) == 540, "HotkeyEntry layout");
static_assert(sizeof(ErrorPageEntry) == 1044, "ErrorPageEntry layout");
static_assert(offsetof(ErrorPageEntry, page) == 524, "ErrorPageEntry layout");
static_assert(sizeof(ErrorPageTable) == 13572, "ErrorPageTable layout");

// The library's operations. The last argument `flag` is always 1. Counts and numbers are
// signed 32-bit.
QRV_EXPORT std::int32_t GetApplicationCount();                                   // 1
QRV_EXPORT std::int32_t GetApplications(AppEntry* entries, std::int32_t count);  // 2
QRV_EXPORT std::int32_t GetSetting(std::int32_t number, std::int32_t flag);      // 4
QRV_EXPORT std::int32_t GetHotkeyCount();                                        // 6
QRV_EXPORT std::int32_t GetHotkeys(HotkeyEntry* entries, std::int32_t count,
                                   std::int32_t flag);                              // 7
QRV_EXPORT std::int32_t GetPassword(WCHAR* buffer, std::int32_t capacity);         // 8
QRV_EXPORT std::int32_t ReadErrorPageTable(ErrorPageTable* table);                 // 9
QRV_EXPORT std::int32_t GetViewSetting(std::int32_t number, std::int32_t flag);    // 10
QRV_EXPORT std::int32_t InstallDefaults();                                         // 11
QRV_EXPORT std::int32_t SetApplications(const AppEntry* entries, std::int32_t count);  // 12
QRV_EXPORT std::int32_t SetHotkeys(const HotkeyEntry* entries, std::int32_t count);    // 13
QRV_EXPORT std::int32_t SetPassword(const WCHAR* password);                            // 14
QRV_EXPORT std::int32_t WriteErrorPageTable(const ErrorPageTable* table);              // 15
QRV_EXPORT std::int32_t SetViewSetting(std::int32_t number, std::int32_t value,
                                       std::int32_t flag);  // 16
QRV_EXPORT std::int32_t SetSetting(std::int32_t number, std::int32_t value,
                                   std::int32_t flag);  // 18
