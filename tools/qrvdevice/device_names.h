// The names a person knows the device's settings by: the switches and where the device keeps
// them, the hotkey actions and the error pages (the last two from the plug-in's schema).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct NamedSwitch {
  const char* name;
  bool view;  // a view setting rather than a setting
  std::int32_t number;
};

// The switches the configuration document names, with where the device keeps each.
const std::vector<NamedSwitch>& namedSwitches();

// The switch kept under that number; null when none is.
const NamedSwitch* switchNamed(bool view, std::int32_t number);

// "off", "on", "on (5)" or "not set".
std::string switchText(const std::map<std::int32_t, std::int32_t>& values, std::int32_t number);

// The name of a hotkey action code, as the Action items of the hotkey frame give it; empty
// for a code no item has.
std::string actionName(std::int32_t action);

// The name of error page k (parameter 60004 + k).
std::string errorPageName(std::size_t page);
