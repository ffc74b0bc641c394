// The settings library's stored state as a whole: the one module that knows how the desktop
// settings are laid out in the device registry. The library's operations and the emulator's
// front end both read and write the settings through it.
#pragma once

#include "platform/result.h"
#include "platform/text.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct StoredApplication {
  Text title, executable, arguments, iconFile;
  std::int32_t runAtStartup = 0;
  std::int32_t startupDelay = 0;
};

struct StoredHotkey {
  std::uint32_t keyCode = 0;
  std::uint32_t modifiers = 0;
  std::int32_t action = 6;
  std::int32_t data = 0;
  Text application, arguments;
};

constexpr std::size_t kStoredErrorPages = 13;
// The most records the library keeps; longer lists are cut when they are stored.
constexpr std::size_t kStoredApplicationCapacity = 20;
constexpr std::size_t kStoredHotkeyCapacity = 100;

struct DeviceSettings {
  std::map<std::int32_t, std::int32_t> settings;      // numbered settings
  std::map<std::int32_t, std::int32_t> viewSettings;  // numbered view settings
  Text password;
  std::vector<StoredApplication> applications;  // stored order, at most 20
  std::vector<StoredHotkey> hotkeys;            // stored order
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
bool readApplications(std::vector<StoredApplication>& out);
// How many records the read above would give, without reading them.
bool countApplications(std::size_t& count);
bool writeApplications(const std::vector<StoredApplication>& in);  // the first 20 are kept
bool readHotkeys(std::vector<StoredHotkey>& out);
bool countHotkeys(std::size_t& count);
bool writeHotkeys(const std::vector<StoredHotkey>& in);  // the first 100 are kept
bool readErrorPages(std::optional<std::array<Text, kStoredErrorPages>>& out);
// No table removes the stored one.
bool writeErrorPages(const std::optional<std::array<Text, kStoredErrorPages>>& in);
