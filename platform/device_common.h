// The parts of the device layer that are the same on every target, and what each target's
// device.cpp provides for them (not a public interface).
#pragma once

#include "platform/text.h"

#include <string>
#include <vector>

namespace device {
namespace detail {

// Records the explanation that device::lastProblem() returns.
void setLastProblem(const std::string& text);

// The names of a device path, with "." dropped and ".." taking back one name; false when the
// path climbs above the device's root.
bool devicePathNames(const WCHAR* devicePath, std::vector<std::string>& names);

// Provided by each target:
// Creates the state folder when it is missing; false, with the problem recorded, when it
// cannot be made.
bool ensureStateDir();
// Appends `data` (whole lines) to the file, creating it, so that the appends of several
// processes never mix; false, with the problem recorded, when it cannot be done.
bool appendToStateFile(const std::string& path, const std::string& data);
// The whole content of the file in `content`, as much as could be read; false when the file
// cannot be opened.
bool readStateFile(const std::string& path, std::string& content);

}  // namespace detail
}  // namespace device
