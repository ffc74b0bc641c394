// The emulator's front end on its own: creating a device, loading and showing its state,
// delivering files and mapping device paths.
#include "scenario_device.h"

using nlohmann::json;

namespace {

// Everything `load` sets, with values that differ from a new device's.
const char kFullState[] = R"({
  "settings": {"1": 0, "2": 0, "3": 1, "4": 1, "5": 1, "32": 0, "33": 1, "34": 0},
  "viewSettings": {"1": 0, "20": 1, "21": 0, "22": 1, "26": 0},
  "password": "s3cret pass",
  "applications": [
    {"title": "Scanner", "executable": "\\Program Files\\Scan\\scan.exe", "arguments": "-k",
     "iconFile": "\\Windows\\scan.ico", "runAtStartup": 1, "startupDelay": 5},
    {"title": "Notes \u00e9t\u00e9", "executable": "\\Windows\\notes.exe", "arguments": "",
     "iconFile": "", "runAtStartup": 0, "startupDelay": 0}
  ],
  "hotkeys": [
    {"keyCode": 181, "modifiers": 0, "action": 0, "data": 1, "application": "\\Windows\\calc.exe",
     "arguments": "/x"},
    {"keyCode": 122, "modifiers": 2, "action": 3, "data": 0, "application": "", "arguments": ""}
  ],
  "errorPages": ["a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m"],
  "configFiltersOff": 1,
  "packageRoot": "\\Program Files\\Agent",
  "windows": [{"class": "Application Selector", "title": "Application Selector"}]
})";

json loadable(const json& state) {
  json copy = state;
  for (const char* field : {"messages", "calls", "report"}) copy.erase(field);
  return copy;
}

class QrvdeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { device.init(); }
  ScenarioDevice device;
};

TEST_F(QrvdeviceTest, InitLaysDownTheImageAndRegistersTheComponent) {
  for (const char* file : {"Tolvex.exe", "QRVConfig.dll", "Windows/CVConfigManager.1.0.dll",
                           "Windows/HZKCORE.dll", "Windows/platform.dll"}) {
    EXPECT_TRUE(device.exists(file)) << file;
  }
  EXPECT_TRUE(std::filesystem::is_directory(device.file("Temp")));
  EXPECT_TRUE(std::filesystem::is_directory(device.file("Program Files/Agent/Mirdak")));
  std::string registry = readHostFile(device.root() / "state" / "registry.reg");
  for (const char* text : {"Corvane Desktop Utility", "QRV_ApplySettings", "QRV_SaveSettings",
                           "\\\\Windows\\\\QRVConfig.dll", "\\\\Program Files\\\\Agent"}) {
    EXPECT_NE(registry.find(text), std::string::npos) << text;
  }
  json state = device.state();
  EXPECT_EQ(state["packageRoot"], "\\Program Files\\Agent");
  EXPECT_TRUE(state["configFiltersOff"].is_null());
  EXPECT_EQ(state["applications"], json::array());
}

TEST_F(QrvdeviceTest, InitRefusesAnExistingDeviceUnlessForced) {
  ASSERT_EQ(device.load(kFullState).code, 0);
  CommandResult again = device.run({"init"});
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
  EXPECT_EQ(device.state()["password"], "s3cret pass");

  device.ok({"init", "--force"});
  EXPECT_EQ(device.state()["password"], "");
  EXPECT_TRUE(device.exists("Tolvex.exe"));
}

TEST_F(QrvdeviceTest, LoadThenShowGivesBackEveryField) {
  ASSERT_EQ(device.load(kFullState).code, 0);
  json shown = loadable(device.state());
  json expected = json::parse(kFullState);
  for (auto& item : expected.items()) {
    if (item.key() == "settings" || item.key() == "viewSettings") {
      for (auto& number : item.value().items()) {
        EXPECT_EQ(shown[item.key()][number.key()], number.value()) << item.key() << number.key();
      }
    } else {
      EXPECT_EQ(shown[item.key()], item.value()) << item.key();
    }
  }
  // What show writes, load takes back unchanged.
  ASSERT_EQ(device.load(device.state().dump()).code, 0);
  EXPECT_EQ(loadable(device.state()), shown);
}

