// The entry of a device program: the platform hands it the command line as one UTF-16 string
// without the program's name, as the device's shell does.
#pragma once

#include "platform/text.h"

// Defined by each program; its result is the exit code.
int DeviceProgramMain(const WCHAR* commandLine);
