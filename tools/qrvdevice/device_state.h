// The whole observable state of an emulated device: the settings, the registry values beside
// them, the windows that exist, and what the last run left in the journals and report log.
#pragma once

#include "hzkcore/device_settings.h"
#include "tools/qrvdevice/registry_values.h"

#include <cstdint>
#include <string>
#include <vector>

struct DeviceWindow {
  std::string className;  // UTF-8
  std::string title;
};

struct SentMessage {
  std::string className;
  std::string title;
  std::uint32_t message = 0;
  std::uint64_t wParam = 0;
  std::int64_t lParam = 0;
};

struct ReportEntry {
  std::string call;
  std::string file;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
};

// The part of the state that `load` sets.
struct LoadableState {
  DeviceSettings settings;
  RegistryValue configFiltersOff;
  RegistryValue packageRoot;
  std::vector<DeviceWindow> windows;
};

struct DeviceState : LoadableState {
  std::vector<SentMessage> messages;
  std::vector<std::string> calls;
  std::vector<ReportEntry> report;
};

// Names of the emulator's state files.
extern const char kCallsJournal[];
extern const char kMessagesJournal[];
extern const char kReportLog[];
extern const char kWindowsFile[];

// The package root a new device gets: "\Program Files\Agent".
std::string defaultPackageRoot();

// What `load` puts in place for every field that a state file leaves out.
LoadableState defaultLoadableState();

// Reads everything; false (problem says why) when the registry cannot be read. Lines of the
// report log that cannot be read are skipped and named in `notes`.
bool readDeviceState(DeviceState& out, std::vector<std::string>& notes, std::string& problem);

// Reads the report log alone.
std::vector<ReportEntry> readReport(std::vector<std::string>& notes);

// Replaces the device's settings, registry values and windows by `state`, and clears the
// journals and the report log. The caller holds the device lock.
bool writeLoadableState(const LoadableState& state, std::string& problem);

// Empties the call and message journals and the report log.
bool clearRunRecords(std::string& problem);
