// Fuzz target: a state file as `qrvdevice load` reads it. Either it is refused with a clear
// message that names the field ("applications[2].startupDelay: expected a number") or says
// that the text is not JSON; or it is written to the device, and the device then shows (as
// `show --json`) exactly what was loaded, a numbered setting that the file leaves out reading
// as its default, and what it shows loads again to the same.
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_device.h"
#include "tools/qrvdevice/device_state.h"
#include "tools/qrvdevice/state_json.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

const char* const kFields[] = {"settings", "viewSettings", "password",         "applications",
                               "hotkeys",  "errorPages",   "configFiltersOff", "packageRoot",
                               "windows",  "messages",     "calls",            "report",
                               "(state)"};

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "FIELD: what", FIELD starting with a field of the state file (or being a name the file
// used that is no field), or "not valid JSON: why".
void checkRefusal(const std::string& problem) {
  if (problem.rfind("not valid JSON: ", 0) == 0) {
    FUZZ_CHECK(problem.size() > 16, "a JSON error says why");
    return;
  }
  if (endsWith(problem, ": unknown field")) {
    FUZZ_CHECK(problem.size() > 15, "an unknown field is named: " + problem);
    return;
  }
  const std::size_t colon = problem.find(": ");
  FUZZ_CHECK(colon != std::string::npos && colon > 0 && colon + 2 < problem.size(),
             "a refusal reads FIELD: what, not: " + problem);
  const std::string first = problem.substr(0, problem.find_first_of(".[:"));
  bool known = false;
  for (const char* field : kFields) known = known || first == field;
  FUZZ_CHECK(known, "a refusal names a field of the state file, not: " + problem);
}

// What the device shows after `state` was loaded: numbered settings left out read as their
// defaults, and the run records are empty.
DeviceState shownAfterLoading(const LoadableState& state) {
  DeviceState shown;
  static_cast<LoadableState&>(shown) = state;
  const DeviceSettings defaults = defaultDeviceSettings();
  shown.settings.settings.insert(defaults.settings.begin(), defaults.settings.end());
  shown.settings.viewSettings.insert(defaults.viewSettings.begin(), defaults.viewSettings.end());
  return shown;
}

std::string showJson() {
  DeviceState state;
  std::vector<std::string> notes;
  std::string problem;
  FUZZ_CHECK(readDeviceState(state, notes, problem), "the device reads: " + problem);
  FUZZ_CHECK(notes.empty(), "the device reads without notes: " + (notes.empty() ? "" : notes[0]));
  return stateToJson(state);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzdevice::create("state");
  std::string problem;
  device::Lock lock;
  FUZZ_CHECK(writeLoadableState(defaultLoadableState(), problem), "a new device: " + problem);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  LoadableState state;
  std::string problem;
  if (!stateFromJson(text, state, problem)) {
    checkRefusal(problem);
    return 0;
  }
  device::Lock lock;
  FUZZ_CHECK(writeLoadableState(state, problem), "an accepted state file is written: " + problem);
  const std::string shown = showJson();
  const std::string expected = stateToJson(shownAfterLoading(state));
  FUZZ_CHECK(shown == expected, "the device shows what was loaded\n--- shown:\n" + shown +
                                    "--- loaded:\n" + expected);

  LoadableState again;
  FUZZ_CHECK(stateFromJson(shown, again, problem), "what the device shows loads: " + problem);
  FUZZ_CHECK(stateToJson(shownAfterLoading(again)) == shown, "and reads back the same");
  return 0;
}
