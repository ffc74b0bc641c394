// Handlers of the hotkeys: the list of one frame per occupied slot, one frame, and the
// properties of the frame being walked.
#include "plugin/settings/handlers.h"

#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/builtin_schema.h"
#include "plugin/settings/field_moves.h"
#include "plugin/settings/frame_tables.h"
#include "plugin/settings/hotkey_names.h"
#include "plugin/settings/settings_store.h"
#include "plugin/settings/text_fields.h"

TextField HotkeyTextField(HotkeyEntry& hotkey, std::int32_t id) {
  switch (id) {
    case 1: return TextField::of(hotkey.application);
    case 2: return TextField::of(hotkey.arguments);
    default: return TextField();
  }
}

void BuildHotkeyFrames(const HotkeyEntry* hotkeys, FrameList<kHotkeyCapacity>& frames) {
  for (int slot = 0; slot < kHotkeyCapacity; ++slot) {
    if (hotkeys[slot].keyCode == 0) continue;  // the slot's number is not reused
    frames.add(kFirstHotkeyFrameId + slot, HotkeyFrameHandler, WSTR("FRAME %s"),
               HotkeyKeyName(hotkeys[slot].keyCode, hotkeys[slot].modifiers));
  }
}

int HotkeyListHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  FrameList<kHotkeyCapacity> frames;
  BuildHotkeyFrames(settingsStore().hotkeys, frames);
  return frames.walk(node, direction);
}

int HotkeyFrameHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  return walkFrame(node, kFirstHotkeyFrameId, settingsStore().currentHotkey, HotkeyFrameVersions,
                   direction);
}

int HotkeyPropertyHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  HotkeyEntry& hotkey = frameRecord(settingsStore().hotkeys, settingsStore().currentHotkey, node,
                                    WSTR("Hotkey property '%s' is outside a hotkey frame"));
  const std::int32_t id = node->getId();
  if (TextField field = HotkeyTextField(hotkey, id)) {
    moveText(node, direction, field);
    return 0;
  }
  switch (id) {
    case 0:  // Action: the chosen item's VALUE
      moveSigned(node, direction, hotkey.action);
      break;
    case 3:
      moveUnsigned(node, direction, hotkey.keyCode);
      break;
    case 4:
      moveUnsigned(node, direction, hotkey.modifiers);
      break;
    default:
      throw CVCException(WSTR("Unknown hotkey property '%s'"), node->getName());
  }
  return 0;
}
