// Starting a device program on Windows: the device is the machine, so the program is started
// with CreateProcessW and the command line the device's shell would build.
#include "platform/process.h"

#include "platform/device.h"

#include <windows.h>

namespace device {
namespace {

// An argument as the program's own splitting gives it back: an empty one, or one holding a
// blank, in double quotes.
void appendArgument(Text& line, const std::string& argument) {
  Text text = textFromUtf8(argument);
  line += L' ';
  if (text.empty() || text.find(L' ') != Text::npos) {
    line += L'"';
    line += text;
    line += L'"';
  } else {
    line += text;
  }
}

}  // namespace

int runDeviceProgram(const WCHAR* devicePath, const std::vector<std::string>& args,
                     const std::string* rawLine) {
  std::string program;
  if (!devicePath || !hostPath(devicePath, program)) return -1;
  Text programText = textFromUtf8(program);
  Text line = L"\"" + programText + L"\"";
  if (rawLine) {
    line += L' ';
    line += textFromUtf8(*rawLine);
  } else {
    for (const std::string& argument : args) appendArgument(line, argument);
  }

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(programText.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  BOOL known = GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return known ? static_cast<int>(code) : -1;
}

}  // namespace device
