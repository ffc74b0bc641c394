// The plug-in's in-memory copy of the device's applications, hotkeys, error pages and
// Application Selector switch: loaded before a walk, committed after an Apply.
#pragma once

#include "hzkcore/hzkcore.h"
#include "hzkcore/records.h"
#include "plugin/settings/hotkey_names.h"

#include <cstdint>

// Hotkeys F1 to F10 that every device has (data 1).
extern const KeyTableRow DefaultHotkeys[kBuiltInHotkeyCount];

// Whether the combination is one of the built-in hotkeys, which a load merges every stored
// hotkey of the same combination into.
bool IsBuiltInHotkey(std::uint32_t keyCode, std::uint32_t modifiers);

struct SettingsStore {
  std::int32_t selectorEnabled;
  HotkeyEntry protectedHotkey;
  ErrorPageTable errorPages;
  AppEntry applications[kApplicationCapacity];
  HotkeyEntry hotkeys[kHotkeyCapacity];
  std::int32_t currentHotkey;      // slot of the hotkey frame being walked, -1 for none
  std::int32_t currentApplication; // slot of the application frame being walked, -1 for none
};

// The module-wide store, zeroed at load.
SettingsStore& settingsStore();

// The hotkey table as a load builds it from the library's `count` records, before the sort:
// the built-in hotkeys in slots 0 to 9 with no action; a record on one of their key
// combinations takes over that slot's action and texts, any other takes the next free slot;
// empty records and those that find no free slot are dropped. Returns the number of occupied
// slots. `launchConfig` receives the last slot met with kLaunchConfigAction and is
// left alone when there is none.
int MergeHotkeys(const HotkeyEntry* records, int count, HotkeyEntry (&table)[kHotkeyCapacity],
                 HotkeyEntry& launchConfig);

void LoadSettings();
void CommitSettings();
