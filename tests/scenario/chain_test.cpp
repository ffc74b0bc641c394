// The whole chain on a device: launcher, manager, plug-in and settings library together, seen
// only through what a person sees (the device's state, its files and the run's report).
#include "scenario_device.h"
#include "support/row_names.h"

using nlohmann::json;

namespace {

const char kStateA[] = R"({
  "settings": {"1": 0, "4": 1, "5": 1, "32": 0, "33": 0, "34": 1},
  "viewSettings": {"1": 0, "22": 0},
  "password": "alpha-1",
  "applications": [
    {"title": "Inventory", "executable": "\\Program Files\\Inv\\inv.exe", "arguments": "/k",
     "iconFile": "\\Program Files\\Inv\\inv.ico", "runAtStartup": 1, "startupDelay": 30},
    {"title": "Notes", "executable": "\\Windows\\notes.exe", "arguments": "", "iconFile": "",
     "runAtStartup": 0, "startupDelay": 0}
  ],
  "hotkeys": [
    {"keyCode": 181, "modifiers": 0, "action": 0, "data": 1,
     "application": "\\Program Files\\Inv\\inv.exe", "arguments": "/scan"}
  ],
  "errorPages": ["\\e\\400.htm", "\\e\\403.htm", "\\e\\404.htm", "\\e\\406.htm", "\\e\\410.htm",
                 "\\e\\500.htm", "\\e\\501.htm", "\\e\\gen.htm", "\\e\\busy.htm",
                 "\\e\\nosrv.htm", "\\e\\url.htm", "\\e\\cancel.htm", "\\e\\offline.htm"]
})";

const char kStateB[] = R"({
  "settings": {"1": 1, "4": 0, "5": 0, "32": 1, "33": 1, "34": 0},
  "viewSettings": {"1": 1, "22": 1},
  "password": "beta",
  "applications": [
    {"title": "One", "executable": "\\1.exe"}, {"title": "Two", "executable": "\\2.exe"},
    {"title": "Three", "executable": "\\3.exe"}, {"title": "Four", "executable": "\\4.exe"}
  ],
  "hotkeys": [
    {"keyCode": 183, "modifiers": 0, "action": 2, "data": 1, "application": "", "arguments": ""}
  ]
})";

// What an export shows of a device: the settings a document can carry.
json visible(const json& state) {
  return {state["password"], state["applications"], state["settings"]["1"],
          state["settings"]["4"], state["settings"]["5"], state["settings"]["32"],
          state["viewSettings"]["1"], state["viewSettings"]["22"], state["errorPages"]};
}

json hotkeyOn(const json& state, unsigned keyCode, unsigned modifiers) {
  for (const auto& hotkey : state["hotkeys"]) {
    if (hotkey["keyCode"] == keyCode && hotkey["modifiers"] == modifiers) return hotkey;
  }
  return nullptr;
}

class ChainTest : public ::testing::Test {
 protected:
  void SetUp() override { device.init(); }
  ScenarioDevice device;
};

TEST_F(ChainTest, TheKioskExampleAppliedShowsOnTheDevice) {
  device.ok({"push", std::string(QRV_EXAMPLES_DIR) + "/kiosk.xml", "QRVall.cfg"});
  CommandResult run = device.ok({"run"});
  EXPECT_NE(run.out.find("0 error(s), 0 warning(s)"), std::string::npos) << run.out;
  EXPECT_FALSE(device.exists("Program Files/Agent/Mirdak/QRVall.cfg"));

  json state = device.state();
  EXPECT_EQ(state["password"], "Kiosk-2026");
  EXPECT_EQ(state["settings"]["5"], 1);       // Enable QRV
  EXPECT_EQ(state["viewSettings"]["1"], 0);   // Show Taskbar
  EXPECT_EQ(state["settings"]["1"], 0);       // Taskbar Enabled
  EXPECT_EQ(state["settings"]["4"], 1);       // Enable Application Selector
  EXPECT_EQ(state["viewSettings"]["22"], 0);  // browser address bar
  ASSERT_EQ(state["applications"].size(), 3u);
  EXPECT_EQ(state["applications"][0]["title"], "Inventory");
  EXPECT_EQ(state["applications"][0]["executable"], "\\Program Files\\Inventory\\inventory.exe");
  EXPECT_EQ(state["applications"][0]["runAtStartup"], 1);
  EXPECT_EQ(state["applications"][0]["startupDelay"], 10);
  EXPECT_EQ(state["applications"][2]["title"], "Intranet");
  json f1 = hotkeyOn(state, 179, 0);
  ASSERT_FALSE(f1.is_null());
  EXPECT_EQ(f1["action"], 0);
  EXPECT_EQ(f1["application"], "\\Program Files\\Inventory\\inventory.exe");
  EXPECT_EQ(hotkeyOn(state, 180, 0)["action"], 4);  // F2: Application Switcher

  std::string summary = device.ok({"show"}).out;
  EXPECT_EQ(summary.find("Kiosk-2026"), std::string::npos);
  EXPECT_NE(summary.find("Administrator password: set"), std::string::npos);
}

