// The settings library: defaults of a new device, the stored state, the journal of calls, the
// bounds on counts and fields, and the error-page table's own bytes.
#include "hzkcore/device_settings.h"
#include "hzkcore/hzkcore.h"
#include "platform/device.h"
#include "support/device_capabilities.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

Text T(const char* s) { return textFromUtf8(s); }
std::string U(const WCHAR* s) { return textToUtf8(s); }

std::vector<std::string> journal() { return device::readStateLines("calls"); }

StoredAppEntry app(const char* title, const char* exe, std::int32_t delay = 0) {
  StoredAppEntry a;
  a.title = T(title);
  a.executable = T(exe);
  a.arguments = T("-x");
  a.iconFile = T("\\icon.ico");
  a.runAtStartup = 1;
  a.startupDelay = delay;
  return a;
}

StoredHotkeyEntry hotkey(std::uint32_t key, std::uint32_t mods, std::int32_t action) {
  StoredHotkeyEntry h;
  h.keyCode = key;
  h.modifiers = mods;
  h.action = action;
  h.data = 7;
  h.application = T("\\app.exe");
  h.arguments = T("/a");
  return h;
}

class HzkcoreTest : public ::testing::Test {
 protected:
  TempDevice device_;
};

TEST_F(HzkcoreTest, NewDeviceHoldsTheDefaults) {
  if (!deviceHasItsOwnRegistry())
    GTEST_SKIP() << "the registry is the system's and holds the keys of earlier tests, not a new "
                    "device's";
  DeviceSettings read;
  ASSERT_TRUE(readDeviceSettings(read)) << device::registryStatus().problem();
  DeviceSettings defaults = defaultDeviceSettings();
  EXPECT_EQ(read.settings, defaults.settings);
  EXPECT_EQ(read.viewSettings, defaults.viewSettings);
  EXPECT_TRUE(read.password.empty());
  EXPECT_TRUE(read.applications.empty());
  EXPECT_TRUE(read.hotkeys.empty());
  EXPECT_FALSE(read.errorPages.has_value());

  struct Case {
    const char* what;
    std::int32_t got, want;
  } cases[] = {
      {"taskbar enabled", GetSetting(1, 1), 1},   {"start menu", GetSetting(2, 1), 1},
      {"desktop", GetSetting(3, 1), 1},           {"selector off", GetSetting(4, 1), 0},
      {"Enable QRV", GetSetting(5, 1), 1},        {"toolbar", GetSetting(21, 1), 1},
      {"cookies", GetSetting(32, 1), 1},          {"warnings", GetSetting(33, 1), 1},
      {"unknown setting", GetSetting(77, 1), 0},  {"taskbar shown", GetViewSetting(1, 1), 1},
      {"address bar", GetViewSetting(22, 1), 1},  {"applications", GetApplicationCount(), 0},
      {"hotkeys", GetHotkeyCount(), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;

  ErrorPageTable table;
  EXPECT_EQ(ReadErrorPageTable(&table), 0) << "no table before the defaults are installed";
  EXPECT_EQ(InstallDefaults(), 1);
  ASSERT_NE(ReadErrorPageTable(&table), 0);
  auto pages = defaultErrorPages();
  for (int k = 0; k < kErrorPageCount; ++k) EXPECT_EQ(Text(table.entries[k].page), pages[k]) << k;
}

TEST_F(HzkcoreTest, StoredStateRoundTripsAndShrinks) {
  DeviceSettings in = defaultDeviceSettings();
  in.settings[4] = 1;
  in.settings[-3] = 12;
  in.viewSettings[21] = 0;
  in.password = T("s3cr\xC3\xA9t");
  in.applications = {app("One", "\\one.exe", 5), app("Two", "\\two.exe"), app("Three", "\\3.exe")};
  in.hotkeys = {hotkey(181, 0, 0), hotkey(65, 2, 3)};
  std::array<Text, kStoredErrorPages> pages = defaultErrorPages();
  pages[3] = T("\\custom.htm");
  in.errorPages = pages;
  ASSERT_TRUE(writeDeviceSettings(in)) << device::registryStatus().problem();

  DeviceSettings out;
  ASSERT_TRUE(readDeviceSettings(out));
  EXPECT_EQ(out.settings, in.settings);
  EXPECT_EQ(out.viewSettings, in.viewSettings);
  EXPECT_EQ(out.password, in.password);
  ASSERT_EQ(out.applications.size(), 3u);
  EXPECT_EQ(out.applications[2].title, T("Three"));
  EXPECT_EQ(out.applications[0].startupDelay, 5);
  ASSERT_EQ(out.hotkeys.size(), 2u);
  EXPECT_EQ(out.hotkeys[1].keyCode, 65u);
  EXPECT_EQ(out.hotkeys[1].modifiers, 2u);
  EXPECT_EQ(out.hotkeys[1].action, 3);
  EXPECT_EQ(out.hotkeys[1].data, 7);
  EXPECT_EQ(out.hotkeys[1].arguments, T("/a"));
  ASSERT_TRUE(out.errorPages.has_value());
  EXPECT_EQ((*out.errorPages)[3], T("\\custom.htm"));

  // Replacing by less leaves nothing of the former lists, and a removed setting reads as its
  // default again.
  DeviceSettings fewer = defaultDeviceSettings();
  fewer.applications = {app("Only", "\\only.exe")};
  ASSERT_TRUE(writeDeviceSettings(fewer));
  ASSERT_TRUE(readDeviceSettings(out));
  ASSERT_EQ(out.applications.size(), 1u);
  EXPECT_EQ(out.applications[0].title, T("Only"));
  EXPECT_TRUE(out.hotkeys.empty());
  EXPECT_FALSE(out.errorPages.has_value());
  EXPECT_EQ(out.settings, fewer.settings);
  EXPECT_EQ(GetSetting(-3, 1), 0);
}

TEST_F(HzkcoreTest, EveryCallLeavesItsJournalLine) {
  AppEntry apps[3] = {};
  HotkeyEntry keys[11] = {};
  WCHAR password[260];
  ErrorPageTable table;
  InstallDefaults();
  ReadErrorPageTable(&table);
  GetApplicationCount();
  GetHotkeyCount();
  GetApplications(apps, 3);
  SetApplications(apps, 0);
  GetHotkeys(keys, 11, 1);
  SetHotkeys(keys, -2);
  GetSetting(4, 1);
  SetSetting(4, 0, 1);
  GetViewSetting(1, 1);
  SetViewSetting(21, -1, 1);
  GetPassword(password, 260);
  SetPassword(WSTR("x"));
  WriteErrorPageTable(&table);
  table.entries[12].serviceData[523] ^= 1;
  WriteErrorPageTable(&table);

  std::vector<std::string> expected = {
      "InstallDefaults()",   "ReadErrorPageTable()",  "GetApplicationCount()",
      "GetHotkeyCount()",    "GetApplications(3)",    "SetApplications(0)",
      "GetHotkeys(11, 1)",   "SetHotkeys(-2)",        "GetSetting(4, 1)",
      "SetSetting(4, 0, 1)", "GetViewSetting(1, 1)",  "SetViewSetting(21, -1, 1)",
      "GetPassword(260)",    "SetPassword()",         "WriteErrorPageTable()",
      "WriteErrorPageTable(altered)"};
  EXPECT_EQ(journal(), expected);
}

TEST_F(HzkcoreTest, ServiceBytesAreTheLibrarysOwnAndPagesAreStored) {
  InstallDefaults();
  ErrorPageTable table;
  std::memset(&table, 0, sizeof(table));
  ASSERT_NE(ReadErrorPageTable(&table), 0);
  bool anyNonZero = false;
  for (const ErrorPageEntry& e : table.entries) {
    for (BYTE b : e.serviceData) anyNonZero |= b != 0;
  }
  EXPECT_TRUE(anyNonZero) << "the library fills its bytes with a pattern of its own";

  textCopy(table.entries[0].page, 260, WSTR("\\mine.htm"));
  // A page without its terminator is cut at its last unit, never read past.
  for (WCHAR& c : table.entries[1].page) c = 'p';
  ASSERT_NE(WriteErrorPageTable(&table), 0);
  std::optional<std::array<Text, kStoredErrorPages>> pages;
  ASSERT_TRUE(readErrorPages(pages));
  EXPECT_EQ((*pages)[0], T("\\mine.htm"));
  EXPECT_EQ((*pages)[1], Text(259, 'p'));
  EXPECT_EQ(journal().back(), "WriteErrorPageTable()");
}

TEST_F(HzkcoreTest, CountsAreBoundedAndFieldsTerminated) {
  DeviceSettings in = defaultDeviceSettings();
  std::string longTitle(300, 't');
  in.applications = {app(longTitle.c_str(), "\\a.exe"), app("B", "\\b.exe")};
  in.hotkeys = {hotkey(65, 0, 0)};
  ASSERT_TRUE(writeDeviceSettings(in));

  // Asking for more than is stored fills only what is stored; the rest stays untouched.
  AppEntry apps[4];
  std::memset(apps, 0xEE, sizeof(apps));
  GetApplications(apps, 4);
  EXPECT_EQ(textLength(apps[0].title), 254u) << "cut to the field, terminated inside it";
  EXPECT_EQ(U(apps[1].title), "B");
  EXPECT_EQ(apps[1].index, 1);
  EXPECT_EQ(apps[2].index, static_cast<std::int32_t>(0xEEEEEEEE));

  std::memset(apps, 0xEE, sizeof(apps));
  GetApplications(apps, -5);
  EXPECT_EQ(apps[0].index, static_cast<std::int32_t>(0xEEEEEEEE));

  // Handing in more than the table's 20 records stores 20; unterminated fields are cut.
  std::vector<AppEntry> many(25);
  std::memset(many.data(), 0, many.size() * sizeof(AppEntry));
  for (std::size_t i = 0; i < many.size(); ++i) {
    textFormat(many[i].title, 255, WSTR("App %i"), static_cast<int>(i));
  }
  for (WCHAR& c : many[0].executable) c = 'e';
  SetApplications(many.data(), 25);
  EXPECT_EQ(GetApplicationCount(), 20);
  std::vector<StoredAppEntry> stored;
  ASSERT_TRUE(readApplications(stored));
  ASSERT_EQ(stored.size(), 20u);
  EXPECT_EQ(stored[19].title, T("App 19"));
  EXPECT_EQ(stored[0].executable, Text(259, 'e'));

  SetApplications(many.data(), -1);
  EXPECT_EQ(GetApplicationCount(), 0);

  std::vector<HotkeyEntry> keys(130);
  std::memset(keys.data(), 0, keys.size() * sizeof(HotkeyEntry));
  for (std::size_t i = 0; i < keys.size(); ++i) keys[i].keyCode = static_cast<std::uint32_t>(i + 1);
  SetHotkeys(keys.data(), 130);
  EXPECT_EQ(GetHotkeyCount(), 100);

  WCHAR small[4];
  SetPassword(WSTR("longer than four"));
  GetPassword(small, 4);
  EXPECT_EQ(U(small), "lon");
  WCHAR untouched[2] = {'z', 'z'};
  GetPassword(untouched, 0);
  EXPECT_EQ(untouched[0], 'z');
}

// What SetPassword stores, GetPassword gives back whole: a longer password is refused and the
// stored one stays.
TEST_F(HzkcoreTest, APasswordGetPasswordCouldNotGiveBackIsRefused) {
  struct Case {
    const char* name;
    Text password;
    std::int32_t result;
    Text stored;
  };
  const Text longest(259, 'p');
  const Case cases[] = {
      {"259 units", longest, 1, longest},
      {"260 units", longest + WSTR("q"), 0, T("keep")},
      {"a pair at the end", Text(257, 'p') + WSTR("\U0001F600"), 1,
       Text(257, 'p') + WSTR("\U0001F600")},
      {"a pair past the end", Text(258, 'p') + WSTR("\U0001F600"), 0, T("keep")},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(writePassword(T("keep")));
    EXPECT_EQ(SetPassword(c.password.c_str()), c.result) << c.name;
    WCHAR buffer[kPasswordCapacity];
    GetPassword(buffer, static_cast<std::int32_t>(kPasswordCapacity));
    EXPECT_EQ(Text(buffer), c.stored) << c.name;
  }
}

TEST_F(HzkcoreTest, UnreadableRegistryIsAnErrorNotAReset) {
  if (!deviceHasItsOwnRegistry())
    GTEST_SKIP() << "the registry is the system's, not a file of the device that the test can "
                    "spoil";
  ASSERT_TRUE(writePassword(T("keep")));
  std::string path = device::statePath("registry.reg");
  std::ofstream(path, std::ios::trunc) << "this is not a registry file\n";
  DeviceSettings out;
  device::Result read = readDeviceSettings(out);
  EXPECT_FALSE(read);
  EXPECT_FALSE(read.problem().empty());
  EXPECT_FALSE(writeDeviceSettings(defaultDeviceSettings()));
  EXPECT_EQ(GetApplicationCount(), 0);
  std::ifstream in(path);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "this is not a registry file") << "the file is never silently replaced";
}

}  // namespace
