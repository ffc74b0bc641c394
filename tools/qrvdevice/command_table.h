// The commands of qrvdevice: each one's options, arguments and help text, in one table that
// both the argument parsing and the help read.
#pragma once

#include <string>
#include <vector>

#include "tools/qrvdevice/arguments.h"

const std::vector<CommandSpec>& commandTable();

// The command of that name; null when there is none.
const CommandSpec* findCommand(const std::string& name);

// `qrvdevice --help`: what the program does and its commands, one line each.
std::string overviewHelp();

// `qrvdevice help COMMAND`: what it does, its arguments and options, an example.
std::string commandHelp(const CommandSpec& spec);

// The two lines a usage error ends with: the command's synopsis and where its help is.
std::string usageHint(const CommandSpec* spec);
