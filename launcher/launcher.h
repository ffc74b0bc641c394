// One run of the launcher: install the plug-in, bind the manager, apply or export, unbind.
#pragma once

#include "platform/text.h"

// Runs the launcher on `commandLine` (without the program's name). Shows and writes nothing;
// the result, the exit code, is always 0.
int runLauncher(const WCHAR* commandLine);
