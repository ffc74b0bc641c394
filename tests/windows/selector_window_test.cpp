// The Application Selector is told of a changed selector switch through a real top-level
// window: the launcher's run sends it 0x0404 at commit, and a window of the same title but
// another class hears nothing.
#include "platform/device.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kSelectorClass[] = L"Application Selector";
constexpr wchar_t kDecoyClass[] = L"Application Selector Decoy";
constexpr wchar_t kTitle[] = L"Application Selector";

struct Received {
  std::wstring windowClass;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::mutex receivedMutex;
std::vector<Received> received;

// Records the messages an application defines (WM_USER and up), by the receiving class.
LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER && message < 0x8000) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    std::lock_guard<std::mutex> guard(receivedMutex);
    received.push_back({name, message, wParam, lParam});
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The two windows, owned and pumped by a thread of their own, as another program's would be.
class SelectorWindows {
 public:
  SelectorWindows() {
    thread_ = std::thread([this] { run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return started_; });
  }
  ~SelectorWindows() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  bool ok() const { return ok_; }

 private:
  void run() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    bool made = true;
    for (const wchar_t* name : {kSelectorClass, kDecoyClass}) {
      WNDCLASSW windowClass = {};
      windowClass.lpfnWndProc = recordingProc;
      windowClass.hInstance = instance;
      windowClass.lpszClassName = name;
      made = made && (RegisterClassW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
      // The decoy first: a search by title alone would find it before the real one.
    }
    for (const wchar_t* name : {kDecoyClass, kSelectorClass}) {
      made = made && CreateWindowExW(0, name, kTitle, WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                     nullptr, instance, nullptr) != nullptr;
    }
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists now
    {
      std::lock_guard<std::mutex> guard(mutex_);
      threadId_ = GetCurrentThreadId();
      ok_ = made;
      started_ = true;
    }
    ready_.notify_all();
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  }

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  bool started_ = false;
  bool ok_ = false;
  DWORD threadId_ = 0;
};

// Runs qrvdevice (built beside this program) with a command line; its exit code.
int qrvdevice(const std::wstring& arguments) {
  std::wstring program = textFromUtf8(device::programDir()) + L"\\qrvdevice.exe";
  std::wstring line = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

std::wstring examplePath(const char* name) {
  const char* source = std::getenv("QRV_TEST_SOURCE_DIR");
  std::filesystem::path dir = source ? std::filesystem::u8path(source) : std::filesystem::path(".");
  return (dir / "examples" / name).wstring();
}

TEST(SelectorWindow, OnlyTheRealSelectorHearsTheCommit) {
  SelectorWindows windows;
  ASSERT_TRUE(windows.ok());
  HWND found = FindWindowW(kSelectorClass, kTitle);
  ASSERT_NE(found, nullptr);
  {
    std::lock_guard<std::mutex> guard(receivedMutex);
    received.clear();
  }

  // The kiosk document switches the Application Selector on: the first run changes the
  // switch (nothing to tell), the second leaves it on and tells the selector to look again.
  ASSERT_EQ(qrvdevice(L"init --force"), 0);
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(qrvdevice(L"push \"" + examplePath("kiosk.xml") + L"\" QRVall.cfg"), 0);
    ASSERT_EQ(qrvdevice(L"run"), 0);
    std::lock_guard<std::mutex> guard(receivedMutex);
    EXPECT_EQ(received.size(), static_cast<std::size_t>(run)) << "after run " << run + 1;
  }

  std::lock_guard<std::mutex> guard(receivedMutex);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].windowClass, kSelectorClass);
  EXPECT_EQ(received[0].message, 0x0404u);
  EXPECT_EQ(received[0].wParam, 0u);
  EXPECT_EQ(received[0].lParam, 0);
}

}  // namespace
