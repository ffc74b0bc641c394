// A launcher killed at any moment of an import leaves the device exactly as it was before the
// import or exactly as a clean import leaves it, and the next run finishes the job: the file
// whose import was cut off is still there and is applied whole.
//
// Each case kills `Tolvex /i` of a document that changes every setting of a maximal device
// with SIGKILL after a random delay within the time a clean run takes. QRV_KILL_RUNS sets the
// number of cases (20 by default; scripts/kill-test runs 200).
#include "scenario_device.h"

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using nlohmann::json;

// A text of exactly `length` characters that differs for each letter and index.
std::string fieldText(char letter, int index, std::size_t length) {
  std::string head = std::string(1, letter) + std::to_string(1000 + index).substr(1) + "-";
  std::string text;
  while (text.size() < length) text += head;
  return text.substr(0, length);
}

// Every record filled and every text of full length: 20 applications, the ten built-in
// hotkeys and 90 more, 13 error pages and the password. `flip` changes every value.
json maximalState(char letter, int flip) {
  json settings = json::object(), views = json::object();
  for (int n : {1, 2, 3, 4, 5, 20, 21, 22, 26, 32, 33, 34}) settings[std::to_string(n)] = (n == 4) ^ flip ? 0 : 1;
  for (int n : {1, 20, 21, 22, 26}) views[std::to_string(n)] = flip ? 0 : 1;
  json applications = json::array(), hotkeys = json::array(), pages = json::array();
  for (int i = 0; i < 20; ++i) {
    applications.push_back({{"title", fieldText(letter, i, 254)},
                            {"executable", fieldText(letter, i, 259)},
                            {"arguments", fieldText(letter, i + 100, 259)},
                            {"iconFile", fieldText(letter, i + 200, 259)},
                            {"runAtStartup", (i + flip) % 2},
                            {"startupDelay", i + 5 * flip}});
  }
  for (int i = 0; i < 100; ++i) {
    int key = i < 10 ? 179 + i : 65 + (i - 10) % 26;
    int modifiers = i < 10 ? 0 : 2 * (1 + (i - 10) / 26);
    hotkeys.push_back({{"keyCode", key}, {"modifiers", modifiers}, {"action", 0}, {"data", 1},
                       {"application", fieldText(letter, i, 259)},
                       {"arguments", fieldText(letter, i + 300, 259)}});
  }
  for (int i = 0; i < 13; ++i) pages.push_back(fieldText(letter, i, 259));
  return {{"settings", settings}, {"viewSettings", views}, {"password", fieldText(letter, 0, 259)},
          {"applications", applications}, {"hotkeys", hotkeys}, {"errorPages", pages}};
}

// The device's settings as show --json gives them, without the journals of the run.
json settingsOf(const ScenarioDevice& device) {
  json state = device.state();
  for (const char* journal : {"calls", "messages", "report"}) state.erase(journal);
  return state;
}

void copyDevice(const ScenarioDevice& from, const ScenarioDevice& to) {
  std::filesystem::copy(from.root(), to.root(),
                        std::filesystem::copy_options::recursive |
                            std::filesystem::copy_options::overwrite_existing);
}

// Starts the device's launcher with `args`, as the device's shell would.
pid_t startLauncher(const ScenarioDevice& device, const std::vector<std::string>& args) {
  const std::string program = device.file("Tolvex.exe").string();
  const std::string root = device.root().string();
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("QRV_DEVICE_ROOT", root.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(KilledImport, LeavesTheStateBeforeOrAfterAndTheRerunFinishes) {
  const std::vector<std::string> import = {"/i", "\\Temp\\change-all.xml"};
  ScenarioDevice maximal;
  maximal.init();
  ASSERT_EQ(maximal.load(maximalState('a', 0).dump()).code, 0);
  maximal.ok({"run"});  // the defaults in place, as on a device that has run before
  ScenarioDevice changed;
  changed.init();
  ASSERT_EQ(changed.load(maximalState('b', 1).dump()).code, 0);
  changed.ok({"run", "/e", "\\Temp\\change-all.xml"});
  const std::string document = changed.readFile("Temp/change-all.xml");
  ASSERT_FALSE(document.empty());
  maximal.writeFile("Temp/change-all.xml", document);
  const json before = settingsOf(maximal);

  // A clean import: the state after, and how long it takes.
  ScenarioDevice clean;
  copyDevice(maximal, clean);
  auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(waitFor(startLauncher(clean, import)), 0);
  auto took = std::chrono::steady_clock::now() - started;
  const json after = settingsOf(clean);
  ASSERT_NE(before, after);
  EXPECT_FALSE(clean.exists("Temp/change-all.xml")) << "an applied file is deleted";
  EXPECT_TRUE(reportTexts(clean.report(), "errors").empty()) << clean.report().dump();

  const char* runsText = std::getenv("QRV_KILL_RUNS");
  const int runs = runsText ? std::max(1, std::atoi(runsText)) : 20;
  const auto window = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
  std::mt19937 random(std::random_device{}());
  int leftBefore = 0, leftAfter = 0, rerun = 0;
  for (int run = 0; run < runs; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    ScenarioDevice device;
    copyDevice(maximal, device);
    const auto delay = std::uniform_int_distribution<long long>(0, window)(random);
    pid_t pid = startLauncher(device, import);
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
    ::kill(pid, SIGKILL);
    waitFor(pid);

    const json state = settingsOf(device);
    const bool isBefore = state == before, isAfter = state == after;
    ASSERT_TRUE(isBefore || isAfter) << "killed after " << delay << " us: a state that is "
                                     << "neither before nor after the import";
    leftBefore += isBefore;
    leftAfter += isAfter;
    if (isBefore) {
      EXPECT_TRUE(device.exists("Temp/change-all.xml")) << "a file not yet applied is kept";
    }
    if (device.exists("Temp/change-all.xml")) {
      ++rerun;
      ASSERT_EQ(waitFor(startLauncher(device, import)), 0);
      EXPECT_EQ(settingsOf(device), after) << "the rerun reaches the state of a clean import";
      EXPECT_FALSE(device.exists("Temp/change-all.xml"));
    }
  }
  std::cout << "killed " << runs << " imports: " << leftBefore << " left the state before, "
            << leftAfter << " the state after, 0 a mixed state; " << rerun
            << " reruns all reached the state after\n";
}

}  // namespace
