// The settings library's stored state as a whole: the one module that knows how the desktop
// settings are laid out in the device registry. The library's operations and the emulator's
// front end both read and write the settings through it.
#pragma once

#include "hzkcore/hzkcore.h"
#include "hzkcore/records.h"
#include "platform/result.h"
#include "platform/text.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The records as the library stores them, with texts of any length; their fields are the
// rows of hzkcore/records.h.
#define QRV_STORED_TEXT(member, ...) Text member;
#define QRV_STORED_NUMBER(member, type, initial, ...) type member = initial;
struct StoredAppEntry {
  QRV_APPLICATION_FIELDS(QRV_STORED_TEXT, QRV_STORED_NUMBER)
};
struct StoredHotkeyEntry {
  QRV_HOTKEY_FIELDS(QRV_STORED_TEXT, QRV_STORED_NUMBER)
};
#undef QRV_STORED_TEXT
#undef QRV_STORED_NUMBER

constexpr std::size_t kStoredErrorPages = kErrorPageCount;

struct DeviceSettings {
  std::map<std::int32_t, std::int32_t> settings;      // numbered settings
  std::map<std::int32_t, std::int32_t> viewSettings;  // numbered view settings
  Text password;
  std::vector<StoredAppEntry> applications;  // stored order, at most kApplicationCapacity
  std::vector<StoredHotkeyEntry> hotkeys;    // stored order, at most kHotkeyCapacity
  // Page texts for ids 60004 to 60016; none until defaults were installed.
  std::optional<std::array<Text, kStoredErrorPages>> errorPages;
};

// What a new device holds (no error-page table yet).
DeviceSettings defaultDeviceSettings();
// The error pages that installing the defaults puts in place.
std::array<Text, kStoredErrorPages> defaultErrorPages();

// Reads everything; a failure saying why (which file, which line) when the registry cannot be
// read. Values that were never stored read as the defaults.
device::Result readDeviceSettings(DeviceSettings& out);
// Replaces everything stored by `in`; a failure saying why when the registry cannot be written.
device::Result writeDeviceSettings(const DeviceSettings& in);

// The same state part by part, so that one operation of the library touches only its own
// values. Reads give the defaults for what was never stored; all give false (with
// device::registryStatus() saying why) when the registry cannot be read or written.
bool readSetting(std::int32_t number, std::int32_t& value);
bool writeSetting(std::int32_t number, std::int32_t value);
bool readViewSetting(std::int32_t number, std::int32_t& value);
bool writeViewSetting(std::int32_t number, std::int32_t value);
bool readPassword(Text& out);
bool writePassword(const Text& in);
bool readApplications(std::vector<StoredAppEntry>& out);
// How many records the read above would give, without reading them.
bool countApplications(std::size_t& count);
// The first kApplicationCapacity are kept.
bool writeApplications(const std::vector<StoredAppEntry>& in);
bool readHotkeys(std::vector<StoredHotkeyEntry>& out);
bool countHotkeys(std::size_t& count);
// The first kHotkeyCapacity are kept.
bool writeHotkeys(const std::vector<StoredHotkeyEntry>& in);
bool readErrorPages(std::optional<std::array<Text, kStoredErrorPages>>& out);
// No table removes the stored one.
bool writeErrorPages(const std::optional<std::array<Text, kStoredErrorPages>>& in);
