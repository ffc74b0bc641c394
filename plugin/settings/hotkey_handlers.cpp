// Handlers of the hotkeys: the list of one frame per occupied slot, one frame, and the
// properties of the frame being walked.
#include "plugin/settings/handlers.h"

#include "plugin/entry/cvc_exception.h"
#include "plugin/entry/report.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/builtin_schema.h"
#include "plugin/settings/field_moves.h"
#include "plugin/settings/frame_tables.h"
#include "plugin/settings/hotkey_names.h"
#include "plugin/settings/settings_store.h"
#include "plugin/settings/text_fields.h"

TextField HotkeyTextField(HotkeyEntry& record, std::int32_t id) {
  QRV_HOTKEY_FIELDS(QRV_TEXT_FIELD_OF, QRV_NO_FIELD)
  return TextField();
}

namespace {

constexpr std::size_t kKeyNameCapacity = 32;

struct KeyCombination {
  std::uint32_t keyCode;
  std::uint32_t modifiers;
};

KeyCombination combinationOf(const HotkeyEntry& hotkey) {
  return {hotkey.keyCode, hotkey.modifiers};
}

bool holds(const HotkeyEntry& hotkey, KeyCombination combination) {
  return hotkey.keyCode == combination.keyCode && hotkey.modifiers == combination.modifiers;
}

// A hotkey's name in a buffer of its own, as HotkeyKeyName's is rebuilt by every call.
struct KeyName {
  WCHAR text[kKeyNameCapacity];
  explicit KeyName(KeyCombination combination) {
    textCopy(text, kKeyNameCapacity, HotkeyKeyName(combination.keyCode, combination.modifiers));
  }
};

// The first occupied slot other than `slot` on the same key combination, or -1.
int otherHolder(const HotkeyEntry* hotkeys, int slot) {
  const KeyCombination combination = combinationOf(hotkeys[slot]);
  for (int other = 0; other < kHotkeyCapacity; ++other) {
    if (other != slot && hotkeys[other].keyCode != 0 && holds(hotkeys[other], combination)) {
      return other;
    }
  }
  return -1;
}

// After the frames of an Apply: a hotkey that the document moved onto a key combination that
// another slot holds gets a warning naming both. On a built-in key the next load would merge
// the two into one slot and lose one of them, so that move is taken back (the key and its
// modifiers; what else the frame set stays). Taking a move back only turns a moved slot into
// an unmoved one, so repeating until none is left ends, whatever the order of the frames.
// Elsewhere two slots on one combination are what the device itself keeps, and they stay.
void keepHotkeysApart(HotkeyEntry* hotkeys, const KeyCombination (&before)[kHotkeyCapacity]) {
  auto moved = [&](int slot) {
    return hotkeys[slot].keyCode != 0 && !holds(hotkeys[slot], before[slot]);
  };
  for (bool tookBack = true; tookBack;) {
    tookBack = false;
    for (int slot = 0; slot < kHotkeyCapacity && !tookBack; ++slot) {
      const HotkeyEntry& hotkey = hotkeys[slot];
      if (!moved(slot) || !IsBuiltInHotkey(hotkey.keyCode, hotkey.modifiers)) continue;
      const int other = otherHolder(hotkeys, slot);
      if (other < 0) continue;
      reportWarning(WSTR("Hotkey '%s' is not moved onto '%s', which hotkey '%s' holds: a device ")
                        WSTR("keeps one hotkey for each built-in key"),
                    KeyName(before[slot]).text, KeyName(combinationOf(hotkeys[slot])).text,
                    KeyName(before[other]).text);
      hotkeys[slot].keyCode = before[slot].keyCode;
      hotkeys[slot].modifiers = before[slot].modifiers;
      tookBack = true;
    }
  }
  for (int slot = 0; slot < kHotkeyCapacity; ++slot) {
    if (!moved(slot)) continue;
    const int other = otherHolder(hotkeys, slot);
    if (other < 0) continue;
    reportWarning(WSTR("Hotkey '%s' is moved onto '%s', which hotkey '%s' holds as well"),
                  KeyName(before[slot]).text, KeyName(combinationOf(hotkeys[slot])).text,
                  KeyName(before[other]).text);
  }
}

}  // namespace

void BuildHotkeyFrames(const HotkeyEntry* hotkeys, FrameList<kHotkeyCapacity>& frames) {
  for (int slot = 0; slot < kHotkeyCapacity; ++slot) {
    if (hotkeys[slot].keyCode == 0) continue;  // the slot's number is not reused
    frames.add(kFirstHotkeyFrameId + slot, HotkeyFrameHandler, WSTR("FRAME %s"),
               HotkeyKeyName(hotkeys[slot].keyCode, hotkeys[slot].modifiers));
  }
}

int HotkeyListHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  FrameList<kHotkeyCapacity> frames;
  HotkeyEntry* hotkeys = settingsStore().hotkeys;
  BuildHotkeyFrames(hotkeys, frames);
  if (direction == Save) return frames.walk(node, direction);
  KeyCombination before[kHotkeyCapacity];
  for (int slot = 0; slot < kHotkeyCapacity; ++slot) before[slot] = combinationOf(hotkeys[slot]);
  // The store is committed however the walk ends, so the moves are checked on every path.
  int result = 0;
  try {
    result = frames.walk(node, direction);
  } catch (...) {
    keepHotkeysApart(hotkeys, before);
    throw;
  }
  keepHotkeysApart(hotkeys, before);
  return result;
}

int HotkeyFrameHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  return walkFrame(node, kFirstHotkeyFrameId, settingsStore().currentHotkey, HotkeyFrameVersions,
                   direction);
}

int HotkeyPropertyHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  HotkeyEntry& record = frameRecord(settingsStore().hotkeys, settingsStore().currentHotkey, node,
                                    WSTR("Hotkey property '%s' is outside a hotkey frame"));
  const std::int32_t id = node->getId();
  if (TextField field = HotkeyTextField(record, id)) {
    moveText(node, direction, field);
    return 0;
  }
  // The action is the chosen item's VALUE.
  QRV_HOTKEY_FIELDS(QRV_NO_FIELD, QRV_MOVE_NUMBER)
  throw CVCException(WSTR("Unknown hotkey property '%s'"), node->getName());
}
