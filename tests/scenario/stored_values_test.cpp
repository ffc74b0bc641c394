// What a document stores, the device exports again and `load` reads back: for each document,
// applied through the launcher, the device's state loads back equal, its export gives no
// warning and applying that export again changes nothing. The documents are the examples and
// values at the edges of what the device can hold, each with what its apply must report and
// leave on the device.
#include "scenario_device.h"

using nlohmann::json;

namespace {

// The parts of a state that `load` reads.
json settingsOf(const json& state) {
  json out = json::object();
  for (const char* field : {"settings", "viewSettings", "password", "applications", "hotkeys",
                            "errorPages", "configFiltersOff", "packageRoot", "windows"}) {
    out[field] = state[field];
  }
  return out;
}

std::string applicationsDocument(const std::string& frames) {
  return configurationDocument(
      "<PARAM NAME=\"Application Selector\" TYPE=\"NODE\"><PARAM NAME=\"Authorized "
      "Applications\" TYPE=\"COMPONENT\" id=\"61006\" VERSION=\"1.0.0\">" +
      frames + "</PARAM></PARAM>");
}

std::string firstApplication(const std::string& properties) {
  return "<PARAM NAME=\"Application 1\" TYPE=\"FRAME\" id=\"62100\" VERSION=\"1.0.0\">" +
         properties + "</PARAM>";
}

std::string stringElement(const char* name, int id, const std::string& value,
                          const char* marks = "") {
  return std::string("<PARAM NAME=\"") + name + "\" TYPE=\"STRING\" id=\"" + std::to_string(id) +
         "\" " + marks + " VALUE=\"" + value + "\"/>";
}

std::string passwordDocument(const std::string& value) {
  return configurationDocument("<PARAM NAME=\"Admin\" TYPE=\"NODE\">" +
                               stringElement("Password", 61001, value) + "</PARAM>");
}

// A hotkey frame that sets the key combination.
std::string hotkeysDocument(int frameId, unsigned key, unsigned modifiers) {
  return configurationDocument(
      "<PARAM NAME=\"Hotkeys\" TYPE=\"COMPONENT\" id=\"61007\" VERSION=\"1.0.0\"><PARAM "
      "NAME=\"moved\" TYPE=\"FRAME\" id=\"" +
      std::to_string(frameId) +
      "\" VERSION=\"1.0.0\"><PARAM NAME=\"VKeyInfo\" TYPE=\"NODE\"><PARAM NAME=\"VirtualKey\" "
      "TYPE=\"HIDDEN\" id=\"3\" VALUE=\"" +
      std::to_string(key) + "\"/><PARAM NAME=\"Modifiers\" TYPE=\"HIDDEN\" id=\"4\" VALUE=\"" +
      std::to_string(modifiers) + "\"/></PARAM></PARAM></PARAM>");
}

std::string readExample(const char* name) {
  return readHostFile(std::string(QRV_EXAMPLES_DIR) + "/" + name);
}

const std::string kLongPassword(300, 'p');
const std::string kLongestPassword(259, 'p');
const std::string kTitle253(253, 'a');
const char kGrinning[] = "\xF0\x9F\x98\x80";  // U+1F600, a surrogate pair in UTF-16

// Ctrl + A launches the configuration utility and Ctrl + B an application, besides the
// built-in F1 to F10; in the order of their names the frames are Ctrl + A 62000, Ctrl + B 62001,
// F1 62002.
const char kTwoHotkeys[] = R"({"hotkeys": [
    {"keyCode": 65, "modifiers": 2, "action": 3, "data": 0, "application": "", "arguments": ""},
    {"keyCode": 66, "modifiers": 2, "action": 0, "data": 0, "application": "\\b.exe",
     "arguments": ""}]})";

struct Expected {
  const char* pointer;  // a JSON pointer into the state after the apply
  json value;
};

struct Row {
  const char* name;
  const char* state;  // loaded before the apply; null: a new device
  std::string document;
  std::vector<std::string> warnings;  // what the apply reports, exactly
  std::vector<Expected> expected;
};

