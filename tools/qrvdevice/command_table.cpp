// The commands of qrvdevice and their help texts.
#include "tools/qrvdevice/command_table.h"

#include <sstream>

#include "launcher/package_files.h"

namespace {

const OptionSpec kJson = {"--json", nullptr, "print the result as JSON, for tools"};
const OptionSpec kState = {"--state", "STATE.json",
                           "work on a device made from this state file (as `load` reads it)"};
const OptionSpec kVersion = {"--version", "LABEL",
                             "the component's schema version, 1.0.1 (the newest) or 1.0.0"};

std::vector<CommandSpec> buildTable() {
  return {
      {"init",
       "[--force]",
       "lay down a fresh device image with default settings",
       "Creates the device at $QRV_DEVICE_ROOT from the built image: the launcher, the plug-in,\n"
       "the configuration manager and the settings library, the package folder, and a new\n"
       "device's settings. An existing device is kept unless --force is given.\n"
       "\n"
       "Example:\n"
       "  qrvdevice init --force\n",
       {{"--force", nullptr, "replace an existing device"}},
       0,
       0,
       false},
      {"load",
       "STATE.json",
       "replace the device's settings with the state given",
       "Replaces the device's settings, registry values and windows with those of a state file\n"
       "(the form `show --json` prints; fields left out take a new device's values) and clears\n"
       "the journals and the report. A state file with a mistake is refused as a whole, naming\n"
       "the field, and the device stays as it was.\n"
       "\n"
       "Example:\n"
       "  qrvdevice show --json > state.json && qrvdevice load state.json\n",
       {},
       1,
       1,
       false},
      {"show",
       "[--json]",
       "print the device's state",
       "Prints the device's settings, windows and the last run's report: a summary for a person\n"
       "(the password only as set or not set), or with --json the whole state file.\n"
       "\n"
       "Example:\n"
       "  qrvdevice show\n",
       {kJson},
       0,
       0,
       false},
      {"push",
       "FILE [NAME]",
       "copy a host file into the package folder",
       "Delivers a host file into the package folder (Mirdak below the folder that the registry\n"
       "value APPS names), as the device-management agent does, under NAME (default: the file's\n"
       "own name). `qrvdevice help run` lists the names the launcher looks for.\n"
       "\n"
       "Example:\n"
       "  qrvdevice push examples/kiosk.xml QRVall.cfg\n",
       {},
       1,
       2,
       false},
      {"run",
       "[--strict] [--line TEXT | [--] ARG...]",
       "run \\Tolvex.exe, then say what it did and print its report",
       "Clears the journals and the report, runs the image's \\Tolvex.exe with ARG as its\n"
       "arguments, then prints the run's errors and warnings and what the run did: which package\n"
       "files were applied and deleted, which were left alone, where an export went. The\n"
       "launcher itself always ends with 0; `run` exits with 0 when it ran, 1 when it could not\n"
       "be run, and with --strict also 1 when the run reported an error.\n"
       "\n"
       "qrvdevice's own options come first; the first other argument, or everything after --,\n"
       "goes to the launcher unchanged. The launcher takes:\n"
       "  (nothing)          apply the package files found in the package folder\n"
       "  /i PATH, /import   apply the document at the device path PATH (and delete it)\n"
       "  /e PATH, /export   write the current configuration to the device path PATH\n"
       "\n"
       "Examples:\n"
       "  qrvdevice run\n"
       "  qrvdevice run --strict /i '\\Temp\\kiosk.xml'\n"
       "  qrvdevice run --line '/e \"\\Temp\\my export.xml\"'\n",
       {{"--strict", nullptr, "exit with 1 when the run reported an error"},
        {"--line", "TEXT", "hand TEXT over as the raw command line, as the device's shell does"}},
       0,
       kAnyNumber,
       true},
      {"report",
       "",
       "print the errors and warnings since the last clear",
       "Prints the errors and warnings of the manager calls since the journals were last\n"
       "cleared (by run or load), one a line.\n"
       "\n"
       "Example:\n"
       "  qrvdevice report\n",
       {},
       0,
       0,
       false},
      {"path",
       "DEVICE_PATH",
       "print the host path of a device path",
       "Prints the host file that a device path names (letter case ignored, as on the device).\n"
       "A path that climbs above the device's root names nothing.\n"
       "\n"
       "Example:\n"
       "  qrvdevice path '\\Temp\\CVConfiguration.xml'\n",
       {},
       1,
       1,
       false},
      {"check",
       "FILE [--state STATE.json | --device] [--json]",
       "find the mistakes of a configuration document before it is shipped",
       "Reads the document and reports what the device would pass over, misread or do\n"
       "differently from what the document seems to say, one finding a line:\n"
       "  FILE:LINE:COLUMN: error|warning|note: message [code]\n"
       "It uses the plug-in's own schema tables and value rules. Hotkey frames are checked\n"
       "against a new device's hotkeys (F1 to F10), or with --state or --device against that\n"
       "device's. Exit code 0 when there is no error, 1 when there is one, 2 on a wrong use or\n"
       "a file that cannot be read.\n"
       "\n"
       "Example:\n"
       "  qrvdevice check examples/kiosk.xml\n",
       {kState, {"--device", nullptr, "check against the device at $QRV_DEVICE_ROOT"}, kJson},
       1,
       1,
       false},
      {"plan",
       "FILE [--state STATE.json] [--json]",
       "show what applying a document would change, without changing the device",
       "Applies the document with the real launcher, manager, plug-in and settings library to\n"
       "a throwaway copy of the device (or of a device made from STATE.json), and prints each\n"
       "change as a diff line (~ changed, + added, - removed; the password only as changed),\n"
       "then the run's errors and warnings, or \"no changes\". The device is not touched.\n"
       "\n"
       "Example:\n"
       "  qrvdevice plan examples/kiosk.xml\n",
       {kState, kJson},
       1,
       1,
       false},
      {"schema",
       "[--version LABEL] [--json]",
       "print every parameter the desktop component knows",
       "Prints the reference of every parameter from the plug-in's built-in tables: id, path of\n"
       "names, type, the values it takes and what the device makes of others, the field it is\n"
       "stored in, and whether exports show it.\n"
       "\n"
       "Example:\n"
       "  qrvdevice schema --version 1.0.1\n",
       {kVersion, kJson},
       0,
       0,
       false},
      {"encode-password",
       "TEXT [--version LABEL]",
       "print the Password element for a password, as exports write it",
       "Prints the Password element that an export of a device with this password holds: the\n"
       "marks of the schema version and the password binHex-encoded (and scrambled in 1.0.1).\n"
       "Copy it into a document instead of encoding a password by hand.\n"
       "\n"
       "Example:\n"
       "  qrvdevice encode-password 'Kiosk-2026'\n",
       {kVersion},
       1,
       1,
       false},
      {"help",
       "[COMMAND]",
       "say what a command does",
       "Prints what COMMAND does, its arguments and options and an example; without COMMAND,\n"
       "the list of commands. Every command also takes -h and --help.\n"
       "\n"
       "Example:\n"
       "  qrvdevice help check\n",
       {},
       0,
       1,
       false},
  };
}

}  // namespace

