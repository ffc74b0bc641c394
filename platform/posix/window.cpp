// Top-level windows of the emulated device: listed in the state file "windows" (class, a tab,
// title); messages sent to them are appended to the state file "messages".
#include "platform/window.h"

#include "platform/device.h"
#include "platform/files.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef std::pair<std::string, std::string> Window;  // class, title (UTF-8)

// Windows this process has found; a handle is its position here plus one.
struct Found {
  std::mutex mutex;
  std::vector<Window> windows;
};
Found& found() {
  static Found* table = new Found;
  return *table;
}

std::vector<Window> listedWindows() {
  std::vector<Window> result;
  for (const auto& line : device::readStateLines("windows")) {
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;  // not a window line
    result.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  return result;
}

bool matches(const std::string& name, LPCWSTR wanted) {
  return !wanted || textFromUtf8(name) == Text(wanted);
}

// The window a handle stands for, while the device still lists it.
bool windowOf(HWND window, Window& out) {
  auto index = reinterpret_cast<std::uintptr_t>(window);
  {
    Found& table = found();
    std::lock_guard<std::mutex> guard(table.mutex);
    if (index == 0 || index > table.windows.size()) return false;
    out = table.windows[index - 1];
  }
  for (const auto& listed : listedWindows()) {
    if (listed == out) return true;
  }
  return false;
}

bool deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window target;
  if (!windowOf(window, target)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  std::string line = target.first + "\t" + target.second + "\t" + std::to_string(message) + "\t" +
                     std::to_string(wParam) + "\t" + std::to_string(lParam);
  return device::appendStateLine("messages", line).ok();
}

}  // namespace

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  for (const auto& window : listedWindows()) {
    if (!matches(window.first, className) || !matches(window.second, windowName)) continue;
    Found& table = found();
    std::lock_guard<std::mutex> guard(table.mutex);
    std::size_t i = 0;
    while (i < table.windows.size() && table.windows[i] != window) ++i;
    if (i == table.windows.size()) table.windows.push_back(window);
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(i + 1));
  }
  return nullptr;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  deliver(window, message, wParam, lParam);
  return 0;
}

LRESULT SendMessageTimeoutW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT, UINT,
                            std::uintptr_t* result) {
  if (!deliver(window, message, wParam, lParam)) return 0;
  if (result) *result = 0;
  return 1;
}
