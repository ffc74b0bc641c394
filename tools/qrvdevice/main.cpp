// qrvdevice: the command-line front end of the emulated device.
#include "tools/qrvdevice/commands.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: qrvdevice COMMAND [ARGUMENTS]\n"
    "Works on the device at $QRV_DEVICE_ROOT (default: ./device).\n"
    "\n"
    "  init [--force]        lay down a fresh device image with default settings\n"
    "  load STATE.json       replace the device's settings with the state given\n"
    "  show [--json]         print the device's state\n"
    "  push FILE [NAME]      copy a host file into the package folder\n"
    "  run [ARG...]          run \\Tolvex.exe with these arguments, then print its report\n"
    "  run --line TEXT       the same with TEXT as the raw command line\n"
    "  report                print the errors and warnings since the last clear\n"
    "  path DEVICE_PATH      print the host path of a device path\n";

int usage(const std::string& problem) {
  std::cerr << "qrvdevice: " << problem << "\n" << kUsage;
  return kExitUsage;
}

std::string baseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return usage("no command given");
  const std::string command = args[0];
  args.erase(args.begin());

  if (command == "help" || command == "--help" || command == "-h") {
    std::cout << kUsage;
    return kExitOk;
  }
  if (command == "init") {
    if (args.empty()) return commandInit(false);
    if (args.size() == 1 && args[0] == "--force") return commandInit(true);
    return usage("init takes only --force");
  }
  if (command == "load") {
    if (args.size() != 1) return usage("load takes one state file");
    return commandLoad(args[0]);
  }
  if (command == "show") {
    if (args.empty()) return commandShow(false);
    if (args.size() == 1 && args[0] == "--json") return commandShow(true);
    return usage("show takes only --json");
  }
  if (command == "push") {
    if (args.empty() || args.size() > 2) return usage("push takes a file and an optional name");
    return commandPush(args[0], args.size() == 2 ? args[1] : baseName(args[0]));
  }
  if (command == "run") {
    if (!args.empty() && args[0] == "--line") {
      if (args.size() != 2) return usage("run --line takes exactly one text");
      return commandRun({}, &args[1]);
    }
    return commandRun(args, nullptr);
  }
  if (command == "report") {
    if (!args.empty()) return usage("report takes no arguments");
    return commandReport();
  }
  if (command == "path") {
    if (args.size() != 1) return usage("path takes one device path");
    return commandPath(args[0]);
  }
  return usage("unknown command '" + command + "'");
}
