// Starting a device program on the emulated device: the image's program is a host program,
// started with the device root and, when given, the raw command line in its environment.
#include "platform/process.h"

#include "platform/device.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace device {
namespace {

constexpr char kRootVariable[] = "QRV_DEVICE_ROOT";
constexpr char kLineVariable[] = "QRV_COMMAND_LINE";

bool namesVariable(const char* entry, const char* name) {
  std::size_t length = std::strlen(name);
  return std::strncmp(entry, name, length) == 0 && entry[length] == '=';
}

// The parent's environment without the two variables this function decides on, then those.
std::vector<std::string> childEnvironment(const std::string& root, const std::string* rawLine) {
  std::vector<std::string> result;
  for (char** entry = environ; entry && *entry; ++entry) {
    if (namesVariable(*entry, kRootVariable) || namesVariable(*entry, kLineVariable)) continue;
    result.emplace_back(*entry);
  }
  result.push_back(std::string(kRootVariable) + "=" + root);
  // A raw line is handed over as it stands; without one the program rebuilds its line from
  // its arguments, so an inherited raw line must not reach it.
  if (rawLine) result.push_back(std::string(kLineVariable) + "=" + *rawLine);
  return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  pointers.reserve(texts.size() + 1);
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

int runDeviceProgram(const WCHAR* devicePath, const std::vector<std::string>& args,
                     const std::string* rawLine) {
  std::string program;
  if (!devicePath || !hostPath(devicePath, program)) return -1;
  if (::access(program.c_str(), X_OK) != 0) return -1;
  // A line with an embedded terminator cannot travel through the environment whole.
  if (rawLine && rawLine->find('\0') != std::string::npos) return -1;

  std::error_code error;
  std::filesystem::path root = std::filesystem::absolute(rootDir(), error);
  if (error) return -1;

  std::vector<std::string> argvTexts;
  argvTexts.push_back(program);
  if (!rawLine) argvTexts.insert(argvTexts.end(), args.begin(), args.end());
  for (const std::string& arg : argvTexts) {
    if (arg.find('\0') != std::string::npos) return -1;
  }
  std::vector<std::string> envTexts = childEnvironment(root.string(), rawLine);
  std::vector<char*> argv = pointersTo(argvTexts);
  std::vector<char*> envp = pointersTo(envTexts);

  pid_t child = 0;
  if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
    return -1;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace device
