// The device state as a short summary that a person takes in at a glance.
#pragma once

#include "tools/qrvdevice/device_state.h"

#include <string>

std::string stateSummary(const DeviceState& state);

// One line per error and warning of the report log ("ERROR   applyConfiguration FILE: text").
std::string reportLines(const std::vector<ReportEntry>& report);
