// The program entry of Tolvex.
#include "launcher/launcher.h"
#include "platform/program.h"

int DeviceProgramMain(const WCHAR* commandLine) { return runLauncher(commandLine); }
