// Helpers of the plug-in's tests: documents in and out of text, report contents, a device
// with settings of its own, and the tree that saving such a device must give.
#pragma once

#include "hzkcore/device_settings.h"
#include "platform/device.h"
#include "platform/xmldom.h"
#include "plugin/entry/exports.h"
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

inline std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '"') out += "&quot;";
    else out += c;
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

struct ExpectedHotkey {
  std::string name;
  std::string action;  // item name
  std::string application, arguments;
  unsigned key, modifiers;
};

inline std::string actionItems(bool filtersOff) {
  std::string s =
      R"(<ENUM NAME="No Action" VALUE="6"/><ENUM NAME="Launch Application" VALUE="0"/>)";
  if (filtersOff) s += R"(<ENUM NAME="Show/Hide Input Panel" VALUE="1"/>)";
  s += R"(<ENUM NAME="Show/Hide Taskbar" VALUE="2"/><ENUM NAME="Application Switcher" VALUE="4"/>)"
       R"(<ENUM NAME="Launch QRV Config" VALUE="3"/><ENUM NAME="Stylus Calibration" VALUE="14"/>)"
       R"(<ENUM NAME="Start Menu" VALUE="16"/><ENUM NAME="Running Programs List" VALUE="19"/>)"
       R"(<ENUM NAME="Soft Key 1" VALUE="17"/><ENUM NAME="Soft Key 2" VALUE="18"/>)";
  return s;
}

inline std::string check(const char* name, int id, int value) {
  return std::string("<PARAM NAME=\"") + name + "\" TYPE=\"CHECK\" id=\"" + std::to_string(id) +
         "\" VALUE=\"" + std::to_string(value) + "\"/>";
}

