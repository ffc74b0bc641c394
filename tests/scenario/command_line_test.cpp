// The launcher's command line, given as the raw line the device's shell hands over: how it is
// split into words, which option words it knows, and what an import or export then does.
#include "scenario_device.h"
#include "support/row_names.h"

using nlohmann::json;

namespace {

const char kGetInfo[] = "getInfo";
const char kGetConfiguration[] = "getConfiguration \\Temp\\CVConfiguration.xml";

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { device.init(); }
  ScenarioDevice device;
};

struct LineCase {
  const char* name;
  std::string line;
  std::vector<std::string> calls;  // the manager calls of the run, in order
  bool applied;                    // the file was applied: its setting changed, it is gone
};
const std::string kApply = "applyConfiguration \\Temp\\a b.cfg";
const LineCase kLineCases[] = {
    {"empty line: no-argument flow", "", {kGetInfo, kGetConfiguration}, false},
    {"a single blank is one empty argument", " ", {}, false},
    {"quoted path with a blank", "/i \"\\Temp\\a b.cfg\"", {kApply}, true},
    {"quotes open and close inside a word", "/i \\Te\"mp\\a b\".cfg", {kApply}, true},
    {"quotes around one letter and the blank", "/i \\Temp\\\"a \"b.cfg", {kApply}, true},
    {"upper-case option", "/I \"\\Temp\\a b.cfg\"", {kApply}, true},
    {"long option in mixed case", "/ImPoRt \"\\Temp\\a b.cfg\"", {kApply}, true},
    {"two blanks make an empty path", "/i  \"\\Temp\\a b.cfg\"", {}, false},
    {"option without a path", "/i", {}, false},
    {"option and a trailing blank", "/i ", {}, false},
    {"option and an empty quoted path", "/i \"\"", {}, false},
    {"unknown option", "/x \"\\Temp\\a b.cfg\"", {}, false},
    {"option without its slash", "i \"\\Temp\\a b.cfg\"", {}, false},
    {"unquoted blank splits the path", "/i \\Temp\\a b.cfg", {}, false},
    {"more than four words", "/i \"\\Temp\\a b.cfg\" w3 w4 w5 w6 w7", {kApply}, true},
    {"a tab is part of a word", "/i\t\"\\Temp\\a b.cfg\"", {}, false},
};

class CommandLineRows : public CommandLineTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(CommandLineRows, RawLinesAreSplitAsTheDeviceSplitsThem) {
  const LineCase& c = GetParam();
  ASSERT_EQ(device.load("{}").code, 0);
  device.writeFile("Temp/a b.cfg", taskbarDocument(0));
  CommandResult result = device.run({"run", "--line", c.line});
  ASSERT_EQ(result.code, 0) << result.err;
  json state = device.state();
  EXPECT_EQ(reportCalls(state["report"]), c.calls);
  EXPECT_EQ(state["settings"]["1"], c.applied ? 0 : 1);
  EXPECT_EQ(device.exists("Temp/a b.cfg"), !c.applied);
}

INSTANTIATE_TEST_SUITE_P(, CommandLineRows, ::testing::ValuesIn(kLineCases),
                         RowsNamedBy<&LineCase::name>());

TEST_F(CommandLineTest, ArgumentsAreQuotedBackIntoTheLine) {
  // Arguments given one by one reach the launcher as the same words, blanks kept.
  device.writeFile("Temp/a b.cfg", taskbarDocument(0));
  device.ok({"run", "/import", "\\Temp\\a b.cfg"});
  EXPECT_EQ(reportCalls(device.report()),
            std::vector<std::string>{"applyConfiguration \\Temp\\a b.cfg"});
  EXPECT_FALSE(device.exists("Temp/a b.cfg"));

  // An empty argument stays an (empty) argument.
  device.writeFile("Temp/c.cfg", taskbarDocument(0));
  device.ok({"run", "/i", "", "\\Temp\\c.cfg"});
  EXPECT_EQ(reportCalls(device.report()), std::vector<std::string>{});
  EXPECT_TRUE(device.exists("Temp/c.cfg"));
}

TEST_F(CommandLineTest, ImportOfANamedFileAppliesAndDeletesIt) {
  device.writeFile("Temp/set.cfg", taskbarDocument(0));
  CommandResult result = device.ok({"run", "/i", "\\Temp\\set.cfg"});
  EXPECT_NE(result.out.find("0 error(s)"), std::string::npos) << result.out;
  EXPECT_EQ(device.state()["settings"]["1"], 0);
  EXPECT_FALSE(device.exists("Temp/set.cfg"));

  // A path that names nothing: no call, nothing deleted, still a normal run.
  device.ok({"run", "/i", "\\Temp\\absent.cfg"});
  EXPECT_EQ(device.report(), json::array());

  // A file that is not a configuration document is still deleted: the launcher deletes what it
  // hands over, whatever the manager made of it. The manager says what was wrong.
  device.writeFile("Temp/broken.cfg", "<PARAM");
  result = device.ok({"run", "/i", "\\Temp\\broken.cfg"});
  EXPECT_FALSE(device.exists("Temp/broken.cfg"));
  EXPECT_EQ(reportTexts(device.report(), "errors").size(), 1u);
  EXPECT_NE(result.out.find("ERROR"), std::string::npos) << result.out;
}

TEST_F(CommandLineTest, AnOverlongPathIsNeverCutToAnotherFile) {
  // The first 255 units of the path name a file that must be neither applied nor deleted.
  const std::string name(249, 'x');
  device.writeFile("Temp/" + name, taskbarDocument(0));
  device.ok({"run", "--line", "/i \\Temp\\" + name + "yyyy"});
  EXPECT_EQ(device.report(), json::array());
  EXPECT_TRUE(device.exists("Temp/" + name));
  EXPECT_EQ(device.state()["settings"]["1"], 1);
}

TEST_F(CommandLineTest, ExportWritesTheConfigurationToThePathGiven) {
  for (const char* option : {"/e", "/E", "/export", "/EXPORT"}) {
    SCOPED_TRACE(option);
    device.ok({"run", option, "\\Temp\\out.xml"});
    std::string exported = device.readFile("Temp/out.xml");
    EXPECT_NE(exported.find("Corvane Desktop Utility"), std::string::npos);
    EXPECT_NE(exported.find("id=\"61000\""), std::string::npos);
    EXPECT_EQ(reportCalls(device.report()), (std::vector<std::string>{kGetInfo, kGetConfiguration}));
    // The manager's own file is removed once copied.
    EXPECT_FALSE(device.exists("Temp/CVConfiguration.xml"));
    std::filesystem::remove(device.file("Temp/out.xml"));
  }
  // Without a path nothing is exported and the manager is not asked.
  device.ok({"run", "/e"});
  EXPECT_EQ(device.report(), json::array());
}

TEST_F(CommandLineTest, ExportOntoTheManagersOwnFileDestroysNothing) {
  device.ok({"run", "/e", "\\Temp\\CVConfiguration.xml"});
  ASSERT_TRUE(device.exists("Temp/CVConfiguration.xml"));
  std::string exported = device.readFile("Temp/CVConfiguration.xml");
  EXPECT_NE(exported.find("Corvane Desktop Utility"), std::string::npos);
  // Letter case does not make it another file.
  device.ok({"run", "/e", "\\temp\\cvconfiguration.XML"});
  EXPECT_EQ(device.readFile("Temp/CVConfiguration.xml"), exported);
}

}  // namespace
