// The emulator's commands, one function each; each returns the process's exit code.
#pragma once

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
// rawLine null: args are the launcher's arguments; else the raw command line.
int commandRun(const std::vector<std::string>& args, const std::string* rawLine);
int commandReport();
int commandPath(const std::string& devicePath);