TEST_F(ChainTest, AnExportImportedElsewhereGivesTheSameConfiguration) {
  ASSERT_EQ(device.load(kStateA).code, 0);
  device.ok({"run", "/e", "\\Temp\\a.xml"});
  std::string exportA = device.readFile("Temp/a.xml");
  json stateA = device.state();
  ASSERT_NE(exportA.find("61000"), std::string::npos);

  ScenarioDevice other;
  other.init();
  ASSERT_EQ(other.load(kStateB).code, 0);
  other.writeFile("Temp/a.xml", exportA);
  CommandResult import = other.ok({"run", "/i", "\\Temp\\a.xml"});
  EXPECT_EQ(reportTexts(other.report(), "errors"), std::vector<std::string>{}) << import.out;
  EXPECT_EQ(reportTexts(other.report(), "warnings"), std::vector<std::string>{}) << import.out;
  other.ok({"run", "/e", "\\Temp\\b.xml"});

  EXPECT_EQ(other.readFile("Temp/b.xml"), exportA);
  json stateB = other.state();
  EXPECT_EQ(visible(stateB), visible(stateA));
  EXPECT_EQ(hotkeyOn(stateB, 181, 0)["application"], "\\Program Files\\Inv\\inv.exe");
  EXPECT_EQ(hotkeyOn(stateB, 183, 0)["action"], 6);  // F5 back to No Action
}

TEST_F(ChainTest, ThePasswordTravelsScrambledInEitherVersion) {
  ASSERT_EQ(device.load(R"({"password": "old-pw"})").code, 0);
  device.ok({"run", "/e", "\\Temp\\new.xml"});
  std::string exported = device.readFile("Temp/new.xml");
  ASSERT_NE(exported.find("PWD2"), std::string::npos);
  EXPECT_EQ(exported.find("old-pw"), std::string::npos);
  EXPECT_EQ(exported.find("6f6c642d7077"), std::string::npos);  // not merely binHex

  ASSERT_EQ(device.load(R"({"password": "other"})").code, 0);
  device.writeFile("Temp/new.xml", exported);
  device.ok({"run", "/i", "\\Temp\\new.xml"});
  EXPECT_EQ(device.state()["password"], "old-pw");

  // The older version carries the password in plain binHex.
  device.writeFile("Temp/old.xml",
                   configurationDocument("<PARAM NAME=\"Admin\" TYPE=\"NODE\"><PARAM "
                                         "NAME=\"Password\" TYPE=\"STRING\" id=\"61001\" "
                                         "MIMETYPE=\"binHex\" STRINGTYPE=\"PWD1\" "
                                         "VALUE=\"4F6C642d7077\"/></PARAM>",
                                         "1.0.0"));
  device.ok({"run", "/i", "\\Temp\\old.xml"});
  EXPECT_EQ(device.state()["password"], "Old-pw");
}

TEST_F(ChainTest, AnAdministratorMayWriteThePasswordPlainly) {
  // An element without MIMETYPE and STRINGTYPE carries its value as it stands.
  device.writeFile("Temp/pw.xml",
                   configurationDocument("<PARAM NAME=\"Admin\" TYPE=\"NODE\"><PARAM "
                                         "NAME=\"Password\" TYPE=\"STRING\" id=\"61001\" "
                                         "VALUE=\"New-pass 1\"/></PARAM>"));
  CommandResult run = device.ok({"run", "/i", "\\Temp\\pw.xml"});
  EXPECT_NE(run.out.find("0 error(s), 0 warning(s)"), std::string::npos) << run.out;
  EXPECT_EQ(device.state()["password"], "New-pass 1");
}

struct ProblemCase {
  const char* name;
  std::string document;
  std::size_t errors;
  const char* text;  // in an error or warning
};
const ProblemCase kProblemCases[] = {
    {"password that is not binHex",
     configurationDocument("<PARAM NAME=\"Admin\" TYPE=\"NODE\"><PARAM NAME=\"Password\" "
                           "TYPE=\"STRING\" id=\"61001\" MIMETYPE=\"binHex\" "
                           "STRINGTYPE=\"PWD2\" VALUE=\"zz\"/></PARAM>"),
     0, "binHex string invalid for node 'Password'"},
    {"switch written as a text",
     configurationDocument("<PARAM NAME=\"Windows Desktop\" TYPE=\"NODE\"><PARAM "
                           "NAME=\"Taskbar\" TYPE=\"FRAME\"><PARAM NAME=\"Taskbar Enabled\" "
                           "TYPE=\"STRING\" id=\"61003\" VALUE=\"0\"/></PARAM></PARAM>"),
     0, "'Taskbar Enabled' has invalid type"},
    {"hotkey action that is not in the list",
     configurationDocument("<PARAM NAME=\"Hotkeys\" TYPE=\"COMPONENT\" id=\"61007\" "
                           "VERSION=\"1.0.0\"><PARAM NAME=\"F1\" TYPE=\"FRAME\" "
                           "id=\"62000\" VERSION=\"1.0.0\"><PARAM NAME=\"Action\" "
                           "TYPE=\"ENUM\" id=\"0\" VALUE=\"Fly Away\"><ENUM NAME=\"No "
                           "Action\" VALUE=\"6\"/></PARAM></PARAM></PARAM>"),
     0, "'Fly Away'"},
    {"not XML", "<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\">", 1, ""},
    {"no desktop component",
     "<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\">"
     "<PARAM NAME=\"Other\" TYPE=\"COMPONENT\" id=\"12345\"/></PARAM>",
     1, ""},
    {"a document of an unknown version",
     configurationDocument("<PARAM NAME=\"Admin\" TYPE=\"NODE\"><PARAM NAME=\"Enable QRV\" "
                           "TYPE=\"CHECK\" id=\"61009\" VALUE=\"1\"/></PARAM>",
                           "9.9.9"),
     0, "which has version label '9.9.9'"},
};

