// Pieces of the POSIX device emulation shared between its source files (not a public interface).
#pragma once

#include "platform/device_common.h"
#include "platform/text.h"

#include <string>

namespace device {
namespace detail {

// Letter-case folding as the device compares file and registry names (textFoldCase).
Text foldText(const Text& s);

}  // namespace detail
}  // namespace device
