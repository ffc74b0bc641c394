// Handlers of the general switches, the password and the browser settings: values that go
// straight to the settings library, the selector switch and the error pages in the store.
#include "plugin/settings/handlers.h"

#include "plugin/entry/report.h"
#include "plugin/node/config_node.h"
#include "plugin/settings/settings_store.h"

namespace {

constexpr std::int32_t kEnableQrvId = 61009;
constexpr std::int32_t kPasswordId = 61001;
constexpr std::int32_t kFirstErrorPageId = 60004;
constexpr std::int32_t kEnableQrvSetting = 5;
constexpr std::size_t kPasswordCapacity = 260;
constexpr std::size_t kPageCapacity = sizeof(ErrorPageEntry::page) / sizeof(WCHAR);

void saveSetting(ConfigNode* node, std::int32_t number) {
  node->setValueInteger(static_cast<std::int32_t>(GetSetting(number, 1)));
}
void applySetting(ConfigNode* node, std::int32_t number) {
  SetSetting(number, node->getInteger(), 1);
}

void saveViewSetting(ConfigNode* node, std::int32_t number) {
  node->setValueInteger(static_cast<std::int32_t>(GetViewSetting(number, 1)));
}
void applyViewSetting(ConfigNode* node, std::int32_t number) {
  SetViewSetting(number, node->getInteger(), 1);
}

// A switch read from the settings under `number`.
void moveSetting(ConfigNode* node, Direction direction, std::int32_t number) {
  if (direction == Save) {
    saveSetting(node, number);
  } else {
    applySetting(node, number);
  }
}

// A browser bar: shown as the view setting, written to the view setting and the setting of
// the same number.
void moveBar(ConfigNode* node, Direction direction, std::int32_t number) {
  if (direction == Save) {
    saveViewSetting(node, number);
  } else {
    applyViewSetting(node, number);
    applySetting(node, number);
  }
}

void movePassword(ConfigNode* node, Direction direction) {
  if (direction == Save) {
    WCHAR buffer[kPasswordCapacity] = {0};
    GetPassword(buffer, static_cast<std::int32_t>(kPasswordCapacity));
    buffer[kPasswordCapacity - 1] = 0;
    node->setValueString(buffer);
  } else {
    SetPassword(node->getString());
  }
}

void moveErrorPage(ConfigNode* node, Direction direction, std::int32_t page) {
  WCHAR* text = settingsStore().errorPages.entries[page].page;
  if (direction == Save) {
    node->setValueString(text);
  } else {
    textCopy(text, kPageCapacity, node->getString());
  }
}

}  // namespace

int GeneralParamHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  std::int32_t id = node->getId();
  // With "Enable QRV" off, a document can only switch it back on and change the password.
  if (direction == Apply && GetSetting(kEnableQrvSetting, 1) == 0 && id != kEnableQrvId &&
      id != kPasswordId)
    return 0;
  switch (id) {
    case kEnableQrvId:
      moveSetting(node, direction, kEnableQrvSetting);
      break;
    case kPasswordId:
      movePassword(node, direction);
      break;
    case 61002:  // Show Taskbar
      if (direction == Save) {
        saveViewSetting(node, 1);
      } else {
        applyViewSetting(node, 1);
      }
      break;
    case 61003:  // Taskbar Enabled
      moveSetting(node, direction, 1);
      break;
    case 61004:  // Start Menu Enabled
      moveSetting(node, direction, 2);
      break;
    case 61005:  // Desktop Enabled
      moveSetting(node, direction, 3);
      break;
    case 61008:  // Enable Application Selector, written at commit
      if (direction == Save) {
        node->setValueInteger(settingsStore().selectorEnabled);
      } else {
        settingsStore().selectorEnabled = node->getInteger();
      }
      break;
    default:
      reportWarning(WSTR("Unknown configuration parameter '%s'"), node->getName());
      break;
  }
  return 0;
}

int BrowserParamHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  std::int32_t id = node->getId();
  switch (id) {
    case 60000:  // Enable Address Bar
      moveBar(node, direction, 22);
      break;
    case 60001:  // Enable Toolbar
      moveBar(node, direction, 21);
      break;
    case 60002:  // Enable Status Bar
      moveBar(node, direction, 26);
      break;
    case 60003:  // Enable Menu Bar
      moveBar(node, direction, 20);
      break;
    case 60030:  // Warn when leaving a secure page
      moveSetting(node, direction, 33);
      break;
    case 60031:  // Warn when security blocks page
      moveSetting(node, direction, 34);
      break;
    case 60032:  // Enable Cookies
      moveSetting(node, direction, 32);
      break;
    default:
      if (id >= kFirstErrorPageId && id < kFirstErrorPageId + kErrorPageCount) {
        moveErrorPage(node, direction, id - kFirstErrorPageId);
      } else {
        node->setValueString(WSTR(""));
        reportWarning(WSTR("Unknown qrv parameter '%s'"), node->getName());
      }
      break;
  }
  return 0;
}
