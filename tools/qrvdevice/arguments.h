// The arguments of one qrvdevice command taken apart: its options (with their values), its
// plain arguments, and whether help was asked for.
#pragma once

#include <map>
#include <string>
#include <vector>

struct OptionSpec {
  const char* name;       // "--state"
  const char* valueName;  // "STATE.json" for an option that takes a value; null for a switch
  const char* help;       // one line
};

struct CommandSpec {
  const char* name;
  const char* synopsis;  // the arguments after the command's name
  const char* summary;   // one line, for the list of commands
  const char* details;   // what it does, its arguments, an example: several lines
  std::vector<OptionSpec> options;
  std::size_t minArguments;
  std::size_t maxArguments;  // kAnyNumber: no limit
  // The first plain argument ends the options: everything from it on is handed over as it
  // stands (run's launcher arguments).
  bool restIsPassedOn;
};

constexpr std::size_t kAnyNumber = static_cast<std::size_t>(-1);

struct ParsedArguments {
  std::map<std::string, std::string> options;  // by name; a switch has the value ""
  std::vector<std::string> plain;
  bool help = false;

  bool has(const char* name) const { return options.count(name) != 0; }
  const std::string& value(const char* name) const { return options.at(name); }
};

// Splits `args` by `spec`: "-h" and "--help" ask for help; "--" ends the options; an option
// takes its value as the next argument or after "=" ("--state=s.json"). False, with `problem`
// saying what is wrong, for an unknown option, a missing value or the wrong number of plain
// arguments (not checked when help was asked for).
bool parseArguments(const CommandSpec& spec, const std::vector<std::string>& args,
                    ParsedArguments& out, std::string& problem);
