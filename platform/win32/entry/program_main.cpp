// The process entry of a device program on Windows: a windowless program whose wide entry
// point hands DeviceProgramMain the command line as the shell gave it, without the program's
// name.
#include "platform/program.h"

#include "platform/device.h"

#include <windows.h>

namespace {

// The text after the program's name (quoted or not) and the one blank that separates them,
// kept exactly, so that a line handed over with leading blanks arrives with them.
const wchar_t* afterProgramName(const wchar_t* line) {
  if (!line) return L"";
  const wchar_t* p = line;
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  if (*p == L' ' || *p == L'\t') ++p;
  return p;
}

}  // namespace

extern "C" int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  // Device paths ("\Windows\x.dll") name places on the system drive: a program of the
  // device works from its root, whoever started it and from wherever.
  std::string root = device::rootDir();
  SetCurrentDirectoryW(textFromUtf8(root).c_str());
  return DeviceProgramMain(afterProgramName(GetCommandLineW()));
}
