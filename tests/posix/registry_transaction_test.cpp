// Registry transactions: the writes made while the device lock is held reach the file together,
// in one durable replace, and a failure or a crash at any step of it leaves a whole file.
#include "platform/device.h"
#include "platform/posix/registry_store.h"
#include "platform/registry.h"

#include "registry_numbers.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const WCHAR kKey[] = WSTR("Software\\Corvane\\Transaction");

// The number, or -1 when it cannot be read.
long number(const WCHAR* name) {
  DWORD value = 0;
  return getNumber(kKey, name, value) == ERROR_SUCCESS ? long(value) : -1;
}

// What another process reads of a value now.
long numberSeenByAnotherProcess(const WCHAR* name) {
  int pipes[2];
  if (::pipe(pipes) != 0) return -2;
  pid_t pid = ::fork();
  if (pid == 0) {
    long seen = number(name);
    ssize_t ignored = ::write(pipes[1], &seen, sizeof seen);
    (void)ignored;
    ::_exit(0);
  }
  ::close(pipes[1]);
  long seen = -2;
  if (::read(pipes[0], &seen, sizeof seen) != sizeof seen) seen = -2;
  ::close(pipes[0]);
  ::waitpid(pid, nullptr, 0);
  return seen;
}

std::string fileText(const TempDevice& dev) {
  std::ifstream in(dev.root() / "state" / "registry.reg", std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Counts the replaces of the file, and can fail or stop one step of them.
class Faults {
 public:
  explicit Faults(regstore::Step step = regstore::Step::Write,
                  regstore::Fault fault = regstore::Fault::None) {
    regstore::setFaultHook([this, step, fault](regstore::Step at) {
      if (at == regstore::Step::Write) ++replaces;
      return at == step ? fault : regstore::Fault::None;
    });
  }
  ~Faults() { regstore::setFaultHook(nullptr); }
  int replaces = 0;
};

TEST(RegistryTransaction, WritesUnderTheDeviceLockLandTogetherWhenItIsLetGo) {
  TempDevice dev;
  ASSERT_EQ(setNumber(kKey, WSTR("a"), 1), ERROR_SUCCESS);
  Faults counter;
  {
    device::Lock lock;
    ASSERT_TRUE(lock.held());
    for (DWORD i = 2; i <= 40; ++i) ASSERT_EQ(setNumber(kKey, WSTR("a"), i), ERROR_SUCCESS);
    ASSERT_EQ(setNumber(kKey, WSTR("b"), 7), ERROR_SUCCESS);
    EXPECT_EQ(number(WSTR("a")), 40) << "the call reads its own writes";
    EXPECT_EQ(numberSeenByAnotherProcess(WSTR("a")), 1) << "others see the state before the call";
    EXPECT_EQ(numberSeenByAnotherProcess(WSTR("b")), -1);
    EXPECT_EQ(counter.replaces, 0);
  }
  EXPECT_EQ(counter.replaces, 1) << "one replace for the whole call";
  EXPECT_EQ(numberSeenByAnotherProcess(WSTR("a")), 40);
  EXPECT_EQ(numberSeenByAnotherProcess(WSTR("b")), 7);
}

TEST(RegistryTransaction, NestedLocksCommitOnceAtTheOutermostAndUnchangedCallsNotAtAll) {
  TempDevice dev;
  ASSERT_EQ(setNumber(kKey, WSTR("a"), 1), ERROR_SUCCESS);
  Faults counter;
  {
    device::Lock outer;
    {
      device::Lock inner;
      ASSERT_EQ(setNumber(kKey, WSTR("a"), 2), ERROR_SUCCESS);
    }
    EXPECT_EQ(numberSeenByAnotherProcess(WSTR("a")), 1);
    EXPECT_EQ(counter.replaces, 0);
  }
  EXPECT_EQ(counter.replaces, 1);
  {
    device::Lock again;
    ASSERT_EQ(setNumber(kKey, WSTR("a"), 2), ERROR_SUCCESS);  // the value it has
    EXPECT_EQ(number(WSTR("a")), 2);
  }
  EXPECT_EQ(counter.replaces, 1) << "a call that changed nothing writes nothing";
}

TEST(RegistryTransaction, FlushCommitsWhatWasWrittenSoFar) {
  TempDevice dev;
  device::Lock lock;
  ASSERT_EQ(setNumber(kKey, WSTR("a"), 5), ERROR_SUCCESS);
  EXPECT_EQ(numberSeenByAnotherProcess(WSTR("a")), -1);
  EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(numberSeenByAnotherProcess(WSTR("a")), 5);
  ASSERT_EQ(setNumber(kKey, WSTR("a"), 6), ERROR_SUCCESS);
  EXPECT_EQ(numberSeenByAnotherProcess(WSTR("a")), 5);
}

TEST(RegistryTransaction, WriteOutsideACallIsCommittedAtOnce) {
  TempDevice dev;
  ASSERT_EQ(setNumber(kKey, WSTR("a"), 1), ERROR_SUCCESS);
  Faults counter;
  ASSERT_EQ(setNumber(kKey, WSTR("a"), 3), ERROR_SUCCESS);
  EXPECT_EQ(counter.replaces, 1);
  EXPECT_EQ(numberSeenByAnotherProcess(WSTR("a")), 3);
}

// A failure or a crash at each step of a commit: the file that is left loads, and holds the
// state before the call or the state after it, never a part of it.
TEST(RegistryTransaction, EveryStepOfACommitLeavesTheStateBeforeOrAfter) {
  struct Case {
    const char* name;
    regstore::Step step;
    regstore::Fault fault;
    bool after;  // the state after the call is on file
  };
  const Case cases[] = {
      {"the write fails (a full disk)", regstore::Step::Write, regstore::Fault::Fail, false},
      {"a crash while writing the new file", regstore::Step::Write, regstore::Fault::Stop, false},
      {"the rename fails", regstore::Step::Rename, regstore::Fault::Fail, false},
      {"a crash before the rename", regstore::Step::Rename, regstore::Fault::Stop, false},
      {"a crash after the rename", regstore::Step::Renamed, regstore::Fault::Stop, true},
      {"the folder cannot be synced", regstore::Step::Renamed, regstore::Fault::Fail, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDevice dev;
    ASSERT_EQ(setNumber(kKey, WSTR("a"), 1), ERROR_SUCCESS);
    ASSERT_EQ(setNumber(kKey, WSTR("b"), 1), ERROR_SUCCESS);
    const std::string before = fileText(dev);
    {
      Faults faults(c.step, c.fault);
      device::Lock lock;
      ASSERT_EQ(setNumber(kKey, WSTR("a"), 2), ERROR_SUCCESS);
      ASSERT_EQ(setNumber(kKey, WSTR("b"), 2), ERROR_SUCCESS);
      EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_WRITE_FAULT) << "a failed commit is said";
    }
    const long expected = c.after ? 2 : 1;
    EXPECT_EQ(numberSeenByAnotherProcess(WSTR("a")), expected);
    EXPECT_EQ(numberSeenByAnotherProcess(WSTR("b")), expected);
    EXPECT_EQ(number(WSTR("a")), expected) << "this process reads what the file holds";
    if (!c.after) {
      EXPECT_EQ(fileText(dev), before);
    }
    // The registry goes on working: the next write lands.
    ASSERT_EQ(setNumber(kKey, WSTR("a"), 9), ERROR_SUCCESS);
    EXPECT_EQ(numberSeenByAnotherProcess(WSTR("a")), 9);
    EXPECT_EQ(numberSeenByAnotherProcess(WSTR("b")), expected);
  }
}

TEST(RegistryTransaction, AFailedWriteOutsideACallLeavesTheFileAsItWas) {
  TempDevice dev;
  ASSERT_EQ(setNumber(kKey, WSTR("a"), 1), ERROR_SUCCESS);
  const std::string before = fileText(dev);
  {
    Faults faults(regstore::Step::Write, regstore::Fault::Fail);
    EXPECT_EQ(setNumber(kKey, WSTR("a"), 2), ERROR_WRITE_FAULT);
  }
  EXPECT_EQ(fileText(dev), before);
  EXPECT_EQ(number(WSTR("a")), 1);
}

}  // namespace
