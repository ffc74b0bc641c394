// Helpers of the plug-in's tests: documents in and out of text, report contents, and a device
// with settings of its own (the trees that saving it must give are golden/*.xml).
#pragma once

#include "hzkcore/device_settings.h"
#include "platform/device.h"
#include "platform/xmldom.h"
#include "plugin/entry/exports.h"
#include "support/temp_device.h"
#include "support/xml_document.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace plugintest {

inline Text T(const std::string& s) { return textFromUtf8(s); }

using Document = XmlDocument;

constexpr const char* kEmptyConfiguration =
    R"(<PARAM NAME="Device Configuration" TYPE="CONFIGURATION"/>)";
constexpr const char* kEmptyReport = "<REPORT><ERRORS/><WARNINGS/></REPORT>";

// XML text as the platform writes it, without the white space between elements and with
// empty elements in one form, so that two texts of the same tree compare equal.
inline std::string normalised(const std::string& xml) {
  std::string s = std::regex_replace(xml, std::regex(R"(<\?xml[^>]*\?>)"), "");
  s = std::regex_replace(s, std::regex(R"(>\s+<)"), "><");
  s = std::regex_replace(s, std::regex(R"(^\s+|\s+$)"), "");
  s = std::regex_replace(s, std::regex(R"(<([A-Za-z]+)((?:\s+[^\s=]+="[^"]*")*)></\1>)"), "<$1$2/>");
  return s;
}

// The same tree given as text, written out by the platform as the plug-in's output is.
inline std::string canonical(const std::string& xml) {
  Document d(normalised(xml));
  return normalised(d.xml());
}

// Compares two trees and, when they differ, shows where.
inline ::testing::AssertionResult sameTree(const std::string& expected, const std::string& actual) {
  std::string a = canonical(expected), b = normalised(actual);
  if (a == b) return ::testing::AssertionSuccess();
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  std::size_t from = i > 120 ? i - 120 : 0;
  return ::testing::AssertionFailure() << "trees differ at " << i << "\nexpected ..."
                                       << a.substr(from, 300) << "\nactual   ..."
                                       << b.substr(from, 300);
}

inline std::string hex(const std::string& ascii) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : ascii) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// A device with a setting of each kind away from its default.
inline DeviceSettings sampleDevice() {
  DeviceSettings d = defaultDeviceSettings();
  d.settings[1] = 0;   // taskbar disabled
  d.settings[3] = 0;   // desktop disabled
  d.settings[4] = 1;   // Application Selector on
  d.settings[34] = 0;  // no warning when security blocks a page
  d.viewSettings[22] = 0;  // address bar hidden
  d.viewSettings[21] = 0;  // toolbar hidden
  StoredAppEntry calc;
  calc.title = T("Calculator");
  calc.executable = T("\\Windows\\calc.exe");
  calc.arguments = T("-s \"x\"");
  calc.iconFile = T("\\Windows\\calc.ico");
  calc.runAtStartup = 1;
  calc.startupDelay = 15;
  StoredAppEntry notes;
  notes.title = T("Notes");
  notes.executable = T("\\notes.exe");
  d.applications = {calc, notes};
  StoredHotkeyEntry ctrlA;
  ctrlA.keyCode = 65;
  ctrlA.modifiers = 2;
  ctrlA.action = 0;
  ctrlA.application = T("\\Windows\\calc.exe");
  ctrlA.arguments = T("-s");
  StoredHotkeyEntry f2;
  f2.keyCode = 180;
  f2.action = 3;  // F2 launches the configuration utility
  d.hotkeys = {ctrlA, f2};
  auto pages = defaultErrorPages();
  pages[4] = T("\\gone.htm");
  d.errorPages = pages;
  return d;
}

// A test on a device of its own, whose settings it stores and reads back directly.
class PluginDeviceTest : public ::testing::Test {
 protected:
  // Stores the settings and forgets the library calls that storing them made.
  void store(const DeviceSettings& d) {
    ASSERT_TRUE(writeDeviceSettings(d)) << device::registryStatus().problem();
    (void)device::clearStateFile("calls");
  }
  DeviceSettings read() {
    DeviceSettings d;
    EXPECT_TRUE(readDeviceSettings(d)) << device::registryStatus().problem();
    return d;
  }

  TempDevice device_;
};

inline std::string inConfiguration(const std::string& component) {
  return R"(<PARAM NAME="Device Configuration" TYPE="CONFIGURATION">)" + component + "</PARAM>";
}

// Saves the device's settings into a fresh configuration document and returns its text.
inline std::string saveDevice(const WCHAR* version, std::vector<std::string>* warnings = nullptr) {
  Document configuration(kEmptyConfiguration);
  Document report(kEmptyReport);
  EXPECT_EQ(QRV_SaveSettings(configuration.get(), report.get(), version), 0);
  if (warnings) *warnings = report.texts("WARNING");
  EXPECT_TRUE(report.texts("ERROR").empty());
  return configuration.xml();
}

}  // namespace plugintest
