// The administrator's desktop tools: the pre-flight check of a document, the plan of what it
// would change, the schema reference and the password encoder. Built where the device is
// emulated; elsewhere each says that it is not there.
#pragma once

#include <string>

// Where check takes the device's hotkeys and switches from.
struct CheckTarget {
  enum class Kind { FreshDevice, StateFile, Device };
  Kind kind = Kind::FreshDevice;
  std::string stateFile;
};

int commandCheck(const std::string& file, const CheckTarget& target, bool asJson);
// stateFile null: a copy of the device at the root; else a device made from that state.
int commandPlan(const std::string& file, const std::string* stateFile, bool asJson);
// version null: the newest.
int commandSchema(const std::string* version, bool asJson);
int commandEncodePassword(const std::string& text, const std::string* version);
