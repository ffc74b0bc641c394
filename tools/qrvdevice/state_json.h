// The device state as JSON: what `show --json` writes and what `load` reads.
#pragma once

#include "tools/qrvdevice/device_state.h"

#include <string>

// Every field, in the documented order, indented for a person.
std::string stateToJson(const DeviceState& state);

// Reads a state file's text. Fields left out keep the defaults; "messages", "calls" and
// "report" are accepted and ignored. On a malformed text, returns false with `problem`
// naming the field ("applications[2].startupDelay: expected a number") and leaves `out`
// unspecified.
bool stateFromJson(const std::string& text, LoadableState& out, std::string& problem);
