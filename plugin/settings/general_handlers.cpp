// Handlers of the general switches, the password and the browser settings: values that go
// straight to the settings library, the selector switch and the error pages in the store.
#include "plugin/settings/handlers.h"

#include "hzkcore/document_ids.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/entry/report.h"
#include "plugin/node/config_node.h"
#include "plugin/settings/field_moves.h"
#include "plugin/settings/settings_store.h"
#include "plugin/settings/text_fields.h"

namespace {

constexpr std::int32_t kEnableQrvSetting = 5;

void applySetting(ConfigNode* node, std::int32_t number) {
  SetSetting(number, node->getInteger(), 1);
}

// A switch kept as the setting under `number`.
void moveSetting(ConfigNode* node, Direction direction, std::int32_t number) {
  if (direction == Save) {
    node->setValueInteger(static_cast<std::int32_t>(GetSetting(number, 1)));
  } else {
    applySetting(node, number);
  }
}

// A switch kept as the view setting under `number`.
void moveViewSetting(ConfigNode* node, Direction direction, std::int32_t number) {
  if (direction == Save) {
    node->setValueInteger(static_cast<std::int32_t>(GetViewSetting(number, 1)));
  } else {
    SetViewSetting(number, node->getInteger(), 1);
  }
}

// A browser bar: shown as the view setting, written to the view setting and the setting of
// the same number.
void moveBar(ConfigNode* node, Direction direction, std::int32_t number) {
  moveViewSetting(node, direction, number);
  if (direction == Apply) applySetting(node, number);
}

// A parameter that is one numbered switch of the settings library.
struct NumberedSwitch {
  std::int32_t id;
  void (*move)(ConfigNode* node, Direction direction, std::int32_t number);
  std::int32_t number;
};

const NumberedSwitch kGeneralSwitches[] = {
    {kEnableQrvId, moveSetting, kEnableQrvSetting},
    {kShowTaskbarId, moveViewSetting, 1},
    {kTaskbarEnabledId, moveSetting, 1},
    {kStartMenuEnabledId, moveSetting, 2},
    {kDesktopEnabledId, moveSetting, 3},
};

const NumberedSwitch kBrowserSwitches[] = {
    {kAddressBarId, moveBar, 22},
    {kToolbarId, moveBar, 21},
    {kStatusBarId, moveBar, 26},
    {kMenuBarId, moveBar, 20},
    {kWarnLeavingSecureId, moveSetting, 33},
    {kWarnSecurityBlocksId, moveSetting, 34},
    {kCookiesId, moveSetting, 32},
};

// Moves the switch of that id when the table has one; false when it has none.
template <std::size_t N>
bool moveSwitch(const NumberedSwitch (&table)[N], std::int32_t id, ConfigNode* node,
                Direction direction) {
  for (const NumberedSwitch& item : table) {
    if (item.id == id) {
      item.move(node, direction, item.number);
      return true;
    }
  }
  return false;
}

// A password is stored only when the device can give it back whole and an export can encode
// it: a cut one would be another password, and one that no export carries could never be
// moved to another device. Refused, the device keeps the password it has. The messages never
// hold the password's text.
void applyPassword(ConfigNode* node) {
  const WCHAR* password = node->getString();
  const std::size_t length = textLength(password);
  if (length >= kPasswordCapacity) {
    throw CVCException(WSTR("'%s' is longer than %u characters and is not stored; ")
                           WSTR("the device keeps its password"),
                       node->getName(), static_cast<std::uint32_t>(kPasswordCapacity - 1));
  }
  for (std::size_t i = 0; i < length; ++i) {
    if (password[i] > 0xFF) {
      throw CVCException(WSTR("'%s' holds a character above U+00FF, which a document cannot ")
                             WSTR("encode, and is not stored; the device keeps its password"),
                         node->getName());
    }
  }
  SetPassword(password);
}

void movePassword(ConfigNode* node, Direction direction) {
  if (direction == Save) {
    WCHAR buffer[kPasswordCapacity] = {0};
    GetPassword(buffer, static_cast<std::int32_t>(kPasswordCapacity));
    buffer[kPasswordCapacity - 1] = 0;
    node->setValueString(buffer);
  } else {
    applyPassword(node);
  }
}

}  // namespace

TextField ErrorPageTextField(ErrorPageTable& pages, std::int32_t id) {
  if (id < kFirstErrorPageId || id >= kFirstErrorPageId + kErrorPageCount) return TextField();
  return TextField::of(pages.entries[id - kFirstErrorPageId].page);
}

int GeneralParamHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  std::int32_t id = node->getId();
  // With "Enable QRV" off, a document can only switch it back on and change the password.
  if (direction == Apply && GetSetting(kEnableQrvSetting, 1) == 0 && id != kEnableQrvId &&
      id != kPasswordId)
    return 0;
  if (moveSwitch(kGeneralSwitches, id, node, direction)) return 0;
  switch (id) {
    case kPasswordId:
      movePassword(node, direction);
      break;
    case kSelectorEnabledId:  // written at commit
      moveSigned(node, direction, settingsStore().selectorEnabled);
      break;
    default:
      reportWarning(WSTR("Unknown configuration parameter '%s'"), node->getName());
      break;
  }
  return 0;
}

int BrowserParamHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  std::int32_t id = node->getId();
  if (moveSwitch(kBrowserSwitches, id, node, direction)) return 0;
  if (TextField page = ErrorPageTextField(settingsStore().errorPages, id)) {
    moveText(node, direction, page);
  } else {
    node->setValueString(WSTR(""));
    reportWarning(WSTR("Unknown qrv parameter '%s'"), node->getName());
  }
  return 0;
}