// A failing row is shown by its name.
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

std::vector<Row> rows() {
  const std::string notMoved = " holds: a device keeps one hotkey for each built-in key";
  return {
      {"kiosk example", nullptr, readExample("kiosk.xml"), {}, {{"/password", "Kiosk-2026"}}},
      {"fresh device example", R"({"password": "old-pw"})", readExample("fresh-device-export.xml"),
       {}, {{"/password", ""}}},
      {"F1 a password longer than the device gives back", R"({"password": "old-pw"})",
       passwordDocument(kLongPassword),
       {"'Password' is longer than 259 characters and is not stored; the device keeps its "
        "password"},
       {{"/password", "old-pw"}}},
      {"F1 the longest password", R"({"password": "old-pw"})", passwordDocument(kLongestPassword),
       {}, {{"/password", kLongestPassword}}},
      {"F2 a title whose cut falls inside a surrogate pair", nullptr,
       applicationsDocument(firstApplication(
           stringElement("Application Title", 0, kTitle253 + kGrinning) +
           stringElement("Executable", 1, std::string(258, 'e') + kGrinning))),
       {},
       {{"/applications/0/title", kTitle253},
        {"/applications/0/executable", std::string(258, 'e')}}},
      {"F2 a title whose pair fits", nullptr,
       applicationsDocument(firstApplication(
           stringElement("Application Title", 0, std::string(252, 'a') + kGrinning))),
       {}, {{"/applications/0/title", std::string(252, 'a') + kGrinning}}},
      {"F3 a binHex title decoding to a control character",
       R"({"applications": [{"title": "Inventory", "executable": "\\inv.exe"}]})",
       applicationsDocument(
           firstApplication(stringElement("Application Title", 0, "4101", "MIMETYPE=\"binHex\""))),
       {"'Application Title' holds a character that XML cannot carry (code 1 at position 1) and "
        "is not stored; the field keeps its value"},
       {{"/applications/0/title", "Inventory"}}},
      {"F3 a binHex title decoding to tab, line feed and return", nullptr,
       applicationsDocument(firstApplication(
           stringElement("Application Title", 0, "41090a0d42", "MIMETYPE=\"binHex\""))),
       {}, {{"/applications/0/title", "A\t\n\rB"}}},
      {"F4 a plain password with a character above U+00FF", R"({"password": "old-pw"})",
       passwordDocument("s3cr\xE2\x82\xACt"),
       {"'Password' holds a character above U+00FF, which a document cannot encode, and is not "
        "stored; the device keeps its password"},
       {{"/password", "old-pw"}}},
      {"F6 a hotkey moved onto a built-in key", kTwoHotkeys, hotkeysDocument(62000, 179, 0),
       {"Hotkey 'Ctrl + A' is not moved onto 'F1', which hotkey 'F1'" + notMoved},
       {{"/hotkeys/0/keyCode", 65}, {"/hotkeys/0/action", 3}}},
      {"F6 a hotkey moved onto another key a hotkey holds", kTwoHotkeys,
       hotkeysDocument(62001, 65, 2),
       {"Hotkey 'Ctrl + B' is moved onto 'Ctrl + A', which hotkey 'Ctrl + A' holds as well"},
       {{"/hotkeys/0/keyCode", 65}, {"/hotkeys/1/keyCode", 65}, {"/hotkeys/1/modifiers", 2}}},
      {"F7 a text with =hex ending in a backslash", nullptr,
       applicationsDocument(firstApplication(stringElement("Application Title", 0, "x") +
                                             stringElement("Executable", 1, "\\dir=hex:01\\"))),
       {}, {{"/applications/0/executable", "\\dir=hex:01\\"}}},
  };
}

class StoredValuesTest : public ::testing::TestWithParam<Row> {};

