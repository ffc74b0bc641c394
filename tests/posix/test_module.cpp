// A small device library for the loading tests: one exported entry point.
#include "platform/export.h"

QRV_EXPORT int TestModuleAnswer() { return 42; }
