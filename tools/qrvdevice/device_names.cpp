// Names of switches, hotkey actions and error pages.
#include "tools/qrvdevice/device_names.h"

#include "hzkcore/document_ids.h"
#include "plugin/schema/builtin_schema.h"
#include "tools/qrvdevice/schema_view.h"

namespace {

const std::vector<NamedSwitch> kSwitches = {
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

}  // namespace

const std::vector<NamedSwitch>& namedSwitches() { return kSwitches; }

const NamedSwitch* switchNamed(bool view, std::int32_t number) {
  for (const NamedSwitch& item : kSwitches) {
    if (item.view == view && item.number == number) return &item;
  }
  return nullptr;
}

std::string switchText(const std::map<std::int32_t, std::int32_t>& values, std::int32_t number) {
  auto found = values.find(number);
  if (found == values.end()) return "not set";
  if (found->second == 0) return "off";
  if (found->second == 1) return "on";
  return "on (" + std::to_string(found->second) + ")";
}

std::string actionName(std::int32_t action) {
  static const SchemaView frame(HotkeyFrameVersions[0]);
  const SchemaNode* node = frame.byId(0);  // Action
  if (node != nullptr) {
    for (const SchemaItem& item : node->items) {
      if (item.value == action) return item.name;
    }
  }
  return std::string();
}

std::string errorPageName(std::size_t page) {
  static const SchemaView root(RootVersions[0]);
  const SchemaNode* node = root.byId(kFirstErrorPageId + static_cast<std::int32_t>(page));
  return node != nullptr ? node->name : "error page " + std::to_string(page + 1);
}
