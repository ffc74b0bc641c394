// Taking a command's arguments apart by its table of options.
#include "tools/qrvdevice/arguments.h"

namespace {

const OptionSpec* findOption(const CommandSpec& spec, const std::string& name) {
  for (const OptionSpec& option : spec.options) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

std::string countText(std::size_t count) {
  if (count == 0) return "no arguments";
  return count == 1 ? "one argument" : std::to_string(count) + " arguments";
}

}  // namespace

bool parseArguments(const CommandSpec& spec, const std::vector<std::string>& args,
                    ParsedArguments& out, std::string& problem) {
  out = ParsedArguments();
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      out.plain.push_back(arg);
      if (spec.restIsPassedOn) optionsEnded = true;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      out.help = true;
      continue;
    }
    std::string name = arg;
    std::string value;
    bool valueGiven = false;
    std::size_t equals = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
      valueGiven = true;
    }
    const OptionSpec* option = findOption(spec, name);
    if (option == nullptr) {
      problem = "unknown option '" + name + "' for " + spec.name;
      if (spec.restIsPassedOn)
        problem += " (arguments for the launcher that begin with - go after --)";
      return false;
    }
    if (option->valueName == nullptr) {
      if (valueGiven) {
        problem = name + " takes no value";
        return false;
      }
    } else if (!valueGiven) {
      if (i + 1 >= args.size()) {
        problem = name + " needs a value (" + option->valueName + ")";
        return false;
      }
      value = args[++i];
    }
    out.options[name] = value;
  }
  if (out.help) return true;
  if (out.plain.size() < spec.minArguments ||
      (spec.maxArguments != kAnyNumber && out.plain.size() > spec.maxArguments)) {
    std::string expected;
    if (spec.minArguments == spec.maxArguments) {
      expected = countText(spec.minArguments);
    } else if (spec.maxArguments == kAnyNumber) {
      expected = "at least " + countText(spec.minArguments);
    } else {
      expected = std::to_string(spec.minArguments) + " to " + std::to_string(spec.maxArguments) +
                 " arguments";
    }
    problem =
        std::string(spec.name) + " takes " + expected + ", not " + std::to_string(out.plain.size());
    return false;
  }
  return true;
}
