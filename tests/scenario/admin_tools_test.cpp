// The administrator's tools around the pre-flight: check and plan on good documents, the plan
// leaving the device as it was, help and wrong use, what run says it did, the password encoder,
// the schema reference, and the README's sessions, which must show what the tools really say.
#include <map>

#include "scenario_device.h"
#include "support/row_names.h"

using nlohmann::json;

namespace {

namespace fs = std::filesystem;

const std::string kSourceDir = QRV_SOURCE_DIR;

const char kBusyState[] = R"({
  "settings": {"1": 0, "4": 1, "5": 1},
  "viewSettings": {"1": 0},
  "password": "s3cret",
  "applications": [
    {"title": "Scanner", "executable": "\\Program Files\\Scan\\scan.exe", "arguments": "-k",
     "iconFile": "\\Windows\\scan.ico", "runAtStartup": 1, "startupDelay": 5}
  ],
  "hotkeys": [
    {"keyCode": 181, "modifiers": 0, "action": 0, "data": 1, "application": "\\Windows\\calc.exe",
     "arguments": "/x"},
    {"keyCode": 122, "modifiers": 2, "action": 3, "data": 0, "application": "", "arguments": ""},
    {"keyCode": 65, "modifiers": 2, "action": 2, "data": 0, "application": "", "arguments": ""}
  ]
})";

json findingsOf(const CommandResult& result) {
  json findings = json::parse(result.out, nullptr, false);
  EXPECT_TRUE(findings.is_array()) << result.out << result.err;
  return findings;
}

std::vector<std::string> errorsOf(const json& findings) {
  std::vector<std::string> errors;
  for (const auto& f : findings) {
    if (f["severity"] == "error") errors.push_back(f["message"]);
  }
  return errors;
}

// Every file below the device root with its content: what "untouched" is measured by.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string relative = entry.path().lexically_relative(root).string();
    if (relative.rfind("cmd-", 0) == 0) continue;  // the test's own command output
    files[relative] = entry.is_regular_file() ? "file:" + readHostFile(entry.path()) : "folder";
  }
  return files;
}

