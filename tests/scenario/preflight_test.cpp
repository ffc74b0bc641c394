// The administrator's pre-flight on documents with one mistake each: check names the mistake
// (its code, line and severity), and plan's changes are exactly what a run of the same
// document then does to a device of the same state.
#include "scenario_device.h"
#include "tools/qrvdevice/state_diff.h"
#include "tools/qrvdevice/state_json.h"

using nlohmann::json;

namespace {

// ---- documents ----

// Lines: 1 declaration, 2 CONFIGURATION, 3 the component, 4 on the inner elements.
std::string component(const std::string& inner, const std::string& version = "1.0.1") {
  return configurationDocument(inner, version);
}

// One element in Windows Desktop / Taskbar, on line 6.
std::string inTaskbar(const std::string& attributes) {
  return component(
      "<PARAM NAME=\"Windows Desktop\" TYPE=\"NODE\">\n<PARAM NAME=\"Taskbar\" TYPE=\"FRAME\">\n"
      "<PARAM " +
      attributes + "/>\n</PARAM>\n</PARAM>");
}

// The password element, on line 5.
std::string password(const std::string& attributes, const std::string& version = "1.0.1") {
  return component(
      "<PARAM NAME=\"Admin\" TYPE=\"NODE\">\n<PARAM NAME=\"Password\" TYPE=\"STRING\" "
      "id=\"61001\" " +
          attributes + "/>\n</PARAM>",
      version);
}

// One application frame on line 6, its properties from line 7 on.
std::string application(const std::string& id, const std::string& name,
                        const std::string& properties) {
  return component(
      "<PARAM NAME=\"Application Selector\" TYPE=\"NODE\">\n"
      "<PARAM NAME=\"Authorized Applications\" TYPE=\"COMPONENT\" id=\"61006\" VERSION=\"1.0.0\">\n"
      "<PARAM NAME=\"" +
      name + "\" TYPE=\"FRAME\" id=\"" + id + "\" VERSION=\"1.0.0\">\n" + properties +
      "\n</PARAM>\n</PARAM>\n</PARAM>");
}

std::string title(const std::string& text) {
  return "<PARAM NAME=\"Application Title\" TYPE=\"STRING\" id=\"0\" VALUE=\"" + text + "\"/>";
}

std::string delay(const std::string& value) {
  return "<PARAM NAME=\"Delay at startup (Seconds)\" TYPE=\"INTEGER\" id=\"5\" VALUE=\"" + value +
         "\"/>";
}

const char kActionItems[] =
    "<ENUM NAME=\"No Action\" VALUE=\"6\"/><ENUM NAME=\"Launch Application\" VALUE=\"0\"/>"
    "<ENUM NAME=\"Show/Hide Taskbar\" VALUE=\"2\"/><ENUM NAME=\"Application Switcher\" "
    "VALUE=\"4\"/>"
    "<ENUM NAME=\"Launch QRV Config\" VALUE=\"3\"/>";

// The Hotkeys list on line 4, its frames from line 5 on.
std::string hotkeys(const std::string& frames, const std::string& id = "61007") {
  return component("<PARAM NAME=\"Hotkeys\" TYPE=\"COMPONENT\" id=\"" + id +
                   "\" VERSION=\"1.0.0\">\n" + frames + "\n</PARAM>");
}

// A hotkey frame of three lines: the frame, its Action, its key.
std::string hotkeyFrame(const std::string& id, const std::string& name, const std::string& action,
                        const std::string& items, const std::string& key = "") {
  return "<PARAM NAME=\"" + name + "\" TYPE=\"FRAME\" id=\"" + id +
         "\" VERSION=\"1.0.0\">\n"
         "<PARAM NAME=\"Action\" TYPE=\"ENUM\" id=\"0\" VALUE=\"" +
         action + "\">" + items + "</PARAM>\n" +
         (key.empty() ? std::string()
                      : "<PARAM NAME=\"VKeyInfo\" TYPE=\"NODE\">" + key + "</PARAM>") +
         "</PARAM>";
}

std::string virtualKey(const std::string& code, const std::string& modifiers) {
  return "<PARAM NAME=\"VirtualKey\" TYPE=\"HIDDEN\" id=\"3\" VALUE=\"" + code +
         "\"/><PARAM NAME=\"Modifiers\" TYPE=\"HIDDEN\" id=\"4\" VALUE=\"" + modifiers + "\"/>";
}

const char kCtrlADevice[] =
    R"({"hotkeys": [{"keyCode": 65, "modifiers": 2, "action": 2, "data": 0}]})";

struct Mistake {
  const char* name;
  std::string document;
  const char* code;
  std::size_t line;
  const char* severity;
  const char* state = nullptr;  // what the device holds first; null: a new device
};

std::vector<Mistake> mistakes() {
  return {
      // What new administrators wrote, one mistake a document.
      {"id 61030 for 61003",
       inTaskbar("NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61030\" VALUE=\"0\""), "id-unknown",
       6, "error"},
      {"off on a switch",
       inTaskbar("NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" VALUE=\"off\""),
       "check-value", 6, "error"},
      {"false on a switch",
       inTaskbar("NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" VALUE=\"false\""),
       "check-value", 6, "error"},
      {"no on a switch",
       inTaskbar("NAME=\"Show Taskbar\" TYPE=\"CHECK\" id=\"61002\" VALUE=\"no\""), "check-value",
       6, "error"},
      {"yes on a switch",
       inTaskbar("NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" VALUE=\"yes\""),
       "check-value", 6, "warning"},
      {"true on a switch",
       inTaskbar("NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" VALUE=\"true\""),
       "check-value", 6, "warning"},
      {"delay five", application("62100", "Application 1", title("Scanner") + "\n" + delay("five")),
       "integer-value", 8, "error"},
      {"delay 5s", application("62100", "Application 1", title("Scanner") + "\n" + delay("5s")),
       "integer-value", 8, "warning"},
      {"delay beyond its range",
       application("62100", "Application 1", title("Scanner") + "\n" + delay("300")),
       "integer-range", 8, "warning"},
      {"password as hex digits without scrambling",
       password("MIMETYPE=\"binHex\" STRINGTYPE=\"PWD2\" VALUE=\"4b696f736b2d32303236\""),
       "password-scramble", 5, "error"},
      {"hotkey frame for Ctrl + A on a new device",
       hotkeys(hotkeyFrame("62010", "Ctrl + A", "Launch Application", kActionItems)), "hotkey-slot",
       5, "error"},
      {"a 21st application", application("62120", "Application 21", title("Extra")),
       "application-slot", 6, "error"},
      {"a 300-character title", application("62100", "Application 1", title(std::string(300, 't'))),
       "string-length", 7, "warning"},
      {"a NAME typo", inTaskbar("NAME=\"Taskbar Enabeld\" TYPE=\"CHECK\" id=\"61003\" VALUE=\"0\""),
       "name-mismatch", 6, "warning"},
      {"a section typo",
       component("<PARAM NAME=\"Windows Destkop\" TYPE=\"NODE\">\n<PARAM NAME=\"Taskbar\" "
                 "TYPE=\"FRAME\">\n"
                 "<PARAM NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" "
                 "VALUE=\"0\"/>\n</PARAM>\n</PARAM>"),
       "section-name", 4, "warning"},
      {"a parameter in another section",
       component("<PARAM NAME=\"IE\" TYPE=\"NODE\">\n<PARAM NAME=\"Interface\" TYPE=\"NODE\">\n"
                 "<PARAM NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" "
                 "VALUE=\"0\"/>\n</PARAM>\n</PARAM>"),
       "misplaced", 6, "warning"},
      {"marks in lower case",
       password("MIMETYPE=\"binhex\" STRINGTYPE=\"pwd2\" VALUE=\"ecc1c6d9c0819f9e9d86\""),
       "password-marks", 5, "error"},
      {"an odd-length hex password",
       password("MIMETYPE=\"binHex\" STRINGTYPE=\"PWD2\" VALUE=\"ecc1c6d9c0819f9e9d8\""),
       "binhex-odd", 5, "error"},
      {"base64 as MIMETYPE", password("MIMETYPE=\"base64\" VALUE=\"S2lvc2stMjAyNg==\""),
       "password-marks", 5, "error"},
      {"an existing hotkey's id for a new Ctrl + A",
       hotkeys(hotkeyFrame("62003", "Ctrl + A", "Launch Application", kActionItems,
                           virtualKey("65", "2"))),
       "frame-name", 5, "error"},
      {"a mistyped Hotkeys id",
       hotkeys(hotkeyFrame("62000", "F1", "Launch Application", kActionItems), "61070"),
       "id-unknown", 4, "error"},
      {"an Action without its items", hotkeys(hotkeyFrame("62000", "F1", "Launch Application", "")),
       "enum-items", 6, "error"},
      {"an Action as a number", hotkeys(hotkeyFrame("62000", "F1", "0", kActionItems)), "enum-item",
       6, "error"},

      // The rest of what check finds.
      {"no CONFIGURATION element",
       "<?xml version=\"1.0\"?>\n<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIG\">\n</PARAM>\n",
       "no-configuration", 2, "error"},
      {"no desktop component",
       "<?xml version=\"1.0\"?>\n<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\">\n"
       "<PARAM NAME=\"Corvane Desktop Utility\" TYPE=\"COMPONENT\" id=\"6100\"/>\n</PARAM>\n",
       "no-component", 2, "error"},
      {"the component inside another",
       "<?xml version=\"1.0\"?>\n<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\">\n"
       "<PARAM NAME=\"Other\" TYPE=\"COMPONENT\" id=\"70000\">\n"
       "<PARAM NAME=\"Corvane Desktop Utility\" TYPE=\"COMPONENT\" id=\"61000\">\n"
       "<PARAM NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" "
       "VALUE=\"0\"/>\n</PARAM>\n</PARAM>\n</PARAM>\n",
       "component-nested", 4, "error"},
      {"a VERSION that names no version",
       component("<PARAM NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" VALUE=\"0\"/>",
                 "2.0"),
       "version-unknown", 3, "warning"},
      {"a TYPE the value is read through",
       inTaskbar("NAME=\"Taskbar Enabled\" TYPE=\"INTEGER\" id=\"61003\" VALUE=\"0\""),
       "type-mismatch", 6, "warning"},
      {"a TYPE the value cannot be read through",
       inTaskbar("NAME=\"Taskbar Enabled\" TYPE=\"STRING\" id=\"61003\" VALUE=\"0\""),
       "type-mismatch", 6, "error"},
      {"an unknown TYPE",
       inTaskbar("NAME=\"Taskbar Enabled\" TYPE=\"BOOL\" id=\"61003\" VALUE=\"0\""), "type-unknown",
       6, "error"},
      {"no TYPE", inTaskbar("NAME=\"Taskbar Enabled\" id=\"61003\" VALUE=\"0\""), "type-missing", 6,
       "error"},
      {"an item with an unknown action code",
       hotkeys(hotkeyFrame(
           "62000", "F1", "Launch Application",
           "<ENUM NAME=\"Launch Application\" VALUE=\"0\"/><ENUM NAME=\"Beep\" VALUE=\"77\"/>")),
       "enum-code", 6, "warning"},
      {"a chosen item with another item's code",
       hotkeys(hotkeyFrame("62000", "F1", "Launch Application",
                           "<ENUM NAME=\"Launch Application\" VALUE=\"3\"/>")),
       "enum-code", 6, "warning"},
      {"bad binHex digits in an error page",
       component(
           "<PARAM NAME=\"IE\" TYPE=\"NODE\">\n<PARAM NAME=\"Error Redirection\" TYPE=\"NODE\">\n"
           "<PARAM NAME=\"Generic Error\" TYPE=\"STRING\" id=\"60011\" MIMETYPE=\"binHex\" "
           "VALUE=\"5c7g\"/>\n"
           "</PARAM>\n</PARAM>"),
       "binhex-digit", 6, "error"},
      {"a character above 255 in a binHex value",
       component(
           "<PARAM NAME=\"IE\" TYPE=\"NODE\">\n<PARAM NAME=\"Error Redirection\" TYPE=\"NODE\">\n"
           "<PARAM NAME=\"Generic Error\" TYPE=\"STRING\" id=\"60011\" MIMETYPE=\"binHex\" "
           "VALUE=\"5c\xD0\x96"
           "1\"/>\n</PARAM>\n</PARAM>"),
       "binhex-digit", 6, "error"},
      {"a scrambled password that decodes to controls",
       password("MIMETYPE=\"binHex\" STRINGTYPE=\"PWD2\" VALUE=\"a6a9a8\""), "password-decode", 5,
       "error"},
      {"switches after Enable QRV is turned off",
       component("<PARAM NAME=\"Admin\" TYPE=\"NODE\">\n"
                 "<PARAM NAME=\"Enable QRV\" TYPE=\"CHECK\" id=\"61009\" VALUE=\"0\"/>\n</PARAM>\n"
                 "<PARAM NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" VALUE=\"0\"/>"),
       "gate-off", 7, "error"},
      {"a frame named after another key than its slot's",
       hotkeys(hotkeyFrame("62000", "F1", "Launch Application", kActionItems)), "frame-name", 5,
       "error", kCtrlADevice},
      {"a hotkey moved onto a key another holds",
       hotkeys(
           hotkeyFrame("62002", "F2", "Launch Application", kActionItems, virtualKey("179", "0"))),
       "hotkey-taken", 7, "warning"},
      {"an application frame named after another slot",
       application("62101", "Application 3", title("Notes")), "frame-name", 6, "warning"},
      {"a document the device cannot read",
       "<?xml version=\"1.0\"?>\n<PARAM NAME=\"Device Configuration\" "
       "TYPE=\"CONFIGURATION\">\n<PARAM NAME=\"x\"\n",
       "xml-unreadable", 4, "error"},
  };
}

// ---- comparing states ----

// The fields of a state that a run can change, and that `load` sets.
json loadable(const json& state) {
  json copy = state;
  for (const char* field : {"messages", "calls", "report"}) copy.erase(field);
  return copy;
}

DeviceState deviceStateOf(const json& state) {
  LoadableState loaded;
  std::string problem;
  EXPECT_TRUE(stateFromJson(loadable(state).dump(), loaded, problem)) << problem;
  DeviceState out;
  static_cast<LoadableState&>(out) = loaded;
  return out;
}

std::vector<std::string> changeLines(const json& plan) {
  std::vector<std::string> lines;
  for (const auto& change : plan["changes"]) lines.push_back(change["text"]);
  return lines;
}

std::vector<std::string> texts(const json& list) {
  std::vector<std::string> out;
  for (const auto& item : list) out.push_back(item);
  return out;
}

bool hasFinding(const json& findings, const std::string& code, std::size_t line,
                const std::string& severity) {
  for (const auto& f : findings) {
    if (f["code"] == code && f["line"] == line && f["severity"] == severity) return true;
  }
  return false;
}

// ---- the table ----

TEST(Preflight, CheckNamesEachMistakeAndPlanAgreesWithTheRun) {
  for (const Mistake& m : mistakes()) {
    SCOPED_TRACE(m.name);
    ScenarioDevice device;
    device.init();
    std::filesystem::path stateFile = device.root() / "state.json";
    if (m.state != nullptr) {
      ASSERT_EQ(device.load(m.state).code, 0);
      writeHostFile(stateFile, m.state);
    }
    std::filesystem::path file = device.root() / "doc.xml";
    writeHostFile(file, m.document);

    std::vector<std::string> checkArgs = {"check", file.string(), "--json"};
    if (m.state != nullptr) checkArgs.insert(checkArgs.end(), {"--state", stateFile.string()});
    CommandResult check = device.run(checkArgs);
    json findings = json::parse(check.out, nullptr, false);
    ASSERT_TRUE(findings.is_array()) << check.out << check.err;
    EXPECT_TRUE(hasFinding(findings, m.code, m.line, m.severity)) << findings.dump(2);
    bool anyError = false;
    for (const auto& f : findings) anyError = anyError || f["severity"] == "error";
    EXPECT_EQ(check.code, anyError ? 1 : 0);

    CommandResult planned = device.run({"plan", file.string(), "--json"});
    ASSERT_EQ(planned.code, 0) << planned.err;
    json plan = json::parse(planned.out, nullptr, false);
    ASSERT_TRUE(plan.is_object()) << planned.out;

    json before = device.state();
    device.writeFile("Temp/doc.xml", m.document);
    device.ok({"run", "/i", "\\Temp\\doc.xml"});
    json after = device.state();

    EXPECT_EQ(loadable(plan["before"]), loadable(before));
    EXPECT_EQ(loadable(plan["after"]), loadable(after));
    std::vector<std::string> done;
    for (const StateChange& change : stateChanges(deviceStateOf(before), deviceStateOf(after))) {
      done.push_back(change.line);
    }
    EXPECT_EQ(changeLines(plan), done);
    EXPECT_EQ(texts(plan["errors"]), reportTexts(after["report"], "errors"));
    EXPECT_EQ(texts(plan["warnings"]), reportTexts(after["report"], "warnings"));
  }
}

}  // namespace
