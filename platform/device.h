// The device as a whole: where its files and the emulator's state live on the host, the
// state files (journals, report log), and the device-wide lock.
#pragma once

#include "platform/result.h"
#include "platform/text.h"

#include <string>
#include <vector>

namespace device {

// The host folder that stands for the device (POSIX: $QRV_DEVICE_ROOT, else "device" in the
// current folder; Windows: the system drive's root).
std::string rootDir();

// Points this process, and the programs it starts, at another device root.
void setRootDir(const std::string& dir);

// The host folder that holds the running program (its own executable's folder), so that a
// tool can find what was built beside it; empty when it cannot be told.
std::string programDir();

// The names of a device path: "\" and "/" both separate, empty and "." names count for
// nothing, ".." takes back one name. A ".." above the root takes back nothing and is reported:
// the platform refuses such a path, the launcher's comparison stays at the root.
struct DevicePath {
  std::vector<Text> names;
  bool climbsAboveRoot = false;
};
DevicePath splitDevicePath(const WCHAR* path);

// The host path of a device path, or false when the path climbs above the device's root or
// passes a symbolic link that leads out of it (POSIX).
// Existing names are matched without regard to letter case; the rest is kept as written.
bool hostPath(const WCHAR* devicePath, std::string& host);

// State files of the emulator, kept beside the device's files where no device path reaches
// (POSIX: <root>/state; Windows: \QRVState). Names are plain file names such as "calls".
std::string statePath(const char* name);
// Appends one line (no newline inside) in one write, so that lines of several processes never
// mix. A failure when the state folder cannot be written.
Result appendStateLine(const char* name, const std::string& line);
// The lines of a state file, oldest first; empty when the file is absent.
std::vector<std::string> readStateLines(const char* name);
// Removes the file; clearing an absent file is ok.
Result clearStateFile(const char* name);

// Holds the device-wide lock from construction to destruction. Calls on one device never
// interleave: a second process waits. The lock may be taken again by the holder's own process.
class Lock {
 public:
  Lock();
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  bool held() const { return status_.ok(); }
  // Why the lock could not be taken.
  const Result& status() const { return status_; }

 private:
  Result status_ = Result::failure("");
  // The lock file this object holds, and the process that took it: it lets go of that one
  // even when the device root changed in between, and a forked child of none.
  std::string path_;
  unsigned long process_ = 0;
};

// The registry as this process last found it: ok, or what is wrong with it (which file, which
// line, what could not be written), for tools that explain a failed Reg* call to a person.
// Ok again once the registry was read or written whole.
Result registryStatus();

}  // namespace device
