// Pieces of the POSIX device emulation shared between its source files (not a public interface).
#pragma once

#include "platform/text.h"

#include <string>

namespace device {
namespace detail {

// Records the explanation that device::lastProblem() returns.
void setLastProblem(const std::string& text);

// Letter-case folding as the device compares file and registry names (ASCII and Latin-1).
WCHAR foldUnit(WCHAR c);
Text foldText(const Text& s);

// Creates <root>/state when it is missing; false when it cannot be made.
bool ensureStateDir();

}  // namespace detail
}  // namespace device
