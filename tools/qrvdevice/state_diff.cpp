// Comparing two device states field by field.
#include "tools/qrvdevice/state_diff.h"

#include <set>

#include "plugin/settings/hotkey_names.h"
#include "tools/qrvdevice/device_names.h"
#include "tools/qrvdevice/loaded_hotkeys.h"

namespace {

std::string utf8(const Text& text) { return textToUtf8(text.c_str(), text.size()); }

// In double quotes, control characters as \xNN, cut past 60 characters.
std::string quote(const Text& text) {
  std::string out = "\"";
  std::size_t shown = 0;
  for (WCHAR c : text) {
    if (shown++ == 60) {
      out += "...";
      break;
    }
    if (c < 0x20 || c == 0x7F) {
      static const char digits[] = "0123456789abcdef";
      out += std::string("\\x") + digits[(c >> 4) & 0xF] + digits[c & 0xF];
    } else {
      out += textToUtf8(&c, 1);
    }
  }
  return out + "\"";
}

void add(std::vector<StateChange>& out, char sign, const std::string& kind,
         const std::string& subject, const std::string& detail) {
  out.push_back({sign, kind, subject,
                 std::string(1, sign) + " " + subject + (detail.empty() ? "" : ": " + detail)});
}

std::set<std::int32_t> numbersOf(const std::map<std::int32_t, std::int32_t>& a,
                                 const std::map<std::int32_t, std::int32_t>& b) {
  std::set<std::int32_t> numbers;
  for (const auto& item : a) numbers.insert(item.first);
  for (const auto& item : b) numbers.insert(item.first);
  return numbers;
}

bool sameValue(const std::map<std::int32_t, std::int32_t>& a,
               const std::map<std::int32_t, std::int32_t>& b, std::int32_t number) {
  auto x = a.find(number), y = b.find(number);
  if (x == a.end() || y == b.end()) return (x == a.end()) == (y == b.end());
  return x->second == y->second;
}

void compareSwitches(const DeviceSettings& before, const DeviceSettings& after,
                     std::vector<StateChange>& out) {
  for (const NamedSwitch& item : namedSwitches()) {
    const auto& a = item.view ? before.viewSettings : before.settings;
    const auto& b = item.view ? after.viewSettings : after.settings;
    if (sameValue(a, b, item.number)) continue;
    add(out, '~', "switch", item.name,
        switchText(a, item.number) + " -> " + switchText(b, item.number));
  }
  // Numbers no switch is named by; a browser bar's setting that moves with its view setting is
  // the same switch written twice.
  for (bool view : {false, true}) {
    const auto& a = view ? before.viewSettings : before.settings;
    const auto& b = view ? after.viewSettings : after.settings;
    for (std::int32_t number : numbersOf(a, b)) {
      if (switchNamed(view, number) != nullptr || sameValue(a, b, number)) continue;
      const NamedSwitch* bar = view ? nullptr : switchNamed(true, number);
      if (bar != nullptr && a.count(number) && b.count(number) &&
          before.viewSettings.count(number) && after.viewSettings.count(number) &&
          before.viewSettings.at(number) == a.at(number) &&
          after.viewSettings.at(number) == b.at(number)) {
        continue;
      }
      add(out, '~', view ? "view setting" : "setting",
          std::string(view ? "view setting " : "setting ") + std::to_string(number) +
              (bar != nullptr ? " (" + std::string(bar->name) + ")" : std::string()),
          switchText(a, number) + " -> " + switchText(b, number));
    }
  }
}

void comparePassword(const DeviceSettings& before, const DeviceSettings& after,
                     std::vector<StateChange>& out) {
  if (before.password == after.password) return;
  if (before.password.empty()) {
    add(out, '+', "password", "administrator password", "set");
  } else if (after.password.empty()) {
    add(out, '-', "password", "administrator password", "cleared");
  } else {
    add(out, '~', "password", "administrator password", "changed");
  }
}

std::string applicationText(const StoredAppEntry& a) {
  std::string text = quote(a.title);
  if (!a.executable.empty()) text += " " + utf8(a.executable);
  if (!a.arguments.empty()) text += " " + utf8(a.arguments);
  if (a.runAtStartup) text += ", at startup after " + std::to_string(a.startupDelay) + " s";
  return text;
}

void compareApplications(const DeviceSettings& before, const DeviceSettings& after,
                         std::vector<StateChange>& out) {
  const std::size_t n = std::max(before.applications.size(), after.applications.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::string subject = "application " + std::to_string(i + 1);
    if (i >= before.applications.size()) {
      add(out, '+', "application", subject, applicationText(after.applications[i]));
      continue;
    }
    if (i >= after.applications.size()) {
      add(out, '-', "application", subject, quote(before.applications[i].title));
      continue;
    }
    const StoredAppEntry& a = before.applications[i];
    const StoredAppEntry& b = after.applications[i];
    std::string detail;
    auto text = [&](const char* field, const Text& x, const Text& y) {
      if (x != y)
        detail +=
            (detail.empty() ? "" : ", ") + std::string(field) + " " + quote(x) + " -> " + quote(y);
    };
    auto number = [&](const char* field, std::int32_t x, std::int32_t y) {
      if (x != y) {
        detail += (detail.empty() ? "" : ", ") + std::string(field) + " " + std::to_string(x) +
                  " -> " + std::to_string(y);
      }
    };
    text("title", a.title, b.title);
    text("executable", a.executable, b.executable);
    text("arguments", a.arguments, b.arguments);
    text("icon", a.iconFile, b.iconFile);
    number("run at startup", a.runAtStartup, b.runAtStartup);
    number("startup delay", a.startupDelay, b.startupDelay);
    if (!detail.empty()) add(out, '~', "application", subject + " " + quote(b.title), detail);
  }
}

struct LoadedHotkey {
  std::string name;
  HotkeyEntry entry;
};

std::vector<LoadedHotkey> loadedHotkeys(const DeviceSettings& settings) {
  static HotkeyEntry table[kHotkeyCapacity];
  int occupied = loadedHotkeyTable(settings.hotkeys, table, nullptr);
  std::vector<LoadedHotkey> list;
  for (int slot = 0; slot < occupied; ++slot) {
    if (table[slot].keyCode == 0) continue;
    list.push_back(
        {textToUtf8(HotkeyKeyName(table[slot].keyCode, table[slot].modifiers)), table[slot]});
  }
  return list;
}

std::string actionText(std::int32_t action) {
  std::string name = actionName(action);
  return name.empty() ? "action " + std::to_string(action) : name;
}

std::string hotkeyText(const HotkeyEntry& h) {
  std::string text = actionText(h.action);
  if (h.application[0]) text += " " + quote(h.application);
  if (h.arguments[0]) text += " " + quote(h.arguments);
  return text;
}

void compareHotkeys(const DeviceSettings& before, const DeviceSettings& after,
                    std::vector<StateChange>& out) {
  std::vector<LoadedHotkey> a = loadedHotkeys(before), b = loadedHotkeys(after);
  std::vector<bool> matched(b.size(), false);
  for (const LoadedHotkey& old : a) {
    // The same key combination, taken in order when a device holds one twice.
    std::size_t k = 0;
    while (k < b.size() && (matched[k] || b[k].name != old.name)) ++k;
    if (k == b.size()) {
      add(out, '-', "hotkey", "hotkey " + old.name, "");
      continue;
    }
    matched[k] = true;
    const HotkeyEntry& x = old.entry;
    const HotkeyEntry& y = b[k].entry;
    std::string detail;
    if (x.action != y.action)
      detail = "action " + actionText(x.action) + " -> " + actionText(y.action);
    if (Text(x.application) != Text(y.application)) {
      detail += (detail.empty() ? "" : ", ") + std::string("application ") + quote(x.application) +
                " -> " + quote(y.application);
    }
    if (Text(x.arguments) != Text(y.arguments)) {
      detail += (detail.empty() ? "" : ", ") + std::string("arguments ") + quote(x.arguments) +
                " -> " + quote(y.arguments);
    }
    if (!detail.empty()) add(out, '~', "hotkey", "hotkey " + old.name, detail);
  }
  for (std::size_t k = 0; k < b.size(); ++k) {
    if (!matched[k]) add(out, '+', "hotkey", "hotkey " + b[k].name, hotkeyText(b[k].entry));
  }
}

void compareErrorPages(const DeviceSettings& before, const DeviceSettings& after,
                       std::vector<StateChange>& out) {
  if (!before.errorPages && !after.errorPages) return;
  if (!after.errorPages) {
    add(out, '-', "error page", "error pages", "the table is removed");
    return;
  }
  std::array<Text, kStoredErrorPages> base =
      before.errorPages ? *before.errorPages : defaultErrorPages();
  if (!before.errorPages) {
    add(out, '+', "error page", "error pages", "the defaults are installed");
  }
  for (std::size_t k = 0; k < kStoredErrorPages; ++k) {
    if (base[k] == (*after.errorPages)[k]) continue;
    add(out, '~', "error page", "error page " + errorPageName(k),
        quote(base[k]) + " -> " + quote((*after.errorPages)[k]));
  }
}

std::string registryText(const RegistryValue& value) {
  switch (value.kind) {
    case RegistryValue::Kind::Number:
      return std::to_string(value.number);
    case RegistryValue::Kind::Text:
      return quote(textFromUtf8(value.text));
    default:
      return "not set";
  }
}

}  // namespace

std::vector<StateChange> stateChanges(const DeviceState& before, const DeviceState& after) {
  std::vector<StateChange> out;
  compareSwitches(before.settings, after.settings, out);
  comparePassword(before.settings, after.settings, out);
  compareApplications(before.settings, after.settings, out);
  compareHotkeys(before.settings, after.settings, out);
  compareErrorPages(before.settings, after.settings, out);
  if (!(before.configFiltersOff == after.configFiltersOff)) {
    add(out, '~', "registry", "ConfigFiltersOff",
        registryText(before.configFiltersOff) + " -> " + registryText(after.configFiltersOff));
  }
  if (!(before.packageRoot == after.packageRoot)) {
    add(out, '~', "registry", "package root (APPS)",
        registryText(before.packageRoot) + " -> " + registryText(after.packageRoot));
  }
  return out;
}
