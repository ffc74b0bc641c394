// The manager with the real plug-in and settings library: documents applied to the device's
// settings and the device's settings exported into a document.
#include "hzkcore/device_settings.h"
#include "manager_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PluginDevice : public ManagerDevice {
 public:
  PluginDevice() {
    installLibrary(PLUGIN_PATH, "QRVConfig.dll");
    installLibrary(HZKCORE_PATH, "HZKCORE.dll");
    registerComponent("61000", "Corvane Desktop Utility", "\\Windows\\QRVConfig.dll",
                      "QRV_ApplySettings", "QRV_SaveSettings");
  }
};

std::string cookiesDocument(int value) {
  return "<?xml version=\"1.0\"?>\n"
         "<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\">\n"
         " <PARAM NAME=\"Corvane Desktop Utility\" TYPE=\"COMPONENT\" id=\"61000\">\n"
         "  <PARAM NAME=\"IE\" TYPE=\"NODE\">\n"
         "   <PARAM NAME=\"Interface\" TYPE=\"NODE\">\n"
         "    <PARAM NAME=\"Enable Cookies\" TYPE=\"CHECK\" id=\"60032\" VALUE=\"" +
         std::to_string(value) +
         "\"/>\n"
         "   </PARAM>\n"
         "  </PARAM>\n"
         " </PARAM>\n"
         "</PARAM>\n";
}

int storedSetting(int number) {
  DeviceSettings settings;
  if (!readDeviceSettings(settings)) return -100;
  auto found = settings.settings.find(number);
  return found == settings.settings.end() ? -200 : found->second;
}

TEST(PluginChain, AppliesDocumentsToTheDevice) {
  PluginDevice device;
  ASSERT_TRUE(device.load());
  for (int value : {0, 1, 0}) {
    SCOPED_TRACE(value);
    device.writeFile("Temp/a.cfg", cookiesDocument(value));
    EXPECT_EQ(device.apply("\\Temp\\a.cfg"), 0);
    EXPECT_EQ(storedSetting(32), value);
  }
  auto log = device.reportLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_TRUE(log.back()["errors"].empty()) << log.back().dump();
}

TEST(PluginChain, ExportsTheDevicesSettings) {
  PluginDevice device;
  ASSERT_TRUE(device.load());
  device.writeFile("Temp/a.cfg", cookiesDocument(0));
  ASSERT_EQ(device.apply("\\Temp\\a.cfg"), 0);

  WCHAR buffer[512];
  EXPECT_EQ(device.getConfiguration(buffer, 512), 0);
  EXPECT_EQ(textToUtf8(buffer), "\\Temp\\CVConfiguration.xml");
  const std::string written = device.readFile("Temp/CVConfiguration.xml");
  EXPECT_NE(written.find("id=\"61000\""), std::string::npos) << written;
  EXPECT_NE(written.find("id=\"60032\" VALUE=\"0\""), std::string::npos) << written;

  // What was exported applies again without a complaint.
  EXPECT_EQ(device.apply("\\Temp\\CVConfiguration.xml"), 0);
  auto log = device.reportLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1]["call"], "getConfiguration");
  EXPECT_TRUE(log[1]["errors"].empty()) << log[1].dump();
  EXPECT_TRUE(log[2]["errors"].empty()) << log[2].dump();
}

}  // namespace
