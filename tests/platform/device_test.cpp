// Device paths, state files and the device root of the emulated device.
#include "platform/device.h"

#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// A device path, and whether it names something and which host path below files/.
struct PathCase {
  const char* name;
  const WCHAR* device;
  bool ok;
  std::string host;
};

template <std::size_t N>
void expectHostPaths(const TempDevice& dev, const PathCase (&cases)[N]) {
  const std::string files = dev.root().string() + "/files";
  for (const PathCase& c : cases) {
    std::string host = "unchanged";
    EXPECT_EQ(device::hostPath(c.device, host), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(host, files + c.host) << c.name;
    }
  }
}

TEST(DevicePath, MapsDevicePathsBelowFiles) {
  TempDevice dev;
  dev.writeFile("Windows/QRVConfig.dll", "x");
  dev.writeFile("Program Files/Agent/Mirdak/QRVall.cfg", "x");
  const PathCase cases[] = {
      {"backslashes", WSTR("\\Windows\\QRVConfig.dll"), true, "/Windows/QRVConfig.dll"},
      {"forward slashes", WSTR("/Windows/QRVConfig.dll"), true, "/Windows/QRVConfig.dll"},
      {"mixed separators", WSTR("\\Windows/QRVConfig.dll"), true, "/Windows/QRVConfig.dll"},
      {"existing names in any case", WSTR("\\WINDOWS\\qrvconfig.DLL"), true,
       "/Windows/QRVConfig.dll"},
      {"blank inside a name", WSTR("\\program files\\AGENT\\mirdak\\qrvALL.cfg"), true,
       "/Program Files/Agent/Mirdak/QRVall.cfg"},
      {"missing names kept as written", WSTR("\\windows\\New\\Thing.TXT"), true,
       "/Windows/New/Thing.TXT"},
      {"dot and doubled separators", WSTR("\\.\\Windows\\\\.\\QRVConfig.dll"), true,
       "/Windows/QRVConfig.dll"},
      {"climb back inside", WSTR("\\Temp\\..\\Windows\\QRVConfig.dll"), true,
       "/Windows/QRVConfig.dll"},
      {"the root", WSTR("\\"), true, ""},
      {"no leading separator", WSTR("Windows\\QRVConfig.dll"), true, "/Windows/QRVConfig.dll"},
      {"climb above files", WSTR("\\..\\state\\registry.reg"), false, ""},
      {"climb after descending", WSTR("\\Windows\\..\\..\\state\\lock"), false, ""},
      {"climb with forward slashes", WSTR("/../../etc/passwd"), false, ""},
  };
  expectHostPaths(dev, cases);
}

TEST(DevicePath, NoDevicePathReachesState) {
  TempDevice dev;
  const WCHAR* attempts[] = {WSTR("\\state"), WSTR("\\..\\state"), WSTR("\\..\\STATE\\lock"),
                             WSTR("\\Windows\\..\\..\\state")};
  for (const WCHAR* attempt : attempts) {
    std::string host;
    if (device::hostPath(attempt, host)) {
      EXPECT_EQ(host.rfind(dev.root().string() + "/files", 0), 0u) << host;
    }
  }
}

TEST(DevicePath, SymbolicLinksAreFollowedOnlyInsideFiles) {
  TempDevice dev;
  dev.writeFile("Windows/QRVConfig.dll", "x");
  const std::filesystem::path outside = dev.root() / "outside";
  std::filesystem::create_directories(outside);
  std::ofstream(outside / "secret.txt") << "host";
  std::filesystem::create_directory_symlink(dev.file("Windows"), dev.file("Inside"));
  std::filesystem::create_directory_symlink(outside, dev.file("Out"));
  std::filesystem::create_symlink(outside / "secret.txt", dev.file("Secret.txt"));
  std::filesystem::create_symlink(dev.root() / "state", dev.file("State"));
  std::filesystem::create_symlink(dev.file("Gone.txt"), dev.file("Dangling.txt"));
  const PathCase cases[] = {
      {"link to a folder inside", WSTR("\\inside\\QRVConfig.dll"), true, "/Inside/QRVConfig.dll"},
      {"link to a folder outside", WSTR("\\Out"), false, ""},
      {"through a link outside", WSTR("\\Out\\secret.txt"), false, ""},
      {"new name below a link outside", WSTR("\\Out\\new.txt"), false, ""},
      {"link to a file outside", WSTR("\\secret.txt"), false, ""},
      {"link to the state folder", WSTR("\\State\\registry.reg"), false, ""},
      {"link that names nothing", WSTR("\\Dangling.txt"), false, ""},
  };
  expectHostPaths(dev, cases);
}

