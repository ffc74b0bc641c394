// The registry shared by several processes: visibility, concurrent changes, killed writers.
#include "platform/device.h"
#include "platform/registry.h"

#include "registry_numbers.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const WCHAR kKey[] = WSTR("Software\\Corvane\\Shared");

int waitFor(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(RegistryProcesses, ValueWrittenByOneProcessIsReadByAnother) {
  TempDevice dev;
  DWORD number = 0;
  ASSERT_EQ(setNumber(kKey, WSTR("fromParent"), 7), ERROR_SUCCESS);
  // The parent caches the file.
  ASSERT_EQ(getNumber(kKey, WSTR("fromParent"), number), ERROR_SUCCESS);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    DWORD seen = 0;
    if (getNumber(kKey, WSTR("fromParent"), seen) != ERROR_SUCCESS || seen != 7) ::_exit(1);
    ::_exit(setNumber(kKey, WSTR("fromChild"), 42) == ERROR_SUCCESS ? 0 : 2);
  }
  ASSERT_EQ(waitFor(pid), 0);
  ASSERT_EQ(getNumber(kKey, WSTR("FROMCHILD"), number), ERROR_SUCCESS);
  EXPECT_EQ(number, 42u);
}

TEST(RegistryProcesses, ConcurrentWritersOfOneKeyLoseNothing) {
  TempDevice dev;
  constexpr int kWrites = 300;
  const WCHAR* names[] = {WSTR("first"), WSTR("second")};
  std::vector<pid_t> children;
  for (int c = 0; c < 2; ++c) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (DWORD i = 1; i <= kWrites; ++i) {
        if (setNumber(kKey, names[c], i) != ERROR_SUCCESS) ::_exit(1);
        // Every value of this process written so far is still there.
        DWORD seen = 0;
        if (getNumber(kKey, names[c], seen) != ERROR_SUCCESS || seen != i) ::_exit(2);
      }
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) EXPECT_EQ(waitFor(pid), 0);
  for (const WCHAR* name : names) {
    DWORD number = 0;
    ASSERT_EQ(getNumber(kKey, name, number), ERROR_SUCCESS);
    EXPECT_EQ(number, static_cast<DWORD>(kWrites));
  }
}

TEST(RegistryProcesses, WriterKilledAtAnyMomentLeavesALoadableFile) {
  TempDevice dev;
  // A registry of some size, so that each write takes a while.
  for (DWORD i = 0; i < 100; ++i) {
    Text name = WSTR("base") + textFromUtf8(std::to_string(i));
    ASSERT_EQ(setNumber(kKey, name.c_str(), i), ERROR_SUCCESS);
  }
  std::mt19937 random(12345);
  constexpr int kKills = 200;
  DWORD last = 0;
  for (int round = 0; round < kKills; ++round) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (DWORD i = 1;; ++i) setNumber(kKey, WSTR("counter"), i);
    }
    ::usleep(std::uniform_int_distribution<int>(0, 3000)(random));
    ::kill(pid, SIGKILL);
    ASSERT_EQ(waitFor(pid), 128 + SIGKILL);
    DWORD number = 0;
    LONG status = getNumber(kKey, WSTR("counter"), number);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        << "round " << round << ": " << status << " " << device::registryStatus().problem();
    DWORD base = 0;
    ASSERT_EQ(getNumber(kKey, WSTR("base99"), base), ERROR_SUCCESS) << "round " << round;
    EXPECT_EQ(base, 99u);
    if (status == ERROR_SUCCESS) last = number;
  }
  // A writer that comes after them all still works.
  EXPECT_EQ(setNumber(kKey, WSTR("counter"), last + 1), ERROR_SUCCESS);
}

}  // namespace
