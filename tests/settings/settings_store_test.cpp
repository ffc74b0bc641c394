// The settings store over the real settings library: the calls of a load and a commit, the
// merging and ordering of hotkeys, the protected hotkey, compaction, and the Application
// Selector's notification.
#include "plugin/settings/settings_store.h"

#include "hzkcore/device_settings.h"
#include "platform/device.h"
#include "plugin/settings/hotkey_names.h"
#include "support/device_capabilities.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

Text T(const char* s) { return textFromUtf8(s); }
std::string U(const WCHAR* s) { return textToUtf8(s); }

StoredAppEntry app(const char* title) {
  StoredAppEntry a;
  a.title = T(title);
  a.executable = T(std::string("\\").append(title).append(".exe").c_str());
  return a;
}

StoredHotkeyEntry hotkey(std::uint32_t key, std::uint32_t mods, std::int32_t action,
                    const char* application = "", std::int32_t data = 0) {
  StoredHotkeyEntry h;
  h.keyCode = key;
  h.modifiers = mods;
  h.action = action;
  h.data = data;
  h.application = T(application);
  return h;
}

// Names of the occupied slots, in slot order; checks that every slot after them is empty.
std::vector<std::string> occupiedNames() {
  std::vector<std::string> out;
  const SettingsStore& s = settingsStore();
  int i = 0;
  for (; i < kHotkeyCapacity && s.hotkeys[i].keyCode != 0; ++i) {
    out.push_back(U(HotkeyKeyName(s.hotkeys[i].keyCode, s.hotkeys[i].modifiers)));
  }
  for (; i < kHotkeyCapacity; ++i) EXPECT_EQ(s.hotkeys[i].keyCode, 0u) << "slot " << i;
  return out;
}

const HotkeyEntry* slotOf(std::uint32_t key, std::uint32_t mods) {
  for (const HotkeyEntry& h : settingsStore().hotkeys) {
    if (h.keyCode == key && h.modifiers == mods) return &h;
  }
  return nullptr;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The remembered protected hotkey lives as long as the module; each test starts without.
    std::memset(&settingsStore().protectedHotkey, 0, sizeof(HotkeyEntry));
  }
  void store(const DeviceSettings& d) {
    ASSERT_TRUE(writeDeviceSettings(d)) << device::registryStatus().problem();
    (void)device::clearStateFile("calls");
  }
  std::vector<std::string> calls() { return device::readStateLines("calls"); }

  TempDevice device_;
};

TEST_F(SettingsStoreTest, LoadAndCommitCallTheLibraryInItsOrder) {
  DeviceSettings d = defaultDeviceSettings();
  d.applications = {app("One"), app("Two")};
  d.hotkeys = {hotkey(65, 2, 0)};
  store(d);

  LoadSettings();
  std::vector<std::string> firstLoad = {
      "ReadErrorPageTable()", "InstallDefaults()",     "ReadErrorPageTable()",
      "GetSetting(4, 1)",     "GetApplicationCount()", "GetApplications(2)",
      "GetHotkeyCount()",     "GetHotkeys(1, 1)"};
  EXPECT_EQ(calls(), firstLoad);

  (void)device::clearStateFile("calls");
  LoadSettings();
  std::vector<std::string> laterLoad = {"ReadErrorPageTable()", "GetSetting(4, 1)",
                                        "GetApplicationCount()", "GetApplications(2)",
                                        "GetHotkeyCount()",      "GetHotkeys(1, 1)"};
  EXPECT_EQ(calls(), laterLoad);

  (void)device::clearStateFile("calls");
  settingsStore().selectorEnabled = 1;
  CommitSettings();
  std::vector<std::string> commit = {"WriteErrorPageTable()", "SetApplications(2)",
                                     "GetSetting(4, 1)", "SetSetting(4, 1, 1)",
                                     "SetHotkeys(11)"};
  EXPECT_EQ(calls(), commit);
}