class ChainProblemRows : public ChainTest, public ::testing::WithParamInterface<ProblemCase> {};

TEST_P(ChainProblemRows, ADocumentWithAProblemReportsIt) {
  const ProblemCase& c = GetParam();
  ASSERT_EQ(device.load("{}").code, 0);
  json before = device.state();
  device.writeFile("Temp/doc.cfg", c.document);
  CommandResult run = device.ok({"run", "/i", "\\Temp\\doc.cfg"});
  json report = device.report();
  std::vector<std::string> errors = reportTexts(report, "errors");
  std::vector<std::string> warnings = reportTexts(report, "warnings");
  EXPECT_EQ(errors.size(), c.errors) << run.out;
  if (c.errors == 0) {
    ASSERT_FALSE(warnings.empty()) << run.out;
    EXPECT_NE(warnings[0].find(c.text), std::string::npos) << warnings[0];
    EXPECT_NE(run.out.find("WARNING applyConfiguration \\Temp\\doc.cfg: " + warnings[0]),
              std::string::npos)
        << run.out;
  } else {
    // Nothing was applied.
    EXPECT_EQ(visible(device.state()), visible(before));
    EXPECT_NE(run.out.find("ERROR   applyConfiguration \\Temp\\doc.cfg: "), std::string::npos)
        << run.out;
  }
  CommandResult report_ = device.ok({"report"});
  EXPECT_EQ(report_.out.empty(), errors.empty() && warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(, ChainProblemRows, ::testing::ValuesIn(kProblemCases),
                         RowsNamedBy<&ProblemCase::name>());

TEST_F(ChainTest, TheApplicationSelectorWindowIsToldWhenItStaysEnabled) {
  const char* withWindow = R"({"settings": {"4": 1}, "windows": [
      {"class": "Application Selector", "title": "Application Selector"}]})";
  ASSERT_EQ(device.load(withWindow).code, 0);
  device.writeFile("Temp/doc.cfg", taskbarDocument(0));
  device.ok({"run", "/i", "\\Temp\\doc.cfg"});
  json messages = device.state()["messages"];
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0]["class"], "Application Selector");
  EXPECT_EQ(messages[0]["message"], 1028);

  // Without the window nobody is told, and nothing fails.
  ASSERT_EQ(device.load(R"({"settings": {"4": 1}})").code, 0);
  device.writeFile("Temp/doc.cfg", taskbarDocument(0));
  device.ok({"run", "/i", "\\Temp\\doc.cfg"});
  EXPECT_EQ(device.state()["messages"], json::array());
}

TEST_F(ChainTest, TwoImportsAtOnceKeepEachOthersChanges) {
  std::filesystem::path codes = device.root();
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(device.load(R"({"settings": {"1": 1, "32": 1}})").code, 0);
    device.writeFile("Temp/taskbar.cfg", taskbarDocument(0));
    device.writeFile("Temp/cookies.cfg", cookiesDocument(0));
    std::string both =
        "(" + device.commandText({"run", "/i", "\\Temp\\taskbar.cfg"}) + " >/dev/null 2>&1; echo $? >" +
        shellQuoted((codes / "a.code").string()) + ") & (" +
        device.commandText({"run", "/i", "\\Temp\\cookies.cfg"}) + " >/dev/null 2>&1; echo $? >" +
        shellQuoted((codes / "b.code").string()) + ") & wait";
    ASSERT_EQ(std::system(both.c_str()), 0);
    EXPECT_EQ(readHostFile(codes / "a.code"), "0\n");
    EXPECT_EQ(readHostFile(codes / "b.code"), "0\n");
    json state = device.state();
    EXPECT_EQ(state["settings"]["1"], 0);
    EXPECT_EQ(state["settings"]["32"], 0);
    EXPECT_FALSE(device.exists("Temp/taskbar.cfg"));
    EXPECT_FALSE(device.exists("Temp/cookies.cfg"));
    if (HasFailure()) break;
  }
}

}  // namespace
