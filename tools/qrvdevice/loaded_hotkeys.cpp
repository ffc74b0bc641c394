// The loaded hotkey table, built by the plug-in's own merge and sort.
#include "tools/qrvdevice/loaded_hotkeys.h"

#include <cstring>

#include "plugin/settings/hotkey_names.h"

int loadedHotkeyTable(const std::vector<StoredHotkeyEntry>& stored,
                      HotkeyEntry (&table)[kHotkeyCapacity], HotkeyEntry* launchConfig) {
  std::vector<HotkeyEntry> records(stored.size() + 1);
  for (std::size_t i = 0; i < stored.size(); ++i) {
    HotkeyEntry& r = records[i];
    std::memset(&r, 0, sizeof r);
    r.index = static_cast<std::int32_t>(i);
    r.keyCode = stored[i].keyCode;
    r.modifiers = stored[i].modifiers;
    r.action = stored[i].action;
    r.data = stored[i].data;
    textCopy(r.application, sizeof r.application / sizeof(WCHAR), stored[i].application.c_str());
    textCopy(r.arguments, sizeof r.arguments / sizeof(WCHAR), stored[i].arguments.c_str());
  }
  HotkeyEntry found;
  std::memset(&found, 0, sizeof found);
  int count = stored.size() > static_cast<std::size_t>(kHotkeyCapacity)
                  ? kHotkeyCapacity
                  : static_cast<int>(stored.size());
  int occupied = MergeHotkeys(records.data(), count, table, found);
  SortHotkeys(table, 0, occupied - 1);
  if (launchConfig != nullptr) *launchConfig = found;
  return occupied;
}