TEST_P(StoredValuesTest, TheDeviceCarriesWhatTheDocumentStored) {
  const Row& row = GetParam();
  ScenarioDevice device;
  device.init();
  if (row.state) {
    ASSERT_EQ(device.load(row.state).code, 0);
  }

  device.writeFile("Temp/doc.xml", row.document);
  CommandResult applied = device.ok({"run", "/i", "\\Temp\\doc.xml"});
  json report = device.report();
  EXPECT_EQ(reportTexts(report, "errors"), std::vector<std::string>{}) << applied.out;
  EXPECT_EQ(reportTexts(report, "warnings"), row.warnings) << applied.out;
  json state = device.state();
  for (const Expected& e : row.expected) {
    EXPECT_EQ(state.value(json::json_pointer(e.pointer), json()), e.value) << e.pointer;
  }

  // The state loads back equal.
  ScenarioDevice other;
  other.init();
  CommandResult loaded = other.load(state.dump());
  ASSERT_EQ(loaded.code, 0) << loaded.err;
  EXPECT_EQ(settingsOf(other.state()), settingsOf(state));

  // The export gives no warning, and applying it again changes nothing.
  device.ok({"run", "/e", "\\Temp\\export.xml"});
  json exportReport = device.report();
  EXPECT_EQ(reportTexts(exportReport, "errors"), std::vector<std::string>{});
  EXPECT_EQ(reportTexts(exportReport, "warnings"), std::vector<std::string>{});
  std::string exported = device.readFile("Temp/export.xml");
  device.writeFile("Temp/again.xml", exported);
  CommandResult again = device.ok({"run", "/i", "\\Temp\\again.xml"});
  EXPECT_EQ(reportTexts(device.report(), "warnings"), std::vector<std::string>{}) << again.out;
  EXPECT_EQ(settingsOf(device.state()), settingsOf(state));
  device.ok({"run", "/e", "\\Temp\\export.xml"});
  EXPECT_EQ(device.readFile("Temp/export.xml"), exported);
}

std::string rowName(const ::testing::TestParamInfo<Row>& info) {
  std::string name;
  for (const char* p = info.param.name; *p; ++p) {
    name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Documents, StoredValuesTest, ::testing::ValuesIn(rows()), rowName);

// A password the device holds but no export can encode (set before documents refused it) is
// reported by name: no report, log or output shows its text.
TEST(StoredValues, APasswordNoExportCanEncodeIsNeverShown) {
  ScenarioDevice device;
  device.init();
  ASSERT_EQ(device.load(R"({"password": "s3cr\u20act"})").code, 0);
  CommandResult exported = device.ok({"run", "/e", "\\Temp\\export.xml"});
  EXPECT_EQ(reportTexts(device.report(), "errors"),
            std::vector<std::string>{
                "'Password': Failed to convert wide-character string to ASCII for binHex "
                "encoding"});
  CommandResult report = device.ok({"report"});
  for (const std::string& text :
       {exported.out, exported.err, report.out, readHostFile(device.root() / "state" / "report"),
        device.readFile("Temp/export.xml")}) {
    EXPECT_EQ(text.find("s3cr"), std::string::npos) << text;
  }
}

// A hand-edited registry whose text value holds "=hex" and ends in a backslash: the next line
// is not joined to it, and the file is refused as malformed at that line.
TEST(StoredValues, AHandEditedTextEndingInABackslashIsAMalformedRegistry) {
  ScenarioDevice device;
  device.init();
  std::filesystem::path registry = device.root() / "state" / "registry.reg";
  std::string text = readHostFile(registry);
  text += "[HKEY_CURRENT_USER\\Software\\Edited]\n\"Note\"=\"a=hex\\\n\\\\b\"\n";
  writeHostFile(registry, text);
  CommandResult shown = device.run({"show", "--json"});
  EXPECT_EQ(shown.code, 1);
  std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  EXPECT_NE(shown.err.find("registry.reg:" + std::to_string(lines - 1) + ":"), std::string::npos)
      << shown.err;
}

}  // namespace
