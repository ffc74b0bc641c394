// The settings store: loading it from the settings library before a walk, and committing it
// back after an Apply.
#include "plugin/settings/settings_store.h"

#include "platform/registry.h"
#include "platform/window.h"
#include "plugin/settings/hotkey_names.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

constexpr std::int32_t kSelectorSetting = 4;
constexpr std::uint32_t kAltBit = 0x80000000u;
constexpr UINT kSelectorRefreshMessage = WM_USER + 4;
// Long enough for a window that is alive, short enough that a hung one cannot stall an Apply.
constexpr UINT kSelectorTimeoutMs = 500;

// Zeroed at load like the rest of the module's state; no constructor runs.
SettingsStore store;
// Whether the error-page table in the store came from the library. One that could not be read
// is never written back, so that a failed read cannot overwrite the stored pages with blanks.
bool errorPagesLoaded;

// The library fills records as raw memory and may leave a text without its terminator: each
// field is ended at its last unit so that no later read runs past it.
template <std::size_t N>
void terminate(WCHAR (&field)[N]) {
  field[N - 1] = 0;
}

#define QRV_TERMINATE(member, ...) terminate(record.member);
void terminate(AppEntry& record) { QRV_APPLICATION_FIELDS(QRV_TERMINATE, QRV_NO_FIELD) }
void terminate(HotkeyEntry& record) { QRV_HOTKEY_FIELDS(QRV_TERMINATE, QRV_NO_FIELD) }
#undef QRV_TERMINATE

bool isEmpty(const AppEntry& a) { return a.title[0] == 0; }

void loadErrorPages() {
  std::memset(&store.errorPages, 0, sizeof(store.errorPages));
  errorPagesLoaded = ReadErrorPageTable(&store.errorPages) != 0;
  if (!errorPagesLoaded) {
    InstallDefaults();
    RegFlushKey(HKEY_LOCAL_MACHINE);
    RegFlushKey(HKEY_CURRENT_USER);
    errorPagesLoaded = ReadErrorPageTable(&store.errorPages) != 0;
  }
  for (ErrorPageEntry& entry : store.errorPages.entries) terminate(entry.page);
}

void loadApplications() {
  std::memset(store.applications, 0, sizeof(store.applications));
  // A count the table cannot hold is cut to the table.
  std::int32_t n = std::clamp<std::int32_t>(GetApplicationCount(), 0, kApplicationCapacity);
  for (std::int32_t i = 0; i < n; ++i) store.applications[i].index = i;
  GetApplications(store.applications, n);
  for (AppEntry& a : store.applications) terminate(a);
}

std::uint32_t builtInKeyCode(int i) { return DefaultHotkeys[i].code & ~kAltBit; }
std::uint32_t builtInModifiers(int i) { return (DefaultHotkeys[i].code & kAltBit) ? 1 : 0; }

// The built-in hotkeys F1 to F10 in slots 0 to 9.
void placeBuiltInHotkeys(HotkeyEntry (&table)[kHotkeyCapacity]) {
  std::memset(table, 0, sizeof(table));
  for (int i = 0; i < kBuiltInHotkeyCount; ++i) {
    HotkeyEntry& slot = table[i];
    slot.index = i;
    slot.keyCode = builtInKeyCode(i);
    slot.modifiers = builtInModifiers(i);
    slot.action = kNoAction;
    slot.data = DefaultHotkeys[i].data;
  }
}

// The library is asked for no more hotkeys than the table has slots.
int loadHotkeys() {
  std::int32_t m = std::clamp<std::int32_t>(GetHotkeyCount(), 0, kHotkeyCapacity);
  // Never empty, so the library is handed a valid array even for no hotkeys.
  std::vector<HotkeyEntry> loaded(static_cast<std::size_t>(std::max(m, 1)));
  GetHotkeys(loaded.data(), m, 1);
  return MergeHotkeys(loaded.data(), m, store.hotkeys, store.protectedHotkey);
}

// Moves the non-empty applications to the front, in table order, numbered from 0.
std::int32_t compactApplications() {
  std::int32_t count = 0;
  for (int i = 0; i < kApplicationCapacity; ++i) {
    if (isEmpty(store.applications[i])) continue;
    if (i != count) store.applications[count] = store.applications[i];
    store.applications[count].index = count;
    ++count;
  }
  for (int i = count; i < kApplicationCapacity; ++i) {
    std::memset(&store.applications[i], 0, sizeof(AppEntry));
  }
  return count;
}