TEST(AdminTools, ExamplesAndExportsCheckWithoutErrors) {
  ScenarioDevice device;
  device.init();
  for (const auto& entry : fs::directory_iterator(QRV_EXAMPLES_DIR)) {
    if (entry.path().extension() != ".xml") continue;
    SCOPED_TRACE(entry.path().filename().string());
    CommandResult result = device.run({"check", entry.path().string(), "--json"});
    EXPECT_EQ(result.code, 0) << result.out;
    EXPECT_EQ(errorsOf(findingsOf(result)), std::vector<std::string>{});
  }
  for (const char* state : {"{}", kBusyState}) {
    SCOPED_TRACE(state);
    ASSERT_EQ(device.load(state).code, 0);
    device.ok({"run", "/e", "\\Temp\\export.xml"});
    CommandResult result =
        device.run({"check", device.file("Temp/export.xml").string(), "--device", "--json"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(findingsOf(result), json::array()) << result.out;
  }
}

TEST(AdminTools, APlanOfADevicesOwnExportChangesNothing) {
  ScenarioDevice device;
  device.init();
  for (const char* state : {"{}", kBusyState}) {
    SCOPED_TRACE(state);
    ASSERT_EQ(device.load(state).code, 0);
    device.ok({"run", "/e", "\\Temp\\export.xml"});
    CommandResult plan = device.ok({"plan", device.file("Temp/export.xml").string()});
    EXPECT_NE(plan.out.find("plan: no changes, 0 error(s), 0 warning(s)"), std::string::npos)
        << plan.out;
    EXPECT_EQ(plan.out.find("\n~"), std::string::npos) << plan.out;
  }
}

TEST(AdminTools, APlanLeavesTheDeviceByteForByteAsItWas) {
  ScenarioDevice device;
  device.init();
  ASSERT_EQ(device.load(kBusyState).code, 0);
  device.ok({"push", std::string(QRV_EXAMPLES_DIR) + "/kiosk.xml", "QRVall.cfg"});
  std::map<std::string, std::string> before = snapshot(device.root());

  for (const char* example : {"kiosk.xml", "mistakes/five-mistakes.xml"}) {
    CommandResult plan = device.ok({"plan", std::string(QRV_EXAMPLES_DIR) + "/" + example});
    EXPECT_NE(plan.out.find("change(s)"), std::string::npos) << plan.out;
  }
  EXPECT_EQ(snapshot(device.root()), before);
}

TEST(AdminTools, APlanFromAStateNeedsNoDevice) {
  ScenarioDevice nowhere;  // no device is created
  fs::path state = nowhere.root() / "busy.json";
  writeHostFile(state, kBusyState);
  CommandResult plan = nowhere.run(
      {"plan", std::string(QRV_EXAMPLES_DIR) + "/kiosk.xml", "--state", state.string(), "--json"});
  ASSERT_EQ(plan.code, 0) << plan.err;
  json out = json::parse(plan.out);
  EXPECT_EQ(out["before"]["password"], "s3cret");
  EXPECT_EQ(out["after"]["password"], "Kiosk-2026");
  EXPECT_EQ(out["after"]["applications"].size(), 3u);
  EXPECT_FALSE(fs::exists(nowhere.root() / "files"));
  EXPECT_FALSE(fs::exists(nowhere.root() / "state"));

  // Without a state, a plan needs the device.
  CommandResult missing = nowhere.run({"plan", std::string(QRV_EXAMPLES_DIR) + "/kiosk.xml"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("no device"), std::string::npos) << missing.err;
}

TEST(AdminTools, TheMistakesExampleChecksAsItsExpectedOutputSays) {
  ScenarioDevice device;
  CommandResult check = device.runIn(kSourceDir, {"check", "examples/mistakes/five-mistakes.xml"});
  EXPECT_EQ(check.code, 1);
  EXPECT_EQ(check.out, readHostFile(kSourceDir + "/examples/mistakes/five-mistakes.check.txt"));
}

// The words of a "$ qrvdevice ..." line, single quotes taken as a shell takes them.
std::vector<std::string> shellWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : line) {
    if (quoted) {
      if (c == '\'')
        quoted = false;
      else
        word += c;
    } else if (c == '\'') {
      quoted = inWord = true;
    } else if (c == ' ') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// Each ```console block of the README whose lines start with "$ qrvdevice" is a session on a
// new device, run in the source folder: every command's output must be the lines below it.
TEST(AdminTools, TheReadmeSessionsShowWhatTheToolsSay) {
  std::istringstream readme(readHostFile(kSourceDir + "/README.md"));
  std::vector<std::vector<std::pair<std::string, std::string>>> sessions;
  bool inBlock = false;
  for (std::string line; std::getline(readme, line);) {
    if (!inBlock && line == "```console") {
      inBlock = true;
      sessions.emplace_back();
    } else if (inBlock && line == "```") {
      inBlock = false;
    } else if (inBlock && line.rfind("$ qrvdevice ", 0) == 0) {
      sessions.back().emplace_back(line.substr(12), "");
    } else if (inBlock && !sessions.back().empty()) {
      sessions.back().back().second += line + "\n";
    }
  }
  std::size_t commands = 0;
  for (const auto& session : sessions) {
    ScenarioDevice device;
    device.init();
    for (const auto& [command, expected] : session) {
      SCOPED_TRACE(command);
      CommandResult result = device.runIn(kSourceDir, shellWords(command));
      EXPECT_EQ(result.out, expected) << result.err;
      ++commands;
    }
  }
  EXPECT_GE(commands, 6u);  // check, plan, push and run of the workflow, and the schema
}

struct HelpCase {
  const char* name;
  std::vector<std::string> args;
  int code;
  const char* out;  // expected in standard output
  const char* err;  // expected in standard error
};
const HelpCase kHelpCases[] = {
    {"double-dash help", {"--help"}, 0, "check FILE", ""},
    {"dash h", {"-h"}, 0, "encode-password TEXT", ""},
    {"help", {"help"}, 0, "plan FILE", ""},
    {"help run", {"help", "run"}, 0, "usage: qrvdevice run [--strict]", ""},
    {"push help", {"push", "--help"}, 0, "usage: qrvdevice push FILE [NAME]", ""},
    {"run help", {"run", "--help"}, 0, "QRVall.cfg", ""},
    {"check h", {"check", "-h"}, 0, "FILE:LINE:COLUMN", ""},
    {"plan with a file and help", {"plan", "x.xml", "--help"}, 0, "usage: qrvdevice plan", ""},
    {"help of an unknown command", {"help", "frobnicate"}, 2, "", "there is no command 'frobnicate'"},
    {"unknown command", {"frobnicate"}, 2, "", "qrvdevice --help"},
    {"unknown option of push", {"push", "--force", "x"}, 2, "", "unknown option '--force' for push"},
    {"unknown option of run", {"run", "--frob"}, 2, "", "go after --"},
    {"check without a file", {"check"}, 2, "", "help check"},
    {"state without a value", {"check", "a.xml", "--state"}, 2, "", "--state needs a value"},
    {"state and device", {"check", "a.xml", "--state", "s.json", "--device"}, 2, "", "not both"},
    {"plan of two files", {"plan", "a.xml", "b.xml"}, 2, "", "plan takes one argument, not 2"},
    {"unknown schema version", {"schema", "--version", "9.9"}, 2, "", "no schema version '9.9'"},
    {"unreadable file", {"check", "/nonexistent/a.xml"}, 2, "", "cannot read /nonexistent/a.xml"},
};

class AdminToolsHelpRows : public ::testing::TestWithParam<HelpCase> {};

TEST_P(AdminToolsHelpRows, HelpAndWrongUse) {
  const HelpCase& c = GetParam();
  ScenarioDevice device;
  SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
  CommandResult result = device.run(c.args);
  EXPECT_EQ(result.code, c.code) << result.err;
  EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
  EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(, AdminToolsHelpRows, ::testing::ValuesIn(kHelpCases),
                         RowsNamedBy<&HelpCase::name>());

TEST(AdminTools, EveryCommandHasItsHelp) {
  ScenarioDevice device;
  // Every command has its help.
  for (const char* command : {"init", "load", "show", "push", "run", "report", "path", "check",
                              "plan", "schema", "encode-password", "help"}) {
    CommandResult result = device.run({command, "--help"});
    EXPECT_EQ(result.code, 0) << command;
    EXPECT_NE(result.out.find(std::string("usage: qrvdevice ") + command), std::string::npos)
        << command;
    EXPECT_NE(result.out.find("Example"), std::string::npos) << command;
  }
}

struct RunCase {
  const char* name;
  std::vector<std::string> delivered;  // package files
  std::vector<std::string> args;
  std::vector<std::string> said;  // lines expected in the output
};
const std::string kPackageFolder = "\\Program Files\\Agent\\Mirdak\\";
const RunCase kRunCases[] = {
    {"a misnamed package file",
     {"QRVall.xml"},
     {"run"},
     {"left alone: " + kPackageFolder +
          "QRVall.xml is no name the launcher looks for (did you mean QRVall.cfg?)",
      "no package file found: the current configuration was exported to "
      "\\Temp\\CVConfiguration.xml instead"}},
    {"a general and two family files",
     {"QRVall.cfg", "PIKall.cfg", "TORVAall.cfg"},
     {"run"},
     {"applied " + kPackageFolder + "QRVall.cfg and deleted it",
      "applied " + kPackageFolder + "PIKall.cfg and deleted it",
      "waiting for a later run: " + kPackageFolder + "TORVAall.cfg"}},
    {"an import path that names nothing",
     {},
     {"run", "/i", "\\Temp\\absent.xml"},
     {"/i \\Temp\\absent.xml: the file names nothing; nothing was applied"}},
    {"an export",
     {},
     {"run", "--", "/e", "\\Temp\\out.xml"},
     {"exported the current configuration to \\Temp\\out.xml (on the host: "}},
    {"a raw line",
     {},
     {"run", "--line", "/export \"\\Temp\\my out.xml\""},
     {"exported the current configuration to \\Temp\\my out.xml"}},
    {"an option the launcher does not know",
     {},
     {"run", "/x"},
     {"the launcher does nothing with '/x'"}},
};

class AdminToolsRunRows : public ::testing::TestWithParam<RunCase> {};

TEST_P(AdminToolsRunRows, RunSaysWhatTheLauncherDid) {
  const RunCase& c = GetParam();
  ScenarioDevice device;
  device.init();
  for (const std::string& name : c.delivered) {
    device.writeFile("Program Files/Agent/Mirdak/" + name, taskbarDocument(0));
  }
  CommandResult result = device.ok(c.args);
  for (const std::string& line : c.said)
    EXPECT_NE(result.out.find(line), std::string::npos) << result.out;
}

INSTANTIATE_TEST_SUITE_P(, AdminToolsRunRows, ::testing::ValuesIn(kRunCases),
                         RowsNamedBy<&RunCase::name>());

TEST(AdminTools, StrictRunsFailOnAReportedError) {
  ScenarioDevice device;
  device.init();
  device.writeFile("Temp/broken.xml", "<PARAM");
  device.writeFile("Temp/good.xml", taskbarDocument(0));
  EXPECT_EQ(device.run({"run", "/i", "\\Temp\\good.xml"}).code, 0);
  EXPECT_EQ(device.run({"run", "--strict", "/i", "\\Temp\\good.xml"}).code,
            0);  // gone: nothing to report
  EXPECT_EQ(device.run({"run", "/i", "\\Temp\\broken.xml"}).code, 0);
  device.writeFile("Temp/broken.xml", "<PARAM");
  CommandResult strict = device.run({"run", "--strict", "/i", "\\Temp\\broken.xml"});
  EXPECT_EQ(strict.code, 1);
  EXPECT_NE(strict.out.find("applied \\Temp\\broken.xml with 1 error(s) and deleted it"),
            std::string::npos)
      << strict.out;
  EXPECT_NE(strict.err.find("(--strict)"), std::string::npos) << strict.err;
}

TEST(AdminTools, EncodedPasswordsAreWhatTheDeviceStores) {
  for (const char* version : {"1.0.1", "1.0.0"}) {
    for (const char* text : {"Kiosk-2026", "caf\xC3\xA9 & <b>", ""}) {
      SCOPED_TRACE(std::string(version) + " " + text);
      ScenarioDevice device;
      device.init();
      ASSERT_EQ(device.load(R"({"password": "before"})").code, 0);
      CommandResult encoded = device.ok({"encode-password", text, "--version", version});
      EXPECT_NE(
          encoded.out.find(std::string("STRINGTYPE=\"") + (version[4] == '1' ? "PWD2" : "PWD1")),
          std::string::npos)
          << encoded.out;
      std::string element = encoded.out.substr(0, encoded.out.size() - 1);
      std::string document = configurationDocument(
          "<PARAM NAME=\"Admin\" TYPE=\"NODE\">" + element + "</PARAM>", version);
      device.writeFile("Temp/p.xml", document);
      writeHostFile(device.root() / "p.xml", document);
      EXPECT_EQ(device.run({"check", (device.root() / "p.xml").string()}).code, 0);
      device.ok({"run", "/i", "\\Temp\\p.xml"});
      EXPECT_EQ(device.state()["password"], text);
    }
  }
  ScenarioDevice device;
  for (const std::string& text :
       {std::string("\xD0\x96"), std::string(260, 'p'), std::string("a\x01")}) {
    CommandResult refused = device.run({"encode-password", text});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, "");
  }
}

TEST(AdminTools, TheSchemaReferenceHoldsEveryParameter) {
  ScenarioDevice device;
  for (const char* version : {"1.0.1", "1.0.0"}) {
    SCOPED_TRACE(version);
    json schema = json::parse(device.ok({"schema", "--version", version, "--json"}).out);
    EXPECT_EQ(schema["component"]["version"], version);
    std::map<std::string, std::vector<int>> ids;
    for (const auto& p : schema["parameters"]) {
      if (!p["id"].is_null()) ids[p["table"]].push_back(p["id"]);
      if (p["id"] == 61001) {
        EXPECT_EQ(p["attributes"]["STRINGTYPE"], version[4] == '1' ? "PWD2" : "PWD1");
        EXPECT_EQ(p["capacity"], 259);
      }
      if (p["table"] == "application frame" && p["id"] == 0) {
        EXPECT_EQ(p["capacity"], 254);
      }
      if (p["table"] == "application frame" && p["id"] == 5) {
        EXPECT_EQ(p["range"], json({{"min", 0}, {"max", 120}, {"step", 1}}));
      }
      if (p["table"] == "hotkey frame" && p["id"] == 0) {
        EXPECT_EQ(p["items"].size(), 11u);
      }
    }
    EXPECT_EQ(ids["component"].size(), 29u);  // 27 parameters and the two lists
    EXPECT_EQ(ids["application frame"], (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(ids["hotkey frame"], (std::vector<int>{0, 1, 2, 3, 4}));
  }
}

}  // namespace