// The component that saving sampleDevice() must give, written out by hand from the schema's
// outline. `version` is the component's VERSION; `password` its encoded value.
inline std::string expectedSampleComponent(const std::string& version, const std::string& passwordType,
                                           const std::string& passwordValue, bool filtersOff) {
  std::vector<ExpectedHotkey> hotkeys = {
      {"Ctrl + A", "Launch Application", "\\Windows\\calc.exe", "-s", 65, 2},
      {"F1", "No Action", "", "", 179, 0},          {"F10", "No Action", "", "", 188, 0},
      {"F2", "Launch QRV Config", "", "", 180, 0},  {"F3", "No Action", "", "", 181, 0},
      {"F4", "No Action", "", "", 182, 0},          {"F5", "No Action", "", "", 183, 0},
      {"F6", "No Action", "", "", 184, 0},          {"F7", "No Action", "", "", 185, 0},
      {"F8", "No Action", "", "", 186, 0},          {"F9", "No Action", "", "", 187, 0},
  };
  std::string x = R"(<PARAM NAME="Corvane Desktop Utility" TYPE="COMPONENT" id="61000" VERSION=")" +
                  version + R"(">)";
  x += R"(<PARAM NAME="Admin" TYPE="NODE">)" + check("Enable QRV", 61009, 1) +
       R"(<PARAM NAME="Password" TYPE="STRING" id="61001" MIMETYPE="binHex" STRINGTYPE=")" +
       passwordType + R"(" VALUE=")" + passwordValue + R"("/></PARAM>)";

  x += R"(<PARAM NAME="Hotkeys" TYPE="COMPONENT" id="61007" VERSION="1.0.0">)";
  for (std::size_t i = 0; i < hotkeys.size(); ++i) {
    const ExpectedHotkey& h = hotkeys[i];
    x += "<PARAM NAME=\"" + h.name + "\" TYPE=\"FRAME\" id=\"" + std::to_string(62000 + i) +
         "\" VERSION=\"1.0.0\">";
    x += "<PARAM NAME=\"Action\" TYPE=\"ENUM\" id=\"0\" VALUE=\"" + h.action + "\">" +
         actionItems(filtersOff) + "</PARAM>";
    x += "<PARAM NAME=\"Application EXE\" TYPE=\"STRING\" id=\"1\" VALUE=\"" +
         escaped(h.application) + "\"/>";
    x += "<PARAM NAME=\"Arguments\" TYPE=\"STRING\" id=\"2\" VALUE=\"" + escaped(h.arguments) + "\"/>";
    x += R"(<PARAM NAME="VKeyInfo" TYPE="NODE">)";
    x += "<PARAM NAME=\"VirtualKey\" TYPE=\"HIDDEN\" id=\"3\" VALUE=\"" + std::to_string(h.key) + "\"/>";
    x += "<PARAM NAME=\"Modifiers\" TYPE=\"HIDDEN\" id=\"4\" VALUE=\"" + std::to_string(h.modifiers) +
         "\"/></PARAM></PARAM>";
  }
  x += "</PARAM>";

  x += R"(<PARAM NAME="IE" TYPE="NODE"><PARAM NAME="Interface" TYPE="NODE">)";
  x += check("Enable Address Bar", 60000, 0);
  if (filtersOff) {
    x += check("Enable Toolbar", 60001, 0) + check("Enable Status Bar", 60002, 1) +
         check("Enable Menu Bar", 60003, 1);
  }
  x += check("Warn when leaving a secure page", 60030, 1) +
       check("Warn when security blocks page", 60031, 0) + check("Enable Cookies", 60032, 1);
  x += R"(</PARAM><PARAM NAME="Error Redirection" TYPE="NODE">)";
  const char* pageNames[] = {"(400) Invalid Syntax",        "(403) Request Forbidden",
                             "(404) Object Not Found",      "(406) No Response Format",
                             "(410) Page Doesn't Exist",    "(500) Internal Server Error",
                             "(501) Server Can't Do That",  "Generic Error",
                             "Server Is Busy",              "Couldn't Find Server",
                             "URL Syntax Error",            "Request Cancelled",
                             "Not Available Offline"};
  auto pages = *sampleDevice().errorPages;
  for (int k = 0; k < 13; ++k) {
    x += std::string("<PARAM NAME=\"") + pageNames[k] + "\" TYPE=\"STRING\" id=\"" +
         std::to_string(60004 + k) + "\" MIMETYPE=\"binHex\" VALUE=\"" +
         hex(textToUtf8(pages[k].c_str())) + "\"/>";
  }
  x += "</PARAM></PARAM>";

  x += R"(<PARAM NAME="Windows Desktop" TYPE="NODE"><PARAM NAME="Taskbar" TYPE="FRAME">)";
  x += check("Show Taskbar", 61002, 1) + check("Taskbar Enabled", 61003, 0);
  if (filtersOff) x += check("Start Menu Enabled", 61004, 1);
  x += "</PARAM>";
  if (filtersOff) x += R"(<PARAM NAME="Desktop" TYPE="FRAME">)" + check("Enabled", 61005, 0) + "</PARAM>";
  x += "</PARAM>";

  x += R"(<PARAM NAME="Application Selector" TYPE="NODE"><PARAM NAME="Setup" TYPE="NODE">)" +
       check("Enable Application Selector", 61008, 1) + "</PARAM>";
  x += R"(<PARAM NAME="Authorized Applications" TYPE="COMPONENT" id="61006" VERSION="1.0.0">)";
  struct App {
    std::string title, exe, args, icon;
    int run, delay;
  } apps[20] = {{"Calculator", "\\Windows\\calc.exe", "-s \"x\"", "\\Windows\\calc.ico", 1, 15},
                {"Notes", "\\notes.exe", "", "", 0, 0}};
  for (int k = 0; k < 20; ++k) {
    const App& a = apps[k];
    x += "<PARAM NAME=\"Application " + std::to_string(k + 1) + "\" TYPE=\"FRAME\" id=\"" +
         std::to_string(62100 + k) + "\" VERSION=\"1.0.0\">";
    x += "<PARAM NAME=\"Application Title\" TYPE=\"STRING\" id=\"0\" VALUE=\"" + escaped(a.title) + "\"/>";
    x += "<PARAM NAME=\"Executable\" TYPE=\"STRING\" id=\"1\" VALUE=\"" + escaped(a.exe) + "\"/>";
    x += "<PARAM NAME=\"Arguments\" TYPE=\"STRING\" id=\"2\" VALUE=\"" + escaped(a.args) + "\"/>";
    x += "<PARAM NAME=\"Icon File\" TYPE=\"STRING\" id=\"3\" VALUE=\"" + escaped(a.icon) + "\"/>";
    x += check("Run at startup", 4, a.run);
    x += "<PARAM NAME=\"Delay at startup (Seconds)\" TYPE=\"INTEGER\" id=\"5\" VALUE=\"" +
         std::to_string(a.delay) + "\"><MIN>0</MIN><MAX>120</MAX><STEP>1</STEP></PARAM>";
    x += "</PARAM>";
  }
  x += "</PARAM></PARAM></PARAM>";
  return x;
}

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