void commitSelector() {
  std::int32_t current = GetSetting(kSelectorSetting, 1);
  if (current != store.selectorEnabled) {
    SetSetting(kSelectorSetting, store.selectorEnabled, 1);
  } else if (store.selectorEnabled != 0) {
    // The selector stays on: it is told to read its applications again.
    HWND selector = FindWindowW(WSTR("Application Selector"), WSTR("Application Selector"));
    if (selector) {
      std::uintptr_t ignored = 0;
      SendMessageTimeoutW(selector, kSelectorRefreshMessage, 0, 0, SMTO_ABORTIFHUNG,
                          kSelectorTimeoutMs, &ignored);
    }
  }
}

// The key combination that launched the configuration utility when the settings were loaded
// keeps doing so, unless the document gave that action to some hotkey itself.
std::int32_t compactHotkeys() {
  bool actionKept = std::any_of(std::begin(store.hotkeys), std::end(store.hotkeys),
                                [](const HotkeyEntry& h) { return h.action == kLaunchConfigAction; });
  if (actionKept) store.protectedHotkey.keyCode = 0;
  std::uint32_t key = store.protectedHotkey.keyCode;
  std::uint32_t mods = store.protectedHotkey.modifiers;

  std::int32_t count = 0;
  for (int i = 0; i < kHotkeyCapacity; ++i) {
    if (store.hotkeys[i].keyCode == 0) continue;
    if (i != count) store.hotkeys[count] = store.hotkeys[i];
    HotkeyEntry& kept = store.hotkeys[count];
    kept.index = count;
    if (kept.keyCode == key && kept.modifiers == mods) kept.action = kLaunchConfigAction;
    ++count;
  }
  for (int i = count; i < kHotkeyCapacity; ++i) std::memset(&store.hotkeys[i], 0, sizeof(HotkeyEntry));
  return count;
}

}  // namespace

const KeyTableRow DefaultHotkeys[kBuiltInHotkeyCount] = {
    {WSTR("F1"), 179, 1}, {WSTR("F2"), 180, 1}, {WSTR("F3"), 181, 1}, {WSTR("F4"), 182, 1},
    {WSTR("F5"), 183, 1}, {WSTR("F6"), 184, 1}, {WSTR("F7"), 185, 1}, {WSTR("F8"), 186, 1},
    {WSTR("F9"), 187, 1}, {WSTR("F10"), 188, 1}};

bool IsBuiltInHotkey(std::uint32_t keyCode, std::uint32_t modifiers) {
  for (int i = 0; i < kBuiltInHotkeyCount; ++i) {
    if (builtInKeyCode(i) == keyCode && builtInModifiers(i) == modifiers) return true;
  }
  return false;
}

SettingsStore& settingsStore() { return store; }

int MergeHotkeys(const HotkeyEntry* records, int count, HotkeyEntry (&table)[kHotkeyCapacity],
                 HotkeyEntry& launchConfig) {
  placeBuiltInHotkeys(table);
  int next = kBuiltInHotkeyCount;
  for (int k = 0; records != nullptr && k < count; ++k) {
    HotkeyEntry h = records[k];
    terminate(h);
    if (h.keyCode == 0) continue;  // an empty record holds no hotkey
    HotkeyEntry* slot = nullptr;
    for (int i = 0; i < kBuiltInHotkeyCount; ++i) {
      if (table[i].keyCode == h.keyCode && table[i].modifiers == h.modifiers) {
        slot = &table[i];
        break;
      }
    }
    if (slot) {
      slot->action = h.action;
#define QRV_MERGE_TEXT(member, ...) textCopy(slot->member, std::size(slot->member), h.member);
      QRV_HOTKEY_FIELDS(QRV_MERGE_TEXT, QRV_NO_FIELD)
#undef QRV_MERGE_TEXT
    } else if (next < kHotkeyCapacity) {
      slot = &table[next];
      *slot = h;
      slot->index = next++;
    } else {
      continue;
    }
    if (slot->action == kLaunchConfigAction) launchConfig = *slot;
  }
  return next;
}

void LoadSettings() {
  store.currentHotkey = -1;
  store.currentApplication = -1;
  loadErrorPages();
  store.selectorEnabled = GetSetting(kSelectorSetting, 1);
  loadApplications();
  int occupied = loadHotkeys();
  SortHotkeys(store.hotkeys, 0, occupied - 1);
}

void CommitSettings() {
  if (errorPagesLoaded) WriteErrorPageTable(&store.errorPages);
  std::int32_t applications = compactApplications();
  SetApplications(store.applications, applications);
  commitSelector();
  std::int32_t hotkeys = compactHotkeys();
  SetHotkeys(store.hotkeys, hotkeys);
}
