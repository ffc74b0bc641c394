// The pre-flight check of a configuration document: it is walked as the plug-in's Apply walks
// it, over the plug-in's own schema tables and value rules, and every place where the device
// would pass over, misread or do something else than the document seems to say is a finding.
#pragma once

#include <string>
#include <vector>

#include "hzkcore/device_settings.h"
#include "plugin/settings/settings_store.h"
#include "tools/qrvdevice/findings.h"

// What the check assumes of the device the document is meant for.
struct CheckDevice {
  std::string description;               // "a new device", "the device", "the state in s.json"
  HotkeyEntry hotkeys[kHotkeyCapacity];  // as a load sorts them
  int occupied = 0;
  HotkeyEntry launchConfig;    // the hotkey that launches the configuration utility, if any
  std::int32_t enableQrv = 1;  // setting 5: with 0 most switches are not applied

  CheckDevice(const DeviceSettings& settings, std::string description);
};

// The findings for a document whose file holds `bytes`, in file order.
std::vector<Finding> checkDocument(const std::string& bytes, const CheckDevice& device);
