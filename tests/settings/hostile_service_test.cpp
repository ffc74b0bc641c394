// The settings store against a settings library that reports more records than the tables
// hold, absurd counts, and texts without terminators: nothing is written or read past a table
// or a field, and what is handed back is bounded too.
#include "plugin/settings/settings_store.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

// What the stand-in library answers, and what it was handed.
struct Service {
  std::int32_t applicationCount = 0;
  std::int32_t hotkeyCount = 0;
  std::int32_t askedApplications = -1;
  std::int32_t askedHotkeys = -1;
  std::int32_t handedApplications = -1;
  std::int32_t handedHotkeys = -1;
  bool handedTextsTerminated = true;
} service;

template <std::size_t N>
void fillUnterminated(WCHAR (&field)[N], WCHAR c) {
  for (WCHAR& unit : field) unit = c;
}

template <std::size_t N>
bool terminated(const WCHAR (&field)[N]) {
  for (WCHAR unit : field) {
    if (unit == 0) return true;
  }
  return false;
}

}  // namespace

// The library's operations, defined here so that the store calls these.
std::int32_t GetApplicationCount() { return service.applicationCount; }
std::int32_t GetApplications(AppEntry* entries, std::int32_t count) {
  service.askedApplications = count;
  for (std::int32_t i = 0; i < count; ++i) {
    fillUnterminated(entries[i].title, 't');
    fillUnterminated(entries[i].executable, 'e');
    fillUnterminated(entries[i].arguments, 'a');
    fillUnterminated(entries[i].iconFile, 'i');
  }
  return 1;
}
std::int32_t GetSetting(std::int32_t, std::int32_t) { return 0; }
std::int32_t GetHotkeyCount() { return service.hotkeyCount; }
std::int32_t GetHotkeys(HotkeyEntry* entries, std::int32_t count, std::int32_t) {
  service.askedHotkeys = count;
  for (std::int32_t i = 0; i < count; ++i) {
    entries[i].keyCode = static_cast<std::uint32_t>(1000 + i);  // none of the built-in keys
    entries[i].modifiers = 0;
    entries[i].action = 0;
    fillUnterminated(entries[i].application, 'p');
    fillUnterminated(entries[i].arguments, 'q');
  }
  return 1;
}
std::int32_t GetPassword(WCHAR* buffer, std::int32_t capacity) {
  if (capacity > 0) buffer[0] = 0;
  return 1;
}
std::int32_t ReadErrorPageTable(ErrorPageTable* table) {
  for (ErrorPageEntry& e : table->entries) fillUnterminated(e.page, 'g');
  return 1;
}
std::int32_t GetViewSetting(std::int32_t, std::int32_t) { return 0; }
std::int32_t InstallDefaults() { return 1; }
std::int32_t SetApplications(const AppEntry* entries, std::int32_t count) {
  service.handedApplications = count;
  for (std::int32_t i = 0; i < count; ++i) {
    service.handedTextsTerminated &= terminated(entries[i].title) && terminated(entries[i].executable) &&
                                     terminated(entries[i].arguments) && terminated(entries[i].iconFile);
  }
  return 1;
}
std::int32_t SetHotkeys(const HotkeyEntry* entries, std::int32_t count) {
  service.handedHotkeys = count;
  for (std::int32_t i = 0; i < count; ++i) {
    service.handedTextsTerminated &= terminated(entries[i].application) && terminated(entries[i].arguments);
  }
  return 1;
}
std::int32_t SetPassword(const WCHAR*) { return 1; }
std::int32_t WriteErrorPageTable(const ErrorPageTable*) { return 1; }
std::int32_t SetViewSetting(std::int32_t, std::int32_t, std::int32_t) { return 1; }
std::int32_t SetSetting(std::int32_t, std::int32_t, std::int32_t) { return 1; }

namespace {

TEST(HostileService, CountsAreBoundedBeforeAnythingIsAllocatedOrCopied) {
  struct Case {
    const char* what;
    std::int32_t applications, hotkeys;
    std::int32_t expectedApplications, expectedAskedHotkeys, expectedHotkeySlots;
  } cases[] = {
      {"a few more than the tables hold", 25, 150, 20, 100, 100},
      {"the largest counts there are", INT_MAX, INT_MAX, 20, 100, 100},
      {"negative counts", -4, -1, 0, 0, 10},
      {"within the tables", 3, 5, 3, 5, 15},
  };
  for (const Case& c : cases) {
    service = Service();
    service.applicationCount = c.applications;
    service.hotkeyCount = c.hotkeys;
    LoadSettings();
    EXPECT_EQ(service.askedApplications, c.expectedApplications) << c.what;
    EXPECT_EQ(service.askedHotkeys, c.expectedAskedHotkeys) << c.what;

    const SettingsStore& s = settingsStore();
    int used = 0;
    for (const HotkeyEntry& h : s.hotkeys) used += h.keyCode != 0;
    EXPECT_EQ(used, c.expectedHotkeySlots) << c.what;

    CommitSettings();
    EXPECT_EQ(service.handedApplications, c.expectedApplications) << c.what;
    EXPECT_EQ(service.handedHotkeys, c.expectedHotkeySlots) << c.what;
    EXPECT_TRUE(service.handedTextsTerminated) << c.what;
  }
}

TEST(HostileService, TextsWithoutTerminatorsAreEndedInsideTheirFields) {
  service = Service();
  service.applicationCount = 2;
  service.hotkeyCount = 1;
  LoadSettings();
  const SettingsStore& s = settingsStore();
  EXPECT_EQ(textLength(s.applications[0].title), 254u);
  EXPECT_EQ(textLength(s.applications[1].iconFile), 259u);
  for (const ErrorPageEntry& e : s.errorPages.entries) EXPECT_EQ(textLength(e.page), 259u);
  // The one library hotkey got slot 10 before the sort, with its texts ended in the field.
  bool found = false;
  for (const HotkeyEntry& h : s.hotkeys) {
    if (h.keyCode != 1000) continue;
    found = true;
    EXPECT_EQ(textLength(h.application), 259u);
    EXPECT_EQ(textLength(h.arguments), 259u);
  }
  EXPECT_TRUE(found);
}

}  // namespace
