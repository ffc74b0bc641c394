// qrvdevice: the command-line front end of the emulated device.
#include <iostream>
#include <string>
#include <vector>

#include "tools/qrvdevice/admin_commands.h"
#include "tools/qrvdevice/command_table.h"
#include "tools/qrvdevice/commands.h"

namespace {

int usage(const std::string& problem, const CommandSpec* spec) {
  std::cerr << "qrvdevice: " << problem << "\n" << usageHint(spec);
  return kExitUsage;
}

std::string baseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const std::string* optional(const ParsedArguments& parsed, const char* name) {
  return parsed.has(name) ? &parsed.value(name) : nullptr;
}

int dispatch(const CommandSpec& spec, const ParsedArguments& a) {
  const std::string command = spec.name;
  const std::vector<std::string>& plain = a.plain;
  if (command == "init") return commandInit(a.has("--force"));
  if (command == "load") return commandLoad(plain[0]);
  if (command == "show") return commandShow(a.has("--json"));
  if (command == "push")
    return commandPush(plain[0], plain.size() == 2 ? plain[1] : baseName(plain[0]));
  if (command == "run") {
    if (a.has("--line")) {
      if (!plain.empty())
        return usage("run --line takes exactly one text, and no other arguments", &spec);
      return commandRun({}, &a.value("--line"), a.has("--strict"));
    }
    return commandRun(plain, nullptr, a.has("--strict"));
  }
  if (command == "report") return commandReport();
  if (command == "path") return commandPath(plain[0]);
  if (command == "check") {
    if (a.has("--state") && a.has("--device"))
      return usage("check takes --state or --device, not both", &spec);
    CheckTarget target;
    if (a.has("--state")) {
      target.kind = CheckTarget::Kind::StateFile;
      target.stateFile = a.value("--state");
    } else if (a.has("--device")) {
      target.kind = CheckTarget::Kind::Device;
    }
    return commandCheck(plain[0], target, a.has("--json"));
  }
  if (command == "plan") return commandPlan(plain[0], optional(a, "--state"), a.has("--json"));
  if (command == "schema") return commandSchema(optional(a, "--version"), a.has("--json"));
  if (command == "encode-password")
    return commandEncodePassword(plain[0], optional(a, "--version"));
  if (command == "help") {
    if (plain.empty()) {
      std::cout << overviewHelp();
      return kExitOk;
    }
    const CommandSpec* asked = findCommand(plain[0]);
    if (asked == nullptr) return usage("there is no command '" + plain[0] + "'", nullptr);
    std::cout << commandHelp(*asked);
    return kExitOk;
  }
  return usage("unknown command '" + command + "'", nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return usage("no command given", nullptr);
  const std::string command = args[0];
  args.erase(args.begin());

  if (command == "--help" || command == "-h") {
    std::cout << overviewHelp();
    return kExitOk;
  }
  const CommandSpec* spec = findCommand(command);
  if (spec == nullptr) return usage("unknown command '" + command + "'", nullptr);
  ParsedArguments parsed;
  std::string problem;
  if (!parseArguments(*spec, args, parsed, problem)) return usage(problem, spec);
  if (parsed.help) {
    std::cout << commandHelp(*spec);
    return kExitOk;
  }
  return dispatch(*spec, parsed);
}
