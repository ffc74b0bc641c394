// A document saved from one device and applied to another makes the second the same as the
// first; a changed document changes exactly what was changed.
#include "plugin_test_support.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

namespace plugintest {
namespace {

void store(const DeviceSettings& d) {
  ASSERT_TRUE(writeDeviceSettings(d)) << device::registryStatus().problem();
}

int applyText(const std::string& xml, std::vector<std::string>* warnings) {
  Document configuration(xml);
  Document report(kEmptyReport);
  int result = QRV_ApplySettings(configuration.get(), report.get());
  *warnings = report.texts("WARNING");
  EXPECT_TRUE(report.texts("ERROR").empty());
  return result;
}

// A device that differs from sampleDevice() in every setting the document carries, with the
// same number of hotkeys (a document changes the hotkeys a device has, never adds any).
DeviceSettings otherDevice() {
  DeviceSettings d = defaultDeviceSettings();
  d.settings[5] = 0;  // QRV disabled: the document's first general parameter enables it
  d.settings[1] = 1;
  d.settings[4] = 0;
  d.settings[32] = 0;
  d.settings[33] = 0;
  d.settings[34] = 1;
  d.viewSettings[1] = 0;
  d.viewSettings[22] = 1;
  d.password = T("old password");
  StoredAppEntry a;
  for (const char* title : {"W", "X", "Y", "Z"}) {
    a.title = T(title);
    a.executable = T("\\other.exe");
    a.runAtStartup = 1;
    a.startupDelay = 99;
    d.applications.push_back(a);
  }
  StoredHotkeyEntry altZ;
  altZ.keyCode = 90;
  altZ.modifiers = 1;
  altZ.action = 4;
  altZ.application = T("\\z.exe");
  StoredHotkeyEntry f7;
  f7.keyCode = 185;
  f7.action = 0;
  f7.application = T("\\f7.exe");
  d.hotkeys = {altZ, f7};
  d.errorPages = defaultErrorPages();
  (*d.errorPages)[0] = T("\\other400.htm");
  return d;
}

TEST(RoundTrip, ApplyingASavedDocumentMakesTheDevicesAlike) {
  std::string saved;
  DeviceSettings first = sampleDevice();
  first.password = T("p@ss w%rd");
  {
    TempDevice a;
    store(first);
    saved = saveDevice(WSTR(""));
  }
  TempDevice b;
  store(otherDevice());
  ASSERT_FALSE(sameTree(saved, saveDevice(WSTR("")))) << "the devices must differ to begin with";

  std::vector<std::string> warnings;
  ASSERT_EQ(applyText(saved, &warnings), 0);
  EXPECT_TRUE(warnings.empty()) << warnings.front();

  DeviceSettings after;
  ASSERT_TRUE(readDeviceSettings(after));
  // Setting 3 (the desktop) is left out of saved documents, so it does not travel.
  for (int n : {1, 4, 5, 32, 33, 34}) EXPECT_EQ(after.settings[n], first.settings[n]) << "setting " << n;
  for (int n : {1, 22}) EXPECT_EQ(after.viewSettings[n], first.viewSettings[n]) << "view setting " << n;
  EXPECT_EQ(textToUtf8(after.password.c_str()), "p@ss w%rd");
  ASSERT_EQ(after.applications.size(), 2u);
  EXPECT_EQ(after.applications[0].arguments, T("-s \"x\""));
  EXPECT_EQ(after.applications[0].startupDelay, 15);
  EXPECT_EQ(after.applications[1].runAtStartup, 0);
  EXPECT_EQ(*after.errorPages, *first.errorPages);

  // Everything the document shows now reads back the same.
  EXPECT_TRUE(sameTree(saved, saveDevice(WSTR(""))));
}

TEST(RoundTrip, ASaveAfterApplyingAChangedDocumentShowsExactlyTheChanges) {
  TempDevice device;
  store(sampleDevice());
  std::string saved = normalised(saveDevice(WSTR("")));

  struct Change {
    const char* what;
    std::string from, to;
  } changes[] = {
      {"cookies off", R"(<PARAM NAME="Enable Cookies" TYPE="CHECK" id="60032" VALUE="1"/>)",
       R"(<PARAM NAME="Enable Cookies" TYPE="CHECK" id="60032" VALUE="0"/>)"},
      {"second application renamed",
       R"(<PARAM NAME="Application Title" TYPE="STRING" id="0" VALUE="Notes"/>)",
       R"(<PARAM NAME="Application Title" TYPE="STRING" id="0" VALUE="Notebook"/>)"},
      {"a page changed", "VALUE=\"" + hex("\\gone.htm") + "\"", "VALUE=\"" + hex("\\here.htm") + "\""},
      {"F3 launches an application", R"(<PARAM NAME="F3" TYPE="FRAME" id="62004" VERSION="1.0.0"><PARAM NAME="Action" TYPE="ENUM" id="0" VALUE="No Action">)",
       R"(<PARAM NAME="F3" TYPE="FRAME" id="62004" VERSION="1.0.0"><PARAM NAME="Action" TYPE="ENUM" id="0" VALUE="Launch Application">)"},
  };
  std::string changed = saved;
  for (const Change& c : changes) {
    std::size_t at = changed.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.what;
    ASSERT_EQ(changed.find(c.from, at + 1), std::string::npos) << c.what << " is not unique";
    changed.replace(at, c.from.size(), c.to);
  }
  std::vector<std::string> warnings;
  ASSERT_EQ(applyText(changed, &warnings), 0);
  EXPECT_TRUE(warnings.empty());
  EXPECT_TRUE(sameTree(changed, saveDevice(WSTR(""))));
}

TEST(RoundTrip, ClearedEntriesAreDroppedAndTheConfigKeyKeepsItsAction) {
  TempDevice device;
  store(sampleDevice());
  std::string saved = normalised(saveDevice(WSTR("")));
  // The first application's title emptied, Ctrl + A's key cleared, and F2's action (launch
  // the configuration utility) changed to "No Action".
  std::string changed = saved;
  auto replace = [&](const std::string& from, const std::string& to) {
    std::size_t at = changed.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    changed.replace(at, from.size(), to);
  };
  replace(R"(VALUE="Calculator")", R"(VALUE="")");
  replace(R"(<PARAM NAME="VirtualKey" TYPE="HIDDEN" id="3" VALUE="65"/>)",
          R"(<PARAM NAME="VirtualKey" TYPE="HIDDEN" id="3" VALUE="0"/>)");
  replace(R"(id="62003" VERSION="1.0.0"><PARAM NAME="Action" TYPE="ENUM" id="0" VALUE="Launch QRV Config">)",
          R"(id="62003" VERSION="1.0.0"><PARAM NAME="Action" TYPE="ENUM" id="0" VALUE="No Action">)");
  std::vector<std::string> warnings;
  ASSERT_EQ(applyText(changed, &warnings), 0);

  DeviceSettings after;
  ASSERT_TRUE(readDeviceSettings(after));
  ASSERT_EQ(after.applications.size(), 1u);
  EXPECT_EQ(after.applications[0].title, T("Notes"));
  ASSERT_EQ(after.hotkeys.size(), 10u);
  for (const StoredHotkeyEntry& h : after.hotkeys) {
    EXPECT_NE(h.keyCode, 65u);
    EXPECT_EQ(h.action, h.keyCode == 180 ? kLaunchConfigAction : kNoAction) << h.keyCode;
  }
}

}  // namespace
}  // namespace plugintest
