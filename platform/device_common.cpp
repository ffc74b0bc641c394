// The device layer's portable half: device-path names, state-file lines and the last problem.
#include "platform/device_common.h"

#include "platform/device.h"

#include <mutex>

namespace device {
namespace {

std::mutex& problemMutex() {
  static std::mutex m;
  return m;
}
std::string& problemText() {
  static std::string text;
  return text;
}

}  // namespace

namespace detail {

void setLastProblem(const std::string& text) {
  std::lock_guard<std::mutex> guard(problemMutex());
  problemText() = text;
}

bool devicePathNames(const WCHAR* devicePath, std::vector<std::string>& names) {
  names.clear();
  std::string path = textToUtf8(devicePath ? devicePath : WSTR(""));
  std::string current;
  auto finish = [&]() -> bool {
    if (current.empty() || current == ".") {
    } else if (current == "..") {
      if (names.empty()) return false;
      names.pop_back();
    } else {
      names.push_back(current);
    }
    current.clear();
    return true;
  };
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!finish()) return false;
    } else {
      current += c;
    }
  }
  return finish();
}

}  // namespace detail

bool appendStateLine(const char* name, const std::string& line) {
  if (!detail::ensureStateDir()) return false;
  // A line break inside would split the entry in two: it becomes a blank.
  std::string whole = line;
  for (auto& c : whole) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  whole += '\n';
  return detail::appendToStateFile(statePath(name), whole);
}

std::vector<std::string> readStateLines(const char* name) {
  std::vector<std::string> lines;
  std::string content;
  if (!detail::readStateFile(statePath(name), content)) return lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string lastProblem() {
  std::lock_guard<std::mutex> guard(problemMutex());
  return problemText();
}

}  // namespace device
