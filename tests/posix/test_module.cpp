// A small device library for the loading tests: exported entry points and module-wide state.
#include "platform/export.h"

#include <string>

namespace {
int calls = 0;
}

QRV_EXPORT int TestModuleAnswer() { return 42; }

// Counts the calls since the library was loaded; the text conversion pulls in the kind of
// library code that can keep a module from ever being unloaded.
QRV_EXPORT int TestModuleCount() {
  ++calls;
  return std::stoi(std::to_string(calls));
}
