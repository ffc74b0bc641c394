// Handlers called on single elements: bounded copies into the store, unknown ids, and
// property handlers that are called outside a frame.
#include "plugin/settings/handlers.h"

#include "hzkcore/device_settings.h"
#include "hzkcore/document_ids.h"
#include "platform/device.h"
#include "plugin/entry/context.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "plugin/settings/settings_store.h"
#include "support/temp_device.h"
#include "support/xml_document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Doc = XmlDocument;

class HandlersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&settingsStore(), 0, sizeof(SettingsStore));
    settingsStore().currentApplication = -1;
    settingsStore().currentHotkey = -1;
  }
  TempDevice device_;
  Doc report_{"<REPORT><ERRORS/><WARNINGS/></REPORT>"};
};

TEST_F(HandlersTest, PropertyHandlersRefuseASlotOutsideTheirTables) {
  Doc doc(R"(<PARAM NAME="Application Title" TYPE="STRING" id="0" VALUE="Sneaky"/>)");
  setDocuments(doc.get(), report_.get());
  ConfigNode node;
  doc.root(&node);
  struct Case {
    std::int32_t application, hotkey;
  } cases[] = {{-1, -1}, {20, 100}, {-62101, -62001}, {62105, 62005}};
  for (const Case& c : cases) {
    settingsStore().currentApplication = c.application;
    settingsStore().currentHotkey = c.hotkey;
    EXPECT_THROW(ApplicationPropertyHandler(&node, nullptr, Apply), CVCException) << c.application;
    EXPECT_THROW(HotkeyPropertyHandler(&node, nullptr, Apply), CVCException) << c.hotkey;
  }
  for (const AppEntry& a : settingsStore().applications) EXPECT_EQ(a.title[0], 0);
}

TEST_F(HandlersTest, TextsLongerThanTheirFieldsAreCutInsideThem) {
  std::string page(300, 'p');
  Doc doc("<PARAM NAME=\"(400) Invalid Syntax\" TYPE=\"STRING\" id=\"60004\" VALUE=\"" + page + "\"/>");
  setDocuments(doc.get(), report_.get());
  ConfigNode node;
  doc.root(&node);
  ErrorPageTable& pages = settingsStore().errorPages;
  std::memset(pages.entries[1].serviceData, 0x5C, sizeof(pages.entries[1].serviceData));
  BrowserParamHandler(&node, nullptr, Apply);
  EXPECT_EQ(textLength(pages.entries[0].page), 259u);
  for (BYTE b : pages.entries[1].serviceData) ASSERT_EQ(b, 0x5C) << "the next entry is untouched";

  Doc title("<PARAM NAME=\"Application Title\" TYPE=\"STRING\" id=\"0\" VALUE=\"" + page + "\"/>");
  ConfigNode titleNode;
  title.root(&titleNode);
  settingsStore().currentApplication = 19;
  settingsStore().applications[19].executable[0] = 'x';
  ApplicationPropertyHandler(&titleNode, nullptr, Apply);
  EXPECT_EQ(textLength(settingsStore().applications[19].title), 254u);
  EXPECT_EQ(settingsStore().applications[19].executable[0], 'x');
}

// Each switch reads and writes its own numbered setting or view setting. Every number holds a
// value of its own, so a handler that reached for a neighbour's number would show it.
TEST_F(HandlersTest, EachSwitchMovesItsOwnNumberedSetting) {
  using Handler = int (*)(ConfigNode*, ConfigNode*, Direction);
  struct Case {
    std::int32_t id;
    Handler handler;
    bool savedFromView;  // Save reads the view setting rather than the setting
    std::int32_t number;
    std::vector<std::string> applyCalls;  // with the value 7
  } cases[] = {
      {kAddressBarId, BrowserParamHandler, true, 22,
       {"SetViewSetting(22, 7, 1)", "SetSetting(22, 7, 1)"}},
      {kToolbarId, BrowserParamHandler, true, 21,
       {"SetViewSetting(21, 7, 1)", "SetSetting(21, 7, 1)"}},
      {kStatusBarId, BrowserParamHandler, true, 26,
       {"SetViewSetting(26, 7, 1)", "SetSetting(26, 7, 1)"}},
      {kMenuBarId, BrowserParamHandler, true, 20,
       {"SetViewSetting(20, 7, 1)", "SetSetting(20, 7, 1)"}},
      {kWarnLeavingSecureId, BrowserParamHandler, false, 33, {"SetSetting(33, 7, 1)"}},
      {kWarnSecurityBlocksId, BrowserParamHandler, false, 34, {"SetSetting(34, 7, 1)"}},
      {kCookiesId, BrowserParamHandler, false, 32, {"SetSetting(32, 7, 1)"}},
      {kEnableQrvId, GeneralParamHandler, false, 5, {"GetSetting(5, 1)", "SetSetting(5, 7, 1)"}},
      {kShowTaskbarId, GeneralParamHandler, true, 1,
       {"GetSetting(5, 1)", "SetViewSetting(1, 7, 1)"}},
      {kTaskbarEnabledId, GeneralParamHandler, false, 1,
       {"GetSetting(5, 1)", "SetSetting(1, 7, 1)"}},
      {kStartMenuEnabledId, GeneralParamHandler, false, 2,
       {"GetSetting(5, 1)", "SetSetting(2, 7, 1)"}},
      {kDesktopEnabledId, GeneralParamHandler, false, 3,
       {"GetSetting(5, 1)", "SetSetting(3, 7, 1)"}},
  };
  DeviceSettings d = defaultDeviceSettings();
  for (const Case& c : cases) {
    d.settings[c.number] = 1000 + c.number;
    d.viewSettings[c.number] = 2000 + c.number;
  }
  ASSERT_TRUE(writeDeviceSettings(d)) << device::registryStatus().problem();

  for (const Case& c : cases) {
    std::string id = std::to_string(c.id);
    Doc doc("<PARAM NAME=\"Switch " + id + "\" TYPE=\"INTEGER\" id=\"" + id + "\" VALUE=\"7\"/>");
    setDocuments(doc.get(), report_.get());
    ConfigNode node;
    doc.root(&node);

    (void)device::clearStateFile("calls");
    c.handler(&node, nullptr, Apply);
    EXPECT_EQ(device::readStateLines("calls"), c.applyCalls) << c.id;

    // Saved from the values stored beforehand, not from what Apply just wrote.
    ASSERT_TRUE(writeDeviceSettings(d)) << device::registryStatus().problem();
    c.handler(&node, nullptr, Save);
    std::int32_t stored = c.savedFromView ? 2000 + c.number : 1000 + c.number;
    EXPECT_EQ(textToUtf8(node.getAttrib_(WSTR("VALUE"))), std::to_string(stored)) << c.id;
  }
  EXPECT_TRUE(report_.texts("WARNING").empty());
}

