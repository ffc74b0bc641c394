// Values a document gives that the device could not give back as they were given: a password
// too long or not encodable, a text no document can carry, a hotkey moved onto a key another
// hotkey holds. Each is refused with a warning, or kept and warned about, as its rule says.
#include "plugin_test_support.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace plugintest {
namespace {

std::string component(const std::string& inner) {
  return R"(<PARAM NAME="Corvane Desktop Utility" TYPE="COMPONENT" id="61000" VERSION="1.0.1">)" +
         inner + "</PARAM>";
}

std::string passwordElement(const std::string& attributes, const std::string& value) {
  return R"(<PARAM NAME="Admin" TYPE="NODE"><PARAM NAME="Password" TYPE="STRING" id="61001" )" +
         attributes + " VALUE=\"" + value + "\"/></PARAM>";
}

// Frame 62100 (the first application) with one property element.
std::string firstApplication(const std::string& property) {
  return R"(<PARAM NAME="Authorized Applications" TYPE="COMPONENT" id="61006" VERSION="1.0.0">)"
         R"(<PARAM NAME="Application 1" TYPE="FRAME" id="62100" VERSION="1.0.0">)" +
         property + "</PARAM></PARAM>";
}

// A hotkey frame that sets the key combination, and the application when one is given.
std::string hotkeyFrame(int id, unsigned key, unsigned modifiers,
                        const std::string& application = "") {
  std::string frame = "<PARAM NAME=\"frame\" TYPE=\"FRAME\" id=\"" + std::to_string(id) +
                      "\" VERSION=\"1.0.0\">";
  if (!application.empty()) {
    frame += R"(<PARAM NAME="Application EXE" TYPE="STRING" id="1" VALUE=")" + application +
             "\"/>";
  }
  frame += R"(<PARAM NAME="VKeyInfo" TYPE="NODE">)"
           R"(<PARAM NAME="VirtualKey" TYPE="HIDDEN" id="3" VALUE=")" +
           std::to_string(key) + R"("/><PARAM NAME="Modifiers" TYPE="HIDDEN" id="4" VALUE=")" +
           std::to_string(modifiers) + "\"/></PARAM></PARAM>";
  return frame;
}

std::string hotkeyList(const std::string& frames) {
  return R"(<PARAM NAME="Hotkeys" TYPE="COMPONENT" id="61007" VERSION="1.0.0">)" + frames +
         "</PARAM>";
}

class KeptValuesTest : public PluginDeviceTest {
 protected:
  // Applies the component; the report's warnings (no error is expected).
  std::vector<std::string> apply(const std::string& inner) {
    Document configuration(inConfiguration(component(inner)));
    Document report(kEmptyReport);
    EXPECT_EQ(QRV_ApplySettings(configuration.get(), report.get()), 0);
    EXPECT_EQ(report.texts("ERROR"), std::vector<std::string>{});
    return report.texts("WARNING");
  }
};

TEST_F(KeptValuesTest, APasswordIsStoredOnlyWhenTheDeviceCanGiveItBackAndAnExportEncodeIt) {
  const std::string longest(259, 'p');
  struct Case {
    const char* name;
    std::string element;
    std::string stored;   // the password afterwards, UTF-8
    std::string warning;  // empty: none
  };
  const Case cases[] = {
      {"259 characters", passwordElement("", longest), longest, ""},
      {"260 characters", passwordElement("", longest + "q"), "old",
       "'Password' is longer than 259 characters and is not stored; the device keeps its password"},
      {"Latin-1 in the older encoding",
       passwordElement(R"(MIMETYPE="binHex" STRINGTYPE="PWD1")", hex("s3cr\xE9t")), "s3cr\xC3\xA9t",
       ""},
      {"a character above U+00FF written plainly", passwordElement("", "s3cr\xE2\x82\xACt"), "old",
       "'Password' holds a character above U+00FF, which a document cannot encode, and is not "
       "stored; the device keeps its password"},
  };
  for (const Case& c : cases) {
    DeviceSettings d = defaultDeviceSettings();
    d.password = T("old");
    store(d);
    std::vector<std::string> warnings = apply(c.element);
    EXPECT_EQ(textToUtf8(read().password.c_str()), c.stored) << c.name;
    EXPECT_EQ(warnings, c.warning.empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{c.warning})
        << c.name;
    std::vector<std::string> calls = device::readStateLines("calls");
    bool set = std::find(calls.begin(), calls.end(), "SetPassword()") != calls.end();
    EXPECT_EQ(set, c.warning.empty()) << c.name << ": a refused password never reaches the library";
  }
}

TEST_F(KeptValuesTest, ATextThatNoDocumentCanCarryIsNotStored) {
  struct Case {
    const char* name;
    std::string property;
    std::string title;    // the first application's title afterwards, UTF-8
    std::string warning;  // empty: none
  };
  const Case cases[] = {
      {"binHex decoding to a control character",
       R"(<PARAM NAME="Application Title" TYPE="STRING" id="0" MIMETYPE="binHex" VALUE="4101"/>)",
       "Old",
       "'Application Title' holds a character that XML cannot carry (code 1 at position 1) and is "
       "not stored; the field keeps its value"},
      {"binHex decoding to tab, line feed and return",
       R"(<PARAM NAME="Application Title" TYPE="STRING" id="0" MIMETYPE="binHex")"
       R"( VALUE="41090a0d42"/>)",
       "A\t\n\rB", ""},
      {"binHex decoding to DEL and Latin-1",
       R"(<PARAM NAME="Application Title" TYPE="STRING" id="0" MIMETYPE="binHex" VALUE="7fe9"/>)",
       "\x7F\xC3\xA9", ""},
  };
  for (const Case& c : cases) {
    DeviceSettings d = defaultDeviceSettings();
    StoredAppEntry app;
    app.title = T("Old");
    d.applications = {app};
    store(d);
    std::vector<std::string> warnings = apply(firstApplication(c.property));
    DeviceSettings after = read();
    ASSERT_EQ(after.applications.size(), 1u) << c.name;
    EXPECT_EQ(textToUtf8(after.applications[0].title.c_str()), c.title) << c.name;
    EXPECT_EQ(warnings, c.warning.empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{c.warning})
        << c.name;
  }
}