TEST_F(QrvdeviceTest, LoadGivesDefaultsToFieldsLeftOutAndClearsTheRunRecords) {
  json fresh = loadable(device.state());
  ASSERT_EQ(device.load(kFullState).code, 0);
  device.ok({"run"});
  ASSERT_FALSE(device.state()["report"].empty());

  ASSERT_EQ(device.load("{}").code, 0);
  json state = device.state();
  EXPECT_EQ(loadable(state), fresh);
  EXPECT_EQ(state["report"], json::array());
  EXPECT_EQ(state["calls"], json::array());
  EXPECT_EQ(state["messages"], json::array());
}

TEST_F(QrvdeviceTest, MalformedStateFilesAreRefusedNamingTheFieldAndChangeNothing) {
  ASSERT_EQ(device.load(kFullState).code, 0);
  json before = device.state();

  std::string apps21 = "[";
  for (int i = 0; i < 21; ++i) apps21 += std::string(i ? "," : "") + "{\"title\": \"a\"}";
  apps21 += "]";
  std::string longTitle(255, 'x');

  struct Case {
    const char* name;
    std::string text;
    const char* message;  // expected in the error
  };
  const Case cases[] = {
      {"not JSON", "{\"password\": ", "not valid JSON"},
      {"number beyond any range", "87E444", "not valid JSON: "},
      {"not an object", "[1, 2]", "expected an object"},
      {"delay is a text", R"({"applications": [{}, {}, {"startupDelay": "5"}]})",
       "applications[2].startupDelay: expected a number"},
      {"delay is a fraction", R"({"applications": [{"startupDelay": 1.5}]})",
       "applications[0].startupDelay: expected a whole number"},
      {"setting out of range", R"({"settings": {"4": 4294967296}})", "settings.4: "},
      {"setting number is a word", R"({"settings": {"taskbar": 1}})", "settings.taskbar"},
      {"negative key code", R"({"hotkeys": [{"keyCode": -1}]})", "hotkeys[0].keyCode: -1"},
      {"21 applications", "{\"applications\": " + apps21 + "}", "applications: more than 20"},
      {"title too long", "{\"applications\": [{\"title\": \"" + longTitle + "\"}]}",
       "applications[0].title: longer than 254"},
      {"12 error pages", R"({"errorPages": ["a","b","c","d","e","f","g","h","i","j","k","l"]})",
       "errorPages: expected null or a list of 13 texts"},
      {"error page is a number",
       R"({"errorPages": ["a","b","c","d","e","f","g","h","i","j","k","l", 7]})",
       "errorPages[12]: expected a text"},
      {"password is a number", R"({"password": 1234})", "password: expected a text"},
      {"password with NUL", R"({"password": "a\u0000b"})", "password: holds a NUL"},
      {"package root is a list", R"({"packageRoot": []})", "packageRoot: expected null"},
      {"window title with a tab", R"({"windows": [{"class": "A", "title": "x\ty"}]})",
       "windows[0].title: holds a tab"},
      {"window class with a newline", R"({"windows": [{"class": "A\nB", "title": "x"}]})",
       "windows[0].class: holds a tab or a line break"},
      {"misspelt field", R"({"aplications": []})", "aplications: unknown field"},
      {"misspelt application field", R"({"applications": [{"titel": "x"}]})",
       "applications[0].titel: unknown field"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CommandResult result = device.load(c.text);
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(device.state(), before);
  }
}

TEST_F(QrvdeviceTest, LoadIgnoresWhatOnlyTheDeviceWrites) {
  const char* written = R"json({"calls": ["GetSetting(4, 1)"], "messages": [{"message": 1}],
                                  "report": [{"call": "getInfo"}], "password": "p"})json";
  ASSERT_EQ(device.load(written).code, 0);
  json state = device.state();
  EXPECT_EQ(state["password"], "p");
  EXPECT_EQ(state["calls"], json::array());
  EXPECT_EQ(state["report"], json::array());
}

TEST_F(QrvdeviceTest, ShowSummarisesWithoutThePassword) {
  ASSERT_EQ(device.load(kFullState).code, 0);
  std::string summary = device.ok({"show"}).out;
  EXPECT_EQ(summary.find("s3cret"), std::string::npos);
  for (const char* text : {"Administrator password: set", "Taskbar Enabled", "off",
                           "Enable Application Selector", "Scanner", "F3", "Launch Application",
                           "Ctrl + F11", "Launch QRV Config", "13 changed"}) {
    EXPECT_NE(summary.find(text), std::string::npos) << text << "\n" << summary;
  }
}