TEST_F(SettingsStoreTest, LoadMergesLibraryHotkeysIntoTheBuiltInOnesAndSortsByName) {
  DeviceSettings d = defaultDeviceSettings();
  d.hotkeys = {hotkey(181, 0, 0, "\\f3.exe", 9),  // F3: takes over the built-in slot
               hotkey(181, 2, 2),                   // Ctrl + F3: a slot of its own
               hotkey(65, 2, 0, "\\first.exe"),     // the same combination twice: two slots
               hotkey(65, 2, 0, "\\second.exe"),
               hotkey(0, 0, 3),                     // no key: holds no hotkey
               hotkey(200, 0, 4)};
  store(d);
  LoadSettings();

  std::vector<std::string> expected = {"Ctrl + A", "Ctrl + A", "Ctrl + F3", "F1", "F10", "F2",
                                       "F3",       "F4",       "F5",        "F6", "F7",  "F8",
                                       "F9",       "Unrecognized Key"};
  EXPECT_EQ(occupiedNames(), expected);

  const HotkeyEntry* f3 = slotOf(181, 0);
  ASSERT_NE(f3, nullptr);
  EXPECT_EQ(f3->action, 0);
  EXPECT_EQ(U(f3->application), "\\f3.exe");
  EXPECT_EQ(f3->data, 1) << "the built-in slot keeps its own data";
  EXPECT_EQ(f3->index, 2) << "and its slot number from before the sort";
  const HotkeyEntry* f4 = slotOf(182, 0);
  ASSERT_NE(f4, nullptr);
  EXPECT_EQ(f4->action, kNoAction);
  EXPECT_EQ(f4->data, 1);
  EXPECT_EQ(settingsStore().protectedHotkey.keyCode, 0u)
      << "a record without a key protects nothing";
}

TEST_F(SettingsStoreTest, CommitCompactsApplicationsAndDropsClearedHotkeys) {
  DeviceSettings d = defaultDeviceSettings();
  d.applications = {app("A"), app("B"), app("C"), app("D"), app("E")};
  d.hotkeys = {hotkey(65, 2, 0), hotkey(66, 2, 0)};
  store(d);
  LoadSettings();

  SettingsStore& s = settingsStore();
  s.applications[2].title[0] = 0;
  // A document can fill an empty slot further down; it moves up behind the others.
  textCopy(s.applications[9].title, 255, WSTR("J"));
  HotkeyEntry* f5 = const_cast<HotkeyEntry*>(slotOf(183, 0));
  ASSERT_NE(f5, nullptr);
  f5->keyCode = 0;
  CommitSettings();

  DeviceSettings out;
  ASSERT_TRUE(readDeviceSettings(out));
  std::vector<std::string> titles;
  for (const StoredAppEntry& a : out.applications) titles.push_back(textToUtf8(a.title.c_str()));
  EXPECT_EQ(titles, (std::vector<std::string>{"A", "B", "D", "E", "J"}));
  EXPECT_EQ(U(out.applications[2].executable.c_str()), "\\D.exe");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(s.applications[i].index, i);

  std::vector<std::string> keys;
  for (const StoredHotkeyEntry& h : out.hotkeys) keys.push_back(U(HotkeyKeyName(h.keyCode, h.modifiers)));
  EXPECT_EQ(keys, (std::vector<std::string>{"Ctrl + A", "Ctrl + B", "F1", "F10", "F2", "F3",
                                            "F4", "F6", "F7", "F8", "F9"}));
}

