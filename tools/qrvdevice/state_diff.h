// The changes between two states of a device, as a person reads a diff: "~" changed, "+"
// added, "-" removed; the password only as changed, never its text.
#pragma once

#include <string>
#include <vector>

#include "tools/qrvdevice/device_state.h"

struct StateChange {
  char sign;         // '~', '+' or '-'
  std::string kind;  // "switch", "setting", "password", "application", "hotkey", "error page", ...
  std::string subject;  // "Taskbar Enabled", "application 4", "hotkey Ctrl + A"
  std::string line;     // "~ Taskbar Enabled: on -> off"
};

// Hotkeys are compared as the plug-in loads them (the built-in keys merged in, by key name);
// applications by their place in the list.
std::vector<StateChange> stateChanges(const DeviceState& before, const DeviceState& after);
