// The readable form of `show`: switches by name, the password's presence (never its text),
// applications, hotkeys by their key names, error pages, windows and the last run's report.
#include "tools/qrvdevice/summary.h"

#include "plugin/settings/hotkey_names.h"

#include <sstream>

namespace {

std::string utf8(const Text& text) { return textToUtf8(text.c_str(), text.size()); }

const char* hotkeyActionName(std::int32_t action) {
  switch (action) {
    case 6: return "No Action";
    case 0: return "Launch Application";
    case 1: return "Show/Hide Input Panel";
    case 2: return "Show/Hide Taskbar";
    case 4: return "Application Switcher";
    case 3: return "Launch QRV Config";
    case 14: return "Stylus Calibration";
    case 16: return "Start Menu";
    case 19: return "Running Programs List";
    case 17: return "Soft Key 1";
    case 18: return "Soft Key 2";
    default: return nullptr;
  }
}

const char* const kErrorPageNames[kStoredErrorPages] = {
    "(400) Invalid Syntax",       "(403) Request Forbidden",     "(404) Object Not Found",
    "(406) No Response Format",   "(410) Page Doesn't Exist",    "(500) Internal Server Error",
    "(501) Server Can't Do That", "Generic Error",               "Server Is Busy",
    "Couldn't Find Server",       "URL Syntax Error",            "Request Cancelled",
    "Not Available Offline"};

struct Switch {
  const char* name;
  bool view;  // a view setting rather than a setting
  std::int32_t number;
};

// The switches the configuration document names, with where the device keeps each.
const Switch kSwitches[] = {
    {"Enable QRV", false, 5},
    {"Show Taskbar", true, 1},
    {"Taskbar Enabled", false, 1},
    {"Start Menu Enabled", false, 2},
    {"Desktop Enabled", false, 3},
    {"Enable Application Selector", false, 4},
    {"Browser Address Bar", true, 22},
    {"Browser Toolbar", true, 21},
    {"Browser Status Bar", true, 26},
    {"Browser Menu Bar", true, 20},
    {"Warn when leaving a secure page", false, 33},
    {"Warn when security blocks page", false, 34},
    {"Enable Cookies", false, 32},
};

std::string switchText(const std::map<std::int32_t, std::int32_t>& values, std::int32_t number) {
  auto found = values.find(number);
  if (found == values.end()) return "not set";
  if (found->second == 0) return "off";
  if (found->second == 1) return "on";
  return "on (" + std::to_string(found->second) + ")";
}

std::string registryText(const RegistryValue& value) {
  switch (value.kind) {
    case RegistryValue::Kind::Number: return "the number " + std::to_string(value.number);
    case RegistryValue::Kind::Text: return "\"" + value.text + "\"";
    default: return "not set";
  }
}

std::string pad(const std::string& text, std::size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string reportLines(const std::vector<ReportEntry>& report) {
  std::ostringstream out;
  for (const ReportEntry& entry : report) {
    std::string where = entry.call + (entry.file.empty() ? "" : " " + entry.file);
    for (const std::string& error : entry.errors) out << "ERROR   " << where << ": " << error << "\n";
    for (const std::string& warning : entry.warnings) {
      out << "WARNING " << where << ": " << warning << "\n";
    }
  }
  return out.str();
}

std::string stateSummary(const DeviceState& state) {
  const DeviceSettings& settings = state.settings;
  std::ostringstream out;

  out << "Switches\n";
  for (const Switch& item : kSwitches) {
    out << "  " << pad(item.name, 34)
        << switchText(item.view ? settings.viewSettings : settings.settings, item.number) << "\n";
  }
  out << "Administrator password: " << (settings.password.empty() ? "not set" : "set") << "\n";
  out << "Package root (APPS): " << registryText(state.packageRoot) << "\n";
  out << "ConfigFiltersOff: " << registryText(state.configFiltersOff) << "\n";

  out << "Applications: " << settings.applications.size() << "\n";
  for (std::size_t i = 0; i < settings.applications.size(); ++i) {
    const StoredApplication& a = settings.applications[i];
    out << "  " << (i + 1) << ". \"" << utf8(a.title) << "\"  " << utf8(a.executable);
    if (!a.arguments.empty()) out << " " << utf8(a.arguments);
    if (a.runAtStartup) out << "  (at startup, after " << a.startupDelay << " s)";
    if (!a.iconFile.empty()) out << "  icon " << utf8(a.iconFile);
    out << "\n";
  }

  out << "Hotkeys stored: " << settings.hotkeys.size();
  // The built-in keys exist on every device; until a change is stored they have no action.
  if (settings.hotkeys.empty()) out << " (F1 to F10: No Action)";
  out << "\n";
  for (const StoredHotkey& h : settings.hotkeys) {
    const char* action = hotkeyActionName(h.action);
    out << "  " << pad(textToUtf8(HotkeyKeyName(h.keyCode, h.modifiers)), 16)
        << (action ? action : ("action " + std::to_string(h.action)).c_str());
    if (!h.application.empty()) out << "  " << utf8(h.application);
    if (!h.arguments.empty()) out << " " << utf8(h.arguments);
    out << "\n";
  }

  if (!settings.errorPages) {
    out << "Error pages: none stored (defaults not installed)\n";
  } else {
    std::array<Text, kStoredErrorPages> defaults = defaultErrorPages();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < kStoredErrorPages; ++i) changed += (*settings.errorPages)[i] != defaults[i];
    out << "Error pages: " << (changed == 0 ? "the defaults" : std::to_string(changed) + " changed")
        << "\n";
    for (std::size_t i = 0; i < kStoredErrorPages; ++i) {
      if ((*settings.errorPages)[i] == defaults[i]) continue;
      out << "  " << pad(kErrorPageNames[i], 30) << utf8((*settings.errorPages)[i]) << "\n";
    }
  }

  if (!state.windows.empty()) {
    out << "Windows\n";
    for (const DeviceWindow& w : state.windows) {
      out << "  \"" << w.className << "\" \"" << w.title << "\"\n";
    }
  }

  std::size_t errors = 0, warnings = 0;
  for (const ReportEntry& entry : state.report) {
    errors += entry.errors.size();
    warnings += entry.warnings.size();
  }
  out << "Last run: " << state.report.size() << " manager call(s), " << errors << " error(s), "
      << warnings << " warning(s), " << state.calls.size() << " settings call(s), "
      << state.messages.size() << " message(s)\n";
  std::string lines = reportLines(state.report);
  if (!lines.empty()) {
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) out << "  " << line << "\n";
  }
  return out.str();
}