TEST_F(SettingsStoreTest, TheLaunchConfigActionStaysWithItsKeyCombination) {
  DeviceSettings d = defaultDeviceSettings();
  d.hotkeys = {hotkey(122, 2, kLaunchConfigAction), hotkey(65, 0, 0)};  // Ctrl + F11 launches the utility
  store(d);

  struct Case {
    const char* what;
    std::uint32_t changedKey, changedMods;  // whose action the document changes
    std::int32_t newAction;
    std::int32_t expectedCtrlF11, expectedA;
  } cases[] = {
      {"action taken away comes back", 122, 2, 1, kLaunchConfigAction, 0},
      {"action given to another key: nothing restored", 65, 0, kLaunchConfigAction,
       kLaunchConfigAction, kLaunchConfigAction},
  };
  for (const Case& c : cases) {
    store(d);
    LoadSettings();
    EXPECT_EQ(settingsStore().protectedHotkey.keyCode, 122u) << c.what;
    const_cast<HotkeyEntry*>(slotOf(c.changedKey, c.changedMods))->action = c.newAction;
    CommitSettings();
    DeviceSettings out;
    ASSERT_TRUE(readDeviceSettings(out));
    for (const StoredHotkeyEntry& h : out.hotkeys) {
      if (h.keyCode == 122) {
        EXPECT_EQ(h.action, c.expectedCtrlF11) << c.what;
      } else if (h.keyCode == 65) {
        EXPECT_EQ(h.action, c.expectedA) << c.what;
      }
    }
  }

  // Moving the action elsewhere made the store forget the combination: with no such action left
  // on the device, a later commit gives none back.
  DeviceSettings none = defaultDeviceSettings();
  none.hotkeys = {hotkey(122, 2, 1)};
  store(none);
  LoadSettings();
  CommitSettings();
  DeviceSettings out;
  ASSERT_TRUE(readDeviceSettings(out));
  for (const StoredHotkeyEntry& h : out.hotkeys) EXPECT_NE(h.action, kLaunchConfigAction) << h.keyCode;
}

TEST_F(SettingsStoreTest, SelectorIsToldOnlyWhenItStaysOn) {
  if (!deviceJournalsMessages())
    GTEST_SKIP() << "the device does not journal window messages (the selector window test checks "
                    "the message)";
  std::ofstream(device::statePath("windows"))
      << "Decoy\tApplication Selector\n"
      << "Application Selector\tApplication Selector\n";

  struct Case {
    const char* what;
    std::int32_t stored, fromDocument;
    std::vector<std::string> expectedMessages;
    const char* expectedSetCall;  // null when the setting is left alone
  } cases[] = {
      {"stays on", 1, 1, {"Application Selector\tApplication Selector\t1028\t0\t0"}, nullptr},
      {"switched on", 0, 1, {}, "SetSetting(4, 1, 1)"},
      {"switched off", 1, 0, {}, "SetSetting(4, 0, 1)"},
      {"stays off", 0, 0, {}, nullptr},
  };
  for (const Case& c : cases) {
    DeviceSettings d = defaultDeviceSettings();
    d.settings[4] = c.stored;
    store(d);
    (void)device::clearStateFile("messages");
    LoadSettings();
    settingsStore().selectorEnabled = c.fromDocument;
    CommitSettings();
    EXPECT_EQ(device::readStateLines("messages"), c.expectedMessages) << c.what;
    std::vector<std::string> lines = calls();
    bool setCalled = false;
    for (const std::string& line : lines) setCalled |= line.rfind("SetSetting(4,", 0) == 0;
    if (c.expectedSetCall) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), c.expectedSetCall), lines.end()) << c.what;
    } else {
      EXPECT_FALSE(setCalled) << c.what;
    }
    EXPECT_EQ(GetSetting(4, 1), c.fromDocument) << c.what;
  }
}

TEST_F(SettingsStoreTest, NoSelectorWindowMeansNoMessage) {
  DeviceSettings d = defaultDeviceSettings();
  d.settings[4] = 1;
  store(d);
  std::ofstream(device::statePath("windows")) << "Other\tApplication Selector\n";
  LoadSettings();
  CommitSettings();
  EXPECT_TRUE(device::readStateLines("messages").empty());
}

}  // namespace
