// The parts of the device layer that are the same on every target, and what each target's
// device.cpp provides for them (not a public interface).
#pragma once

#include "platform/result.h"
#include "platform/text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace device {
namespace detail {

// The names of a device path in UTF-8 (splitDevicePath); false when the path climbs above the
// device's root.
bool devicePathNames(const WCHAR* devicePath, std::vector<std::string>& names);

// Provided by each target:
// Creates the state folder when it is missing; a failure when it cannot be made.
Result ensureStateDir();
// Appends `data` (whole lines) to the file, creating it, so that the appends of several
// processes never mix.
Result appendToStateFile(const std::string& path, const std::string& data);
// The whole content of the file in `content`, as much as could be read; false when the file
// cannot be opened.
bool readStateFile(const std::string& path, std::string& content);

// The device lock's object of the system (a descriptor, a handle), as the target holds it.
using LockHandle = std::intptr_t;
// Opens the lock file at `path` and takes its lock, waiting while another process holds it.
Result lockDeviceFile(const std::string& path, LockHandle& handle);
// Lets the lock go and closes the handle. A handle inherited from a parent process is only
// closed: the parent's lock stays in place.
void unlockDeviceFile(LockHandle handle);
// The current process: a forked child holds none of its parent's locks as its own.
unsigned long currentProcess();
// Each Lock opens a transaction of the registry and commits it before the device lock is let
// go, so that one device call lands whole (a no-op where the system's registry is used).
void beginRegistryTransaction();
void endRegistryTransaction();

}  // namespace detail
}  // namespace device
