// The launcher started without arguments: which package files it finds, in which order it
// applies them, which it deletes, and what happens when the package root is unusable.
#include "scenario_device.h"
#include "support/row_names.h"

using nlohmann::json;

namespace {

const char kPackage[] = "Program Files/Agent/Mirdak/";
const char kPackagePath[] = "applyConfiguration \\Program Files\\Agent\\Mirdak\\";
const char kGetInfo[] = "getInfo";
const char kGetConfiguration[] = "getConfiguration \\Temp\\CVConfiguration.xml";

const char* const kFamilyFiles[] = {
    "ZUMAROall.cfg", "GARVENall.cfg", "NILARall.cfg",  "BRESKOall.cfg",
    "DORUNall.cfg",  "PIKall.cfg",    "VSERIESall.cfg", "VESKAall.cfg",
    "TORVAall.cfg",  "TSERIESall.cfg", "OWBCEall.cfg",  "OWBWMall.cfg",
    "QN7WMall.cfg",  "QN7CEall.cfg",  "VESKAAall.cfg", "TORVA10all.cfg"};

class DiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override { device.init(); }

  void deliver(const std::string& name) const {
    device.writeFile(std::string(kPackage) + name, taskbarDocument(0));
  }
  bool present(const std::string& name) const { return device.exists(std::string(kPackage) + name); }

  ScenarioDevice device;
};

struct DeliveryCase {
  const char* name;
  std::vector<std::string> delivered;
  std::vector<std::string> applied;  // in order
  bool exported;                     // getInfo and getConfiguration follow
};
const DeliveryCase kDeliveryCases[] = {
    {"nothing delivered", {}, {}, true},
    {"general files, no family file", {"QRVwm65.cfg", "QRVall.cfg"},
     {"QRVall.cfg", "QRVwm65.cfg"}, true},
    {"all general files and a family file",
     {"QN7CEall.cfg", "QRVwm.cfg", "QRVwm65.cfg", "QRVall.cfg"},
     {"QRVall.cfg", "QRVwm.cfg", "QRVwm65.cfg", "QN7CEall.cfg"}, false},
    {"only the first family file of a run", {"TORVAall.cfg", "GARVENall.cfg"},
     {"GARVENall.cfg"}, false},
    {"the last family file alone", {"TORVA10all.cfg"}, {"TORVA10all.cfg"}, false},
    {"names match without regard to case", {"qrvALL.CFG"}, {"QRVall.cfg"}, true},
    {"other files are left alone", {"QRVall.xml", "QRVall.cfg.bak"}, {}, true},
};

class DiscoveryRows : public DiscoveryTest, public ::testing::WithParamInterface<DeliveryCase> {};

TEST_P(DiscoveryRows, PackageFilesAreAppliedInTheirOrderAndDeleted) {
  const DeliveryCase& c = GetParam();
  device.ok({"init", "--force"});
  for (const std::string& name : c.delivered) deliver(name);
  device.ok({"run"});

  std::vector<std::string> expected;
  for (const std::string& name : c.applied) expected.push_back(kPackagePath + name);
  if (c.exported) {
    expected.push_back(kGetInfo);
    expected.push_back(kGetConfiguration);
  }
  std::vector<std::string> calls = reportCalls(device.report());
  // File names in the report are as the launcher formed them; compare without case.
  ASSERT_EQ(calls.size(), expected.size());
  for (std::size_t i = 0; i < calls.size(); ++i) {
    std::string a = calls[i], b = expected[i];
    for (char& ch : a) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (char& ch : b) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(a, b);
  }
  for (const std::string& name : c.delivered) {
    bool applied = false;
    for (const std::string& done : c.applied) {
      applied = applied || (name.size() == done.size() &&
                            std::equal(name.begin(), name.end(), done.begin(), [](char x, char y) {
                              return std::tolower(static_cast<unsigned char>(x)) ==
                                     std::tolower(static_cast<unsigned char>(y));
                            }));
    }
    EXPECT_EQ(present(name), !applied) << name;
  }
  if (!c.applied.empty()) {
    EXPECT_EQ(device.state()["settings"]["1"], 0);
  }
}

INSTANTIATE_TEST_SUITE_P(, DiscoveryRows, ::testing::ValuesIn(kDeliveryCases),
                         RowsNamedBy<&DeliveryCase::name>());

TEST_F(DiscoveryTest, FamilyFilesArePickedInTheirFixedOrder) {
  // With every family file present, each run takes the first one left, one per run.
  for (const char* name : kFamilyFiles) deliver(name);
  for (const char* name : kFamilyFiles) {
    SCOPED_TRACE(name);
    device.ok({"run"});
    EXPECT_EQ(reportCalls(device.report()), std::vector<std::string>{kPackagePath + std::string(name)});
    EXPECT_FALSE(present(name));
  }
  device.ok({"run"});
  EXPECT_EQ(reportCalls(device.report()), (std::vector<std::string>{kGetInfo, kGetConfiguration}));
}

TEST_F(DiscoveryTest, AnUnusablePackageRootMakesEveryFileAbsent) {
  // A folder whose name fits the registry but not the launcher's 260-unit buffer.
  std::string longRoot;
  while (longRoot.size() < 260) longRoot += "\\Agent-folder";
  std::string longRootJson;
  for (char c : longRoot) longRootJson += (c == '\\') ? std::string("\\\\") : std::string(1, c);

  struct Case {
    const char* name;
    std::string packageRoot;  // JSON value
    std::string hostFolder;   // where the files are put
  };
  std::string longFolder = longRoot.substr(1);
  for (char& c : longFolder) c = (c == '\\') ? '/' : c;
  const Case cases[] = {
      {"no APPS value", "null", "Program Files/Agent/Mirdak/"},
      {"APPS of 260 characters or more", "\"" + longRootJson + "\"", longFolder + "/Mirdak/"},
      {"APPS naming another folder", "\"\\\\Elsewhere\"", "Program Files/Agent/Mirdak/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(device.load("{\"packageRoot\": " + c.packageRoot + "}").code, 0);
    device.writeFile(c.hostFolder + "QRVall.cfg", taskbarDocument(0));
    device.writeFile(c.hostFolder + "GARVENall.cfg", taskbarDocument(0));
    device.ok({"run"});
    EXPECT_EQ(reportCalls(device.report()), (std::vector<std::string>{kGetInfo, kGetConfiguration}));
    EXPECT_TRUE(device.exists(c.hostFolder + "QRVall.cfg"));
    EXPECT_TRUE(device.exists(c.hostFolder + "GARVENall.cfg"));
    EXPECT_EQ(device.state()["settings"]["1"], 1);
  }
}

TEST_F(DiscoveryTest, PushedFilesAreWhatTheLauncherFinds) {
  std::filesystem::path source = device.root() / "taskbar.xml";
  writeHostFile(source, taskbarDocument(0));
  device.ok({"push", source.string(), "QRVwm.cfg"});
  device.ok({"run"});
  EXPECT_EQ(reportCalls(device.report()),
            (std::vector<std::string>{std::string(kPackagePath) + "QRVwm.cfg", kGetInfo,
                                      kGetConfiguration}));
  EXPECT_FALSE(present("QRVwm.cfg"));
}

}  // namespace
