// The hotkey table as the plug-in loads it from a device's stored hotkeys: the built-in keys
// merged with the stored ones and sorted by key name, so that slot k is frame 62000 + k.
#pragma once

#include <vector>

#include "hzkcore/device_settings.h"
#include "plugin/settings/settings_store.h"

// Fills `table` and returns the number of occupied slots; `launchConfig` (when given) gets
// the hotkey that launches the configuration utility, or a record with key code 0.
int loadedHotkeyTable(const std::vector<StoredHotkeyEntry>& stored,
                      HotkeyEntry (&table)[kHotkeyCapacity], HotkeyEntry* launchConfig);