TEST_F(QrvdeviceTest, PushDeliversIntoThePackageFolder) {
  std::filesystem::path source = device.root() / "kiosk.xml";
  writeHostFile(source, "<x/>");
  device.ok({"push", source.string()});
  EXPECT_EQ(device.readFile("Program Files/Agent/Mirdak/kiosk.xml"), "<x/>");
  device.ok({"push", source.string(), "QRVall.cfg"});
  EXPECT_EQ(device.readFile("Program Files/Agent/Mirdak/QRVall.cfg"), "<x/>");

  // The package folder follows the APPS value.
  ASSERT_EQ(device.load(R"({"packageRoot": "\\Apps"})").code, 0);
  device.ok({"push", source.string(), "QRVwm.cfg"});
  EXPECT_TRUE(device.exists("Apps/Mirdak/QRVwm.cfg"));

  for (const char* name : {"..", "..\\x.cfg", "a/b.cfg", ""}) {
    EXPECT_EQ(device.run({"push", source.string(), name}).code, 1) << name;
  }
  EXPECT_EQ(device.run({"push", (device.root() / "absent.xml").string()}).code, 1);
  ASSERT_EQ(device.load(R"({"packageRoot": null})").code, 0);
  EXPECT_EQ(device.run({"push", source.string()}).code, 1);
}

TEST_F(QrvdeviceTest, DevicePathsNeverClimbAboveTheRoot) {
  struct Case {
    const char* path;
    const char* host;  // below files/; null: names nothing
  };
  const Case cases[] = {
      {"\\Windows\\HZKCORE.dll", "Windows/HZKCORE.dll"},
      {"/windows/hzkcore.dll", "Windows/HZKCORE.dll"},
      {"\\Temp\\..\\Windows", "Windows"},
      {"\\..\\state\\registry.reg", nullptr},
      {"\\Windows\\..\\..\\state", nullptr},
      {"..", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CommandResult result = device.run({"path", c.path});
    if (c.host) {
      ASSERT_EQ(result.code, 0) << result.err;
      EXPECT_TRUE(std::filesystem::equivalent(result.out.substr(0, result.out.size() - 1),
                                              device.file(c.host)));
    } else {
      EXPECT_EQ(result.code, 1);
      EXPECT_EQ(result.out, "");
      EXPECT_NE(result.err.find("names nothing"), std::string::npos) << result.err;
    }
  }
}

TEST_F(QrvdeviceTest, RunFailsWhenTheLauncherCannotBeRun) {
  std::filesystem::remove(device.file("Tolvex.exe"));
  CommandResult result = device.run({"run"});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("cannot run \\Tolvex.exe"), std::string::npos) << result.err;
}

TEST_F(QrvdeviceTest, AnUnreadableRegistryIsReportedAndKept) {
  std::filesystem::path registry = device.root() / "state" / "registry.reg";
  writeHostFile(registry, "not a registry\n[HKEY_LOCAL_MACHINE\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"show"}, {"show", "--json"}, {"push", registry.string(), "x.cfg"}}) {
    CommandResult result = device.run(args);
    EXPECT_EQ(result.code, 1) << args[0];
    EXPECT_NE(result.err.find("registry.reg"), std::string::npos) << result.err;
  }
  EXPECT_EQ(device.load("{}").code, 1);
  EXPECT_EQ(readHostFile(registry), "not a registry\n[HKEY_LOCAL_MACHINE\n");
}

TEST(QrvdeviceUsage, WrongUseExitsWithTwoAndAMissingDeviceWithOne) {
  ScenarioDevice device;  // not created
  const std::vector<std::string> usage[] = {
      {}, {"frobnicate"}, {"init", "--forse"}, {"load"}, {"show", "--xml"},
      {"push"}, {"run", "--line"}, {"run", "--line", "a", "b"}, {"report", "x"}, {"path"}};
  for (const auto& args : usage) {
    CommandResult result = device.run(args);
    EXPECT_EQ(result.code, 2) << (args.empty() ? "(nothing)" : args[0]);
    EXPECT_NE(result.err.find("usage"), std::string::npos);
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"show"}, {"run"}, {"report"}}) {
    CommandResult result = device.run(args);
    EXPECT_EQ(result.code, 1) << args[0];
    EXPECT_NE(result.err.find("no device"), std::string::npos) << result.err;
  }
}

}  // namespace
