// The emulator's commands, one function each; each returns the process's exit code.
#pragma once

#include "tools/qrvdevice/device_state.h"

#include <string>
#include <vector>

// Exit codes of every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int commandInit(bool force);
int commandLoad(const std::string& stateFile);
int commandShow(bool asJson);
int commandPush(const std::string& hostFile, const std::string& name);
// rawLine null: args are the launcher's arguments; else the raw command line. With `strict`,
// a run that reported an error exits with kExitFailed.
int commandRun(const std::vector<std::string>& args, const std::string* rawLine, bool strict);
int commandReport();
int commandPath(const std::string& devicePath);

// Lays down the image and the state on the device at the current root, whose folders are
// empty; false (problem says why) when it cannot. The caller holds the device lock.
bool createDevice(const LoadableState& state, std::string& problem);

// Reads a whole host file; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& content);

// The device root as an absolute path, for messages.
std::string deviceRoot();
// A device has its registry file (emulated), or at least the plug-in's registration (where
// the registry is the system's).
bool deviceExists();
