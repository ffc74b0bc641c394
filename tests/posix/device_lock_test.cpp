// The device lock between processes: a second process waits until the holder lets go.
#include "platform/device.h"

#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Each child takes the lock, writes "enter", pauses, writes "leave". With the lock held, the
// journal never shows two enters in a row.
TEST(DeviceLockProcesses, SerialisesProcesses) {
  TempDevice dev;
  constexpr int kChildren = 4;
  constexpr int kRounds = 10;
  std::vector<pid_t> children;
  for (int c = 0; c < kChildren; ++c) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int r = 0; r < kRounds; ++r) {
        device::Lock lock;
        if (!lock.held()) ::_exit(2);
        (void)device::appendStateLine("journal", "enter");
        ::usleep(500);
        (void)device::appendStateLine("journal", "leave");
      }
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  auto lines = device::readStateLines("journal");
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(2 * kChildren * kRounds));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], i % 2 == 0 ? "enter" : "leave") << "line " << i;
  }
}

// A lock held by the parent is not inherited as held by a forked child: the child waits.
TEST(DeviceLockProcesses, ChildOfHolderWaits) {
  TempDevice dev;
  pid_t pid;
  {
    device::Lock lock;
    ASSERT_TRUE(lock.held());
    pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      device::Lock child;
      (void)device::appendStateLine("journal", "child");
      ::_exit(child.held() ? 0 : 2);
    }
    ::usleep(100000);
    (void)device::appendStateLine("journal", "parent");
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(device::readStateLines("journal"), (std::vector<std::string>{"parent", "child"}));
}

// Lines appended by many processes at once stay whole.
TEST(StateFileProcesses, ConcurrentAppendsNeverMix) {
  TempDevice dev;
  constexpr int kChildren = 4;
  constexpr int kLines = 200;
  const std::string body(300, 'x');
  std::vector<pid_t> children;
  for (int c = 0; c < kChildren; ++c) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int i = 0; i < kLines; ++i) {
        (void)device::appendStateLine("calls", std::to_string(c) + body);
      }
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
  auto lines = device::readStateLines("calls");
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kChildren * kLines));
  for (const auto& line : lines) {
    ASSERT_EQ(line.size(), body.size() + 1);
    EXPECT_EQ(line.substr(1), body);
  }
}

}  // namespace
