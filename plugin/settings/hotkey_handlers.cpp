// Handlers of the hotkeys: the list of one frame per occupied slot, one frame, and the
// properties of the frame being walked.
#include "plugin/settings/handlers.h"

#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/builtin_schema.h"
#include "plugin/schema/walker.h"
#include "plugin/settings/frame_tables.h"
#include "plugin/settings/hotkey_names.h"
#include "plugin/settings/settings_store.h"

#include <cstring>

namespace {

constexpr std::int32_t kFirstFrameId = 62000;

template <std::size_t N>
void moveText(ConfigNode* node, Direction direction, WCHAR (&field)[N]) {
  if (direction == Save) {
    node->setValueString(field);
  } else {
    textCopy(field, N, node->getString());
  }
}

void moveCode(ConfigNode* node, Direction direction, std::uint32_t& field) {
  if (direction == Save) {
    node->setValueInteger(field);
  } else {
    field = static_cast<std::uint32_t>(node->getInteger());
  }
}

}  // namespace

int HotkeyListHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  SchemaEntry entries[kHotkeyCapacity];
  std::memset(entries, 0, sizeof(entries));
  std::uint32_t count = 0;
  const HotkeyEntry* hotkeys = settingsStore().hotkeys;
  for (int slot = 0; slot < kHotkeyCapacity; ++slot) {
    if (hotkeys[slot].keyCode == 0) continue;  // the slot's number is not reused
    SchemaEntry& entry = entries[count++];
    textFormat(entry.text, kSchemaTextCapacity, WSTR("FRAME %s"),
               HotkeyKeyName(hotkeys[slot].keyCode, hotkeys[slot].modifiers));
    entry.id = kFirstFrameId + slot;
    entry.handler = HotkeyFrameHandler;
  }
  SchemaVersion version = frameListVersion(entries, count);
  return WalkComponent(node, &version, 1, direction);
}

int HotkeyFrameHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  CurrentSlot slot(settingsStore().currentHotkey, node->getId() - kFirstFrameId);
  return WalkComponent(node, HotkeyFrameVersions, 1, direction);
}

int HotkeyPropertyHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  std::int32_t slot = settingsStore().currentHotkey;
  if (slot < 0 || slot >= kHotkeyCapacity) {
    throw CVCException(WSTR("Hotkey property '%s' is outside a hotkey frame"), node->getName());
  }
  HotkeyEntry& hotkey = settingsStore().hotkeys[slot];
  switch (node->getId()) {
    case 0:  // Action: the chosen item's VALUE
      if (direction == Save) {
        node->setValueInteger(hotkey.action);
      } else {
        hotkey.action = node->getInteger();
      }
      break;
    case 1:
      moveText(node, direction, hotkey.application);
      break;
    case 2:
      moveText(node, direction, hotkey.arguments);
      break;
    case 3:
      moveCode(node, direction, hotkey.keyCode);
      break;
    case 4:
      moveCode(node, direction, hotkey.modifiers);
      break;
    default:
      throw CVCException(WSTR("Unknown hotkey property '%s'"), node->getName());
  }
  return 0;
}