// The one splitting of device paths: the platform refuses a path whose ".." climbs above the
// root, the launcher's comparison keeps the names and stays at the root.
struct SplitCase {
  const char* name;
  const WCHAR* path;
  std::vector<Text> names;
  bool climbs;
};

void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }

class DevicePathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(DevicePathSplit, NamesAndClimbing) {
  const SplitCase& c = GetParam();
  device::DevicePath split = device::splitDevicePath(c.path);
  EXPECT_EQ(split.names, c.names);
  EXPECT_EQ(split.climbsAboveRoot, c.climbs);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DevicePathSplit,
    ::testing::Values(
        SplitCase{"empty", WSTR(""), {}, false},
        SplitCase{"both_separators_repeated", WSTR("\\a//b\\"), {WSTR("a"), WSTR("b")}, false},
        SplitCase{"dot_and_dot_dot", WSTR("\\a\\.\\b\\..\\c"), {WSTR("a"), WSTR("c")}, false},
        SplitCase{"above_the_root_then_a_name", WSTR("\\..\\a"), {WSTR("a")}, true},
        SplitCase{"back_to_the_root_and_above", WSTR("a/../.."), {}, true}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(DeviceRoot, SetRootDirSwitchesAndReachesTheEnvironment) {
  TempDevice dev;
  EXPECT_EQ(device::rootDir(), dev.root().string());
  const char* env = std::getenv("QRV_DEVICE_ROOT");
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(std::string(env), dev.root().string());
  EXPECT_EQ(device::statePath("calls"), dev.root().string() + "/state/calls");
}

TEST(StateFiles, AppendReadAndClear) {
  TempDevice dev;
  EXPECT_TRUE(device::readStateLines("calls").empty());
  EXPECT_TRUE(device::appendStateLine("calls", "GetSetting(4, 1)"));
  EXPECT_TRUE(device::appendStateLine("calls", ""));
  EXPECT_TRUE(device::appendStateLine("calls", "two\nlines"));
  EXPECT_EQ(device::readStateLines("calls"),
            (std::vector<std::string>{"GetSetting(4, 1)", "", "two lines"}));
  EXPECT_TRUE(device::clearStateFile("calls"));
  EXPECT_TRUE(device::readStateLines("calls").empty());
  EXPECT_TRUE(device::clearStateFile("calls"));  // clearing an absent file is fine
}

TEST(StateFiles, StateFolderIsMadeOnDemand) {
  TempDevice dev;
  std::filesystem::remove_all(dev.root() / "state");
  EXPECT_TRUE(device::appendStateLine("messages", "a"));
  EXPECT_EQ(device::readStateLines("messages").size(), 1u);
}

TEST(StateFiles, AFailedAppendSaysWhichFile) {
  TempDevice dev;
  std::filesystem::remove_all(dev.root() / "state");
  std::ofstream(dev.root() / "state") << "a file where the state folder belongs\n";
  device::Result appended = device::appendStateLine("messages", "a");
  EXPECT_FALSE(appended);
  EXPECT_EQ(appended.problem().rfind("cannot open " + device::statePath("messages") + ": ", 0), 0u)
      << appended.problem();
}

TEST(DeviceLock, ReentrantWithinOneProcess) {
  TempDevice dev;
  device::Lock outer;
  ASSERT_TRUE(outer.held());
  {
    device::Lock inner;  // would wait forever if the lock were not re-entrant
    EXPECT_TRUE(inner.held());
  }
  device::Lock again;
  EXPECT_TRUE(again.held());
}

}  // namespace