// Each number is written in its own form: the application numbers, key code and modifiers
// unsigned, the action and the selector switch signed. Every field holds a different negative
// value, so a field written in the other form, or a neighbour's field, shows.
TEST_F(HandlersTest, NumbersAreSavedSignedOrUnsignedAsTheirFieldsAre) {
  using Handler = int (*)(ConfigNode*, ConfigNode*, Direction);
  settingsStore().applications[3].runAtStartup = -1;
  settingsStore().applications[3].startupDelay = -2;
  settingsStore().hotkeys[7].action = -3;
  settingsStore().hotkeys[7].keyCode = 0xFFFFFFFCu;
  settingsStore().hotkeys[7].modifiers = 0xFFFFFFFBu;
  settingsStore().selectorEnabled = -6;
  settingsStore().currentApplication = 3;
  settingsStore().currentHotkey = 7;
  struct Case {
    const char* field;
    Handler handler;
    std::int32_t id;
    const char* saved;
  } cases[] = {
      {"runAtStartup", ApplicationPropertyHandler, ApplicationProperty::runAtStartup, "4294967295"},
      {"startupDelay", ApplicationPropertyHandler, ApplicationProperty::startupDelay, "4294967294"},
      {"action", HotkeyPropertyHandler, HotkeyProperty::action, "-3"},
      {"keyCode", HotkeyPropertyHandler, HotkeyProperty::keyCode, "4294967292"},
      {"modifiers", HotkeyPropertyHandler, HotkeyProperty::modifiers, "4294967291"},
      {"selectorEnabled", GeneralParamHandler, kSelectorEnabledId, "-6"},
  };
  for (const Case& c : cases) {
    std::string id = std::to_string(c.id);
    Doc doc("<PARAM NAME=\"Number\" TYPE=\"INTEGER\" id=\"" + id + "\"/>");
    setDocuments(doc.get(), report_.get());
    ConfigNode node;
    doc.root(&node);
    c.handler(&node, nullptr, Save);
    const WCHAR* value = node.getAttrib_(WSTR("VALUE"));
    EXPECT_EQ(value ? textToUtf8(value) : std::string("(none)"), c.saved) << c.field;
  }
}

TEST_F(HandlersTest, UnknownIdsAreReported) {
  Doc doc(R"(<C><PARAM NAME="Mystery Page" TYPE="STRING" id="60020" VALUE="old"/>)"
          R"(<PARAM NAME="Mystery Switch" TYPE="CHECK" id="61006" VALUE="1"/></C>)");
  setDocuments(doc.get(), report_.get());
  ConfigNode top, page, sw;
  doc.root(&top);
  top.getChildByIndex(60020, &page);
  top.getChildByIndex(61006, &sw);

  BrowserParamHandler(&page, &top, Save);
  EXPECT_STREQ(textToUtf8(page.getAttrib_(WSTR("VALUE"))).c_str(), "");
  GeneralParamHandler(&sw, &top, Save);
  std::vector<std::string> expected = {"Unknown qrv parameter 'Mystery Page'",
                                       "Unknown configuration parameter 'Mystery Switch'"};
  EXPECT_EQ(report_.texts("WARNING"), expected);
}

}  // namespace
