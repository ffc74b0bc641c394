// Starting a program of the device image and waiting for it, as the device's shell would.
#pragma once

#include "platform/text.h"

#include <string>
#include <vector>

namespace device {

// Runs the device program at devicePath (such as "\Tolvex.exe") on the current device and
// waits for it to end. Its arguments are `args` (UTF-8), or, when rawLine is given, the raw
// command line *rawLine handed to it unchanged (args are then ignored). Returns the program's
// exit code; -1 when it could not be started (no such program, not runnable), and 128 plus
// the signal number when a signal ended it.
int runDeviceProgram(const WCHAR* devicePath, const std::vector<std::string>& args,
                     const std::string* rawLine);

}  // namespace device
