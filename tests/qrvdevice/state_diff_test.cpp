// The diff of two device states that plan prints: one line per change a person recognises.
#include "tools/qrvdevice/state_diff.h"
#include "support/row_names.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

DeviceState freshState() {
  DeviceState state;
  state.settings = defaultDeviceSettings();
  return state;
}

StoredAppEntry app(const char* title, const char* executable) {
  StoredAppEntry a;
  a.title = textFromUtf8(title);
  a.executable = textFromUtf8(executable);
  return a;
}

StoredHotkeyEntry hotkey(std::uint32_t keyCode, std::uint32_t modifiers, std::int32_t action,
                    const char* application = "") {
  StoredHotkeyEntry h;
  h.keyCode = keyCode;
  h.modifiers = modifiers;
  h.action = action;
  h.application = textFromUtf8(application);
  return h;
}

// The ten built-in hotkeys as a device stores them after its first commit.
std::vector<StoredHotkeyEntry> builtInHotkeys() {
  std::vector<StoredHotkeyEntry> list;
  for (std::uint32_t code = 179; code <= 188; ++code) list.push_back(hotkey(code, 0, 6));
  return list;
}

// `after` starts as a copy of `before`.
struct Case {
  const char* name;
  std::function<void(DeviceSettings&)> before, after;
  std::vector<std::string> lines;
};

const auto kNone = [](DeviceSettings&) {};
const Case kCases[] = {
    {"nothing", kNone, kNone, {}},
    {"a switch",
     kNone,
     [](DeviceSettings& s) { s.settings[1] = 0; },
     {"~ Taskbar Enabled: on -> off"}},
    {"a view setting",
     kNone,
     [](DeviceSettings& s) { s.viewSettings[1] = 0; },
     {"~ Show Taskbar: on -> off"}},
    {"a browser bar is one change, written twice",
     kNone,
     [](DeviceSettings& s) {
       s.viewSettings[21] = 0;
       s.settings[21] = 0;
     },
     {"~ Browser Toolbar: on -> off"}},
    {"a bar's setting alone",
     kNone,
     [](DeviceSettings& s) { s.settings[21] = 0; },
     {"~ setting 21 (Browser Toolbar): on -> off"}},
    {"a number no switch has",
     kNone,
     [](DeviceSettings& s) { s.settings[77] = 3; },
     {"~ setting 77: not set -> on (3)"}},
    {"the password is never shown",
     [](DeviceSettings& s) { s.password = u"old"; },
     [](DeviceSettings& s) { s.password = u"new secret"; },
     {"~ administrator password: changed"}},
    {"a password set",
     kNone,
     [](DeviceSettings& s) { s.password = u"x"; },
     {"+ administrator password: set"}},
    {"a password cleared",
     [](DeviceSettings& s) { s.password = u"x"; },
     [](DeviceSettings& s) { s.password.clear(); },
     {"- administrator password: cleared"}},
    {"applications added, changed and removed by place",
     [](DeviceSettings& s) {
       s.applications = {app("Inventory", "\\inv.exe"), app("Notes", "\\n.exe")};
     },
     [](DeviceSettings& s) {
       s.applications = {app("Inventory", "\\inv2.exe")};
       s.applications[0].runAtStartup = 1;
     },
     {"~ application 1 \"Inventory\": executable \"\\inv.exe\" -> \"\\inv2.exe\", run at startup "
      "0 -> 1",
      "- application 2: \"Notes\""}},
    {"an application added",
     kNone,
     [](DeviceSettings& s) { s.applications = {app("Scanner", "\\scan.exe")}; },
     {"+ application 1: \"Scanner\" \\scan.exe"}},
    {"built-in hotkeys stored for the first time are no change",
     kNone,
     [](DeviceSettings& s) { s.hotkeys = builtInHotkeys(); },
     {}},
    {"a built-in hotkey given an action",
     kNone,
     [](DeviceSettings& s) {
       s.hotkeys = builtInHotkeys();
       s.hotkeys[0] = hotkey(179, 0, 0, "\\inv.exe");
     },
     {"~ hotkey F1: action No Action -> Launch Application, application \"\" -> \"\\inv.exe\""}},
    {"hotkeys added and removed by their keys",
     [](DeviceSettings& s) { s.hotkeys = {hotkey(65, 2, 2)}; },
     [](DeviceSettings& s) { s.hotkeys = {hotkey(122, 2, 3)}; },
     {"- hotkey Ctrl + A", "+ hotkey Ctrl + F11: Launch QRV Config"}},
    {"error pages installed and changed",
     kNone,
     [](DeviceSettings& s) {
       s.errorPages = defaultErrorPages();
       (*s.errorPages)[2] = u"\\my404.htm";
     },
     {"+ error pages: the defaults are installed",
      "~ error page (404) Object Not Found: \"\\Windows\\ErrorPages\\404.htm\" -> "
      "\"\\my404.htm\""}},
};

class StateDiffRows : public ::testing::TestWithParam<Case> {};

TEST_P(StateDiffRows, EachChangeIsOneLine) {
  const Case& c = GetParam();
  DeviceState before = freshState(), after = freshState();
  c.before(before.settings);
  after.settings = before.settings;
  c.after(after.settings);
  std::vector<std::string> lines;
  for (const StateChange& change : stateChanges(before, after)) lines.push_back(change.line);
  EXPECT_EQ(lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(, StateDiffRows, ::testing::ValuesIn(kCases),
                         RowsNamedBy<&Case::name>());

TEST(StateDiff, ChangesCarryTheirSignKindAndSubject) {
  DeviceState before = freshState(), after = freshState();
  after.settings.hotkeys = {hotkey(65, 2, 0)};
  after.packageRoot = RegistryValue::ofText("\\Apps");
  std::vector<StateChange> changes = stateChanges(before, after);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].sign, '+');
  EXPECT_EQ(changes[0].kind, "hotkey");
  EXPECT_EQ(changes[0].subject, "hotkey Ctrl + A");
  EXPECT_EQ(changes[1].line, "~ package root (APPS): not set -> \"\\Apps\"");
}

}  // namespace
