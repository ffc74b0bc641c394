// The readable form of `show`: switches by name, the password's presence (never its text),
// applications, hotkeys by their key names, error pages, windows and the last run's report.
#include "tools/qrvdevice/summary.h"

#include "plugin/settings/hotkey_names.h"
#include "tools/qrvdevice/device_names.h"

#include <sstream>

namespace {

std::string utf8(const Text& text) { return textToUtf8(text.c_str(), text.size()); }

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
  for (const NamedSwitch& item : namedSwitches()) {
    out << "  " << pad(item.name, 34)
        << switchText(item.view ? settings.viewSettings : settings.settings, item.number) << "\n";
  }
  out << "Administrator password: " << (settings.password.empty() ? "not set" : "set") << "\n";
  out << "Package root (APPS): " << registryText(state.packageRoot) << "\n";
  out << "ConfigFiltersOff: " << registryText(state.configFiltersOff) << "\n";

  out << "Applications: " << settings.applications.size() << "\n";
  for (std::size_t i = 0; i < settings.applications.size(); ++i) {
    const StoredAppEntry& a = settings.applications[i];
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
  for (const StoredHotkeyEntry& h : settings.hotkeys) {
    const std::string action = actionName(h.action);
    out << "  " << pad(textToUtf8(HotkeyKeyName(h.keyCode, h.modifiers)), 16)
        << (action.empty() ? "action " + std::to_string(h.action) : action);
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
      out << "  " << pad(errorPageName(i), 30) << utf8((*settings.errorPages)[i]) << "\n";
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
