// The process entry of a device program on the emulated device: rebuilds the command line the
// device's shell would hand over and passes it to DeviceProgramMain.
#include "platform/program.h"

#include <cstdlib>
#include <string>

namespace {

// Arguments joined by one blank; an empty argument, or one holding a blank, goes in double
// quotes so that the program's own splitting gives it back as one argument.
std::string joinArguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    std::string argument = argv[i] ? argv[i] : "";
    if (argument.empty() || argument.find(' ') != std::string::npos) {
      line += '"';
      line += argument;
      line += '"';
    } else {
      line += argument;
    }
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  // A raw line from the emulator's front end is passed on exactly as given.
  const char* raw = std::getenv("QRV_COMMAND_LINE");
  std::string line = raw ? std::string(raw) : joinArguments(argc, argv);
  Text commandLine = textFromUtf8(line);
  return DeviceProgramMain(commandLine.c_str());
}
