// `qrvdevice check`: the findings of a document for the device it is meant for.
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/device.h"
#include "tools/qrvdevice/admin_commands.h"
#include "tools/qrvdevice/check.h"
#include "tools/qrvdevice/commands.h"
#include "tools/qrvdevice/device_state.h"
#include "tools/qrvdevice/state_json.h"

namespace {

int usageFailure(const std::string& message) {
  std::cerr << "qrvdevice: " << message << "\n";
  return kExitUsage;
}

}  // namespace

int commandCheck(const std::string& file, const CheckTarget& target, bool asJson) {
  std::string bytes;
  if (!readWholeFile(file, bytes)) return usageFailure("cannot read " + file);

  DeviceSettings settings = defaultDeviceSettings();
  std::string description = "a new device";
  if (target.kind == CheckTarget::Kind::StateFile) {
    std::string text;
    if (!readWholeFile(target.stateFile, text)) return usageFailure("cannot read " + target.stateFile);
    LoadableState state;
    std::string problem;
    if (!stateFromJson(text, state, problem))
      return usageFailure(target.stateFile + ": " + problem);
    settings = state.settings;
    description = "the device of " + target.stateFile;
  } else if (target.kind == CheckTarget::Kind::Device) {
    if (!deviceExists()) {
      std::cerr << "qrvdevice: no device at " << deviceRoot()
                << " (create one with: qrvdevice init)\n";
      return kExitFailed;
    }
    device::Lock lock;
    device::Result read = readDeviceSettings(settings);
    if (!read) {
      std::cerr << "qrvdevice: cannot read the device settings: " << read.problem() << "\n";
      return kExitFailed;
    }
    description = "the device";
  }

  std::vector<Finding> findings = checkDocument(bytes, CheckDevice(settings, description));
  const std::size_t errors = countOf(findings, Severity::Error);
  if (asJson) {
    std::cout << findingsJson(file, findings);
  } else {
    std::cout << findingLines(file, findings) << file << ": " << errors << " error(s), "
              << countOf(findings, Severity::Warning) << " warning(s), "
              << countOf(findings, Severity::Note) << " note(s)\n";
  }
  return errors > 0 ? kExitFailed : kExitOk;
}
