// Whole launcher runs in-process against a temporary device and a stand-in manager that
// records its calls, so that discovery order, deletions and the calls made show exactly.
#include "launcher/launcher.h"
#include "platform/registry.h"
#include "support/row_names.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const char* const kMirdak = "Program Files/Agent/Mirdak/";
const char* const kMirdakDevice = "\\Program Files\\Agent\\Mirdak\\";

// A device with the launcher's surroundings: the APPS value and, unless told otherwise, the
// stand-in manager in place of the real one.
class LauncherDevice : public TempDevice {
 public:
  explicit LauncherDevice(const char* managerLibrary = STUB_MANAGER_PATH) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Trellmar\\Dizezurov"), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const Text apps = WSTR("\\Program Files\\Agent");
    RegSetValueExW(key, WSTR("APPS"), 0, REG_SZ, reinterpret_cast<const BYTE*>(apps.c_str()),
                   DWORD((apps.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    std::filesystem::create_directories(file("Windows"));
    std::filesystem::create_directories(file("Temp"));
    if (managerLibrary != nullptr) {
      std::filesystem::copy_file(managerLibrary, file("Windows/CVConfigManager.1.0.dll"));
    }
  }

  int run(const std::string& commandLine) {
    Text line = textFromUtf8(commandLine);
    return runLauncher(line.c_str());
  }
  Lines calls() const { return device::readStateLines("stub-calls"); }
  void setExportMode(const std::string& mode) const {
    (void)device::appendStateLine("stub-export", mode);
  }
  bool exists(const std::string& relative) const {
    return std::filesystem::exists(file(relative));
  }
};

TEST(LauncherRun, InstallsThePluginOnEveryStart) {
  for (const char* manager : {static_cast<const char*>(STUB_MANAGER_PATH),
                              static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(manager ? "with manager" : "without manager");
    LauncherDevice device(manager);
    device.writeFile("QRVConfig.dll", "shipped");
    device.writeFile("Windows/QRVConfig.dll", "older");
    EXPECT_EQ(device.run("/x"), 0);
    EXPECT_EQ(device.readFile("Windows/QRVConfig.dll"), "shipped");
  }
}

TEST(LauncherRun, NoArgumentFlowAppliesPackageFilesInOrder) {
  // Here the buffer goes from getInfo to getConfiguration as it is: nothing reads it after.
  struct Case {
    const char* name;
    Lines present;    // files in the package folder
    Lines calls;      // stand-in manager's record
    Lines remaining;  // package files still there afterwards
  };
  const std::string m = kMirdakDevice;
  const Case cases[] = {
      {"nothing there", {}, {"getInfo 512", "getConfiguration 512 dirty"}, {}},
      {"general files only",
       {"QRVwm65.cfg", "QRVall.cfg"},
       {"applyConfiguration " + m + "QRVall.cfg", "applyConfiguration " + m + "QRVwm65.cfg",
        "getInfo 512", "getConfiguration 512 dirty"},
       {}},
      {"first device-family file only",
       {"TORVAall.cfg", "GARVENall.cfg"},
       {"applyConfiguration " + m + "GARVENall.cfg"},
       {"TORVAall.cfg"}},
      {"general and device-family files",
       {"TORVA10all.cfg", "QRVwm.cfg", "ZUMAROall.cfg", "QRVall.cfg", "QRVwm65.cfg"},
       {"applyConfiguration " + m + "QRVall.cfg", "applyConfiguration " + m + "QRVwm.cfg",
        "applyConfiguration " + m + "QRVwm65.cfg", "applyConfiguration " + m + "ZUMAROall.cfg"},
       {"TORVA10all.cfg"}},
      {"names match without regard to case",
       {"qrvall.CFG", "torva10ALL.cfg"},
       {"applyConfiguration " + m + "QRVall.cfg", "applyConfiguration " + m + "TORVA10all.cfg"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LauncherDevice device;
    for (const std::string& name : c.present) device.writeFile(kMirdak + name, "<x/>");
    EXPECT_EQ(device.run(""), 0);
    EXPECT_EQ(device.calls(), c.calls);
    Lines remaining;
    for (const std::string& name : c.present) {
      if (device.exists(kMirdak + name)) remaining.push_back(name);
    }
    EXPECT_EQ(remaining, c.remaining);
  }
}

const std::string kLongName(300, 'n');

struct DispatchCase {
  const char* name;
  std::string line;
  Lines calls;
  bool fileRemains;  // files/Temp/a b.cfg
};
const DispatchCase kDispatchCases[] = {
    {"import", "/i \"\\Temp\\a b.cfg\"", {"applyConfiguration \\Temp\\a b.cfg"}, false},
    {"import, long word in mixed case", "/ImPoRt \"\\Temp\\a b.cfg\"",
     {"applyConfiguration \\Temp\\a b.cfg"}, false},
    {"import, path named differently", "/I \\temp\\\"A B\".CFG",
     {"applyConfiguration \\temp\\A B.CFG"}, false},
    {"import without path", "/i", {}, true},
    {"import of a missing file", "/i \\Temp\\missing.cfg", {}, true},
    {"import with an empty argument 2", "/i  \"\\Temp\\a b.cfg\"", {}, true},
    {"unknown option", "/x \"\\Temp\\a b.cfg\"", {}, true},
    {"option word with more", "/imports \"\\Temp\\a b.cfg\"", {}, true},
    {"single blank", " ", {}, true},
    {"export without path", "/E", {}, true},
    {"export", "/EXPORT \\Temp\\out.xml", {"getInfo 512", "getConfiguration 512 clear"}, true},
    {"import of an over-long path", "/i \\Temp\\" + kLongName, {}, true},
};

class LauncherRunRows : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(LauncherRunRows, OptionDispatch) {
  const DispatchCase& c = GetParam();
  LauncherDevice device;
  device.writeFile("Temp/a b.cfg", "<x/>");
  device.writeFile("Temp/" + kLongName.substr(0, 249), "<x/>");  // what the cut path names
  EXPECT_EQ(device.run(c.line), 0);
  EXPECT_EQ(device.calls(), c.calls);
  EXPECT_EQ(device.exists("Temp/a b.cfg"), c.fileRemains);
  EXPECT_TRUE(device.exists("Temp/" + kLongName.substr(0, 249)));
}

INSTANTIATE_TEST_SUITE_P(, LauncherRunRows, ::testing::ValuesIn(kDispatchCases),
                         RowsNamedBy<&DispatchCase::name>());

TEST(LauncherRun, ExportCopiesTheManagersFileAndDeletesIt) {
  LauncherDevice device;
  device.writeFile("Temp/out.xml", "old");
  device.run("/e \\Temp\\out.xml");
  EXPECT_EQ(device.readFile("Temp/out.xml"), "<exported/>");
  EXPECT_FALSE(device.exists("Temp/CVConfiguration.xml"));
}

TEST(LauncherRun, ExportNeverDestroysAFile) {
  // 511 units: what is left of a longer path when the buffer's last unit is cut off.
  const std::string folder(250, 'a'), name(254, 'b');
  const std::string cutPath = "\\Temp\\" + folder + "\\" + name;
  struct Case {
    const char* name;
    std::string mode;    // what the stand-in's getConfiguration does
    std::string target;  // argument 2
    bool exportKept;     // files/Temp/CVConfiguration.xml afterwards
    std::string other;   // a file below files/ that must be neither copied nor deleted
  };
  const Case cases[] = {
      {"target is the manager's file", "normal", "\\Temp\\CVConfiguration.xml", true, ""},
      {"same file, named differently", "normal", "/TEMP//.\\cvconfiguration.XML", true, ""},
      {"manager names no file", "empty", "\\Temp\\out.xml", false, ""},
      {"manager fills the whole buffer", "full", "\\Temp\\out.xml", false, ""},
      {"manager leaves the path unterminated", "unterminated:" + cutPath, "\\Temp\\out.xml",
       false, "Temp/" + folder + "/" + name},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LauncherDevice device;
    device.setExportMode(c.mode);
    if (!c.other.empty()) device.writeFile(c.other, "other");
    EXPECT_EQ(device.run("/e " + c.target), 0);
    EXPECT_EQ(device.exists("Temp/CVConfiguration.xml"), c.exportKept);
    EXPECT_EQ(device.exists("Temp/out.xml"), false);
    if (c.exportKept) {
      EXPECT_EQ(device.readFile("Temp/CVConfiguration.xml"), "<exported/>");
    }
    if (!c.other.empty()) {
      EXPECT_EQ(device.readFile(c.other), "other");
    }
    EXPECT_EQ(device.calls(), (Lines{"getInfo 512", "getConfiguration 512 clear"}));
  }
}

TEST(LauncherRun, EndsQuietlyWithoutAUsableManager) {
  for (const char* manager : {static_cast<const char*>(nullptr),
                              static_cast<const char*>(STUB_MANAGER_PARTIAL_PATH)}) {
    SCOPED_TRACE(manager ? "entry point missing" : "library missing");
    LauncherDevice device(manager);
    device.writeFile(std::string(kMirdak) + "QRVall.cfg", "<x/>");
    device.writeFile("Temp/a.cfg", "<x/>");
    EXPECT_EQ(device.run(""), 0);
    EXPECT_EQ(device.run("/i \\Temp\\a.cfg"), 0);
    EXPECT_TRUE(device.exists(std::string(kMirdak) + "QRVall.cfg"));
    EXPECT_TRUE(device.exists("Temp/a.cfg"));
    EXPECT_TRUE(device.calls().empty());
  }
}

}  // namespace