const std::vector<CommandSpec>& commandTable() {
  static const std::vector<CommandSpec> table = buildTable();
  return table;
}

const CommandSpec* findCommand(const std::string& name) {
  for (const CommandSpec& spec : commandTable()) {
    if (name == spec.name) return &spec;
  }
  return nullptr;
}

std::string overviewHelp() {
  std::ostringstream out;
  out << "usage: qrvdevice COMMAND [ARGUMENTS]\n"
         "Works on the device at $QRV_DEVICE_ROOT (default: ./device).\n\n";
  for (const CommandSpec& spec : commandTable()) {
    std::string head = std::string(spec.name) + (*spec.synopsis ? " " : "") + spec.synopsis;
    out << "  " << head;
    if (head.size() < 30) {
      out << std::string(30 - head.size(), ' ');
    } else {
      out << "\n" << std::string(32, ' ');
    }
    out << spec.summary << "\n";
  }
  out << "\n'qrvdevice help COMMAND' (or COMMAND --help) says more about each.\n"
         "Exit codes: 0 success, 1 failure, 2 wrong use.\n";
  return out.str();
}

std::string commandHelp(const CommandSpec& spec) {
  std::ostringstream out;
  out << "usage: qrvdevice " << spec.name << (*spec.synopsis ? " " : "") << spec.synopsis << "\n\n"
      << spec.details;
  if (!spec.options.empty()) {
    out << "\nOptions:\n";
    for (const OptionSpec& option : spec.options) {
      std::string head = std::string(option.name) + (option.valueName ? " " : "") +
                         (option.valueName ? option.valueName : "");
      out << "  " << head << std::string(head.size() < 20 ? 20 - head.size() : 1, ' ')
          << option.help << "\n";
    }
  }
  out << "  -h, --help" << std::string(10, ' ') << "print this help\n";
  if (std::string(spec.name) == "run" || std::string(spec.name) == "push") {
    out << "\nPackage files the launcher looks for, in this order:\n  each one present:";
    for (const WCHAR* name : kGeneralFiles) out << " " << textToUtf8(name);
    out << "\n  then the first one present of:";
    int column = 0;
    for (const WCHAR* name : kDeviceFamilyFiles) {
      if (column++ % 6 == 0) out << "\n   ";
      out << " " << textToUtf8(name);
    }
    out << "\n";
  }
  return out.str();
}

std::string usageHint(const CommandSpec* spec) {
  if (spec == nullptr) return "usage: qrvdevice COMMAND [ARGUMENTS] (see: qrvdevice --help)\n";
  return std::string("usage: qrvdevice ") + spec->name + (*spec->synopsis ? " " : "") +
         spec->synopsis + " (see: qrvdevice help " + spec->name + ")\n";
}