// The device holds Ctrl + A (launching the configuration utility) and Ctrl + B besides the
// built-in F1 to F10; the frames are Ctrl + A 62000, Ctrl + B 62001, F1 62002, F10 62003,
// F2 62004 and so on, in the order of their names.
TEST_F(KeptValuesTest, AHotkeyMovedOntoAKeyAnotherHolds) {
  struct Hotkey {
    unsigned key, modifiers;
    int action;
    std::string application;
  };
  struct Case {
    const char* name;
    std::string frames;
    std::vector<std::string> warnings;
    std::vector<Hotkey> expected;  // the stored hotkeys that are not built-in keys left alone
  };
  const std::string notMoved = "' holds: a device keeps one hotkey for each built-in key";
  const Case cases[] = {
      {"onto a built-in key: taken back, the rest of the frame applied",
       hotkeyFrame(62000, 179, 0, "\\a.exe"),
       {"Hotkey 'Ctrl + A' is not moved onto 'F1', which hotkey 'F1" + notMoved},
       {{65, 2, 3, "\\a.exe"}, {66, 2, 0, "\\b.exe"}}},
      {"onto another key held elsewhere: moved",
       hotkeyFrame(62001, 65, 2),
       {"Hotkey 'Ctrl + B' is moved onto 'Ctrl + A', which hotkey 'Ctrl + A' holds as well"},
       {{65, 2, 3, ""}, {65, 2, 0, "\\b.exe"}}},
      {"onto a built-in key its own hotkey leaves, in either order",
       hotkeyFrame(62000, 179, 0) + hotkeyFrame(62002, 81, 2),
       {},
       {{81, 2, 6, ""}, {179, 0, 3, ""}, {66, 2, 0, "\\b.exe"}}},
      {"two built-in keys exchanged", hotkeyFrame(62002, 180, 0) + hotkeyFrame(62004, 179, 0), {},
       {{65, 2, 3, ""}, {66, 2, 0, "\\b.exe"}}},
      {"onto a built-in key whose hotkey moved onto another held one: both taken back",
       hotkeyFrame(62000, 179, 0) + hotkeyFrame(62002, 180, 0),
       {"Hotkey 'F1' is not moved onto 'F2', which hotkey 'F2" + notMoved,
        "Hotkey 'Ctrl + A' is not moved onto 'F1', which hotkey 'F1" + notMoved},
       {{65, 2, 3, ""}, {66, 2, 0, "\\b.exe"}}},
  };
  for (const Case& c : cases) {
    DeviceSettings d = defaultDeviceSettings();
    StoredHotkeyEntry ctrlA, ctrlB;
    ctrlA.keyCode = 65;
    ctrlA.modifiers = 2;
    ctrlA.action = kLaunchConfigAction;
    ctrlB.keyCode = 66;
    ctrlB.modifiers = 2;
    ctrlB.action = 0;
    ctrlB.application = T("\\b.exe");
    d.hotkeys = {ctrlA, ctrlB};
    store(d);
    EXPECT_EQ(apply(hotkeyList(c.frames)), c.warnings) << c.name;

    std::vector<Hotkey> stored;
    for (const StoredHotkeyEntry& h : read().hotkeys) {
      bool untouchedBuiltIn = h.modifiers == 0 && h.keyCode >= 179 && h.keyCode <= 188 &&
                              h.action == kNoAction && h.application.empty();
      if (!untouchedBuiltIn) {
        stored.push_back({h.keyCode, h.modifiers, h.action, textToUtf8(h.application.c_str())});
      }
    }
    std::sort(stored.begin(), stored.end(), [](const Hotkey& a, const Hotkey& b) {
      return std::tie(a.key, a.modifiers, a.action) < std::tie(b.key, b.modifiers, b.action);
    });
    std::vector<Hotkey> expected = c.expected;
    std::sort(expected.begin(), expected.end(), [](const Hotkey& a, const Hotkey& b) {
      return std::tie(a.key, a.modifiers, a.action) < std::tie(b.key, b.modifiers, b.action);
    });
    ASSERT_EQ(stored.size(), expected.size()) << c.name;
    for (std::size_t i = 0; i < stored.size(); ++i) {
      EXPECT_EQ(stored[i].key, expected[i].key) << c.name << " #" << i;
      EXPECT_EQ(stored[i].modifiers, expected[i].modifiers) << c.name << " #" << i;
      EXPECT_EQ(stored[i].action, expected[i].action) << c.name << " #" << i;
      EXPECT_EQ(stored[i].application, expected[i].application) << c.name << " #" << i;
    }
  }
}

}  // namespace
}  // namespace plugintest
