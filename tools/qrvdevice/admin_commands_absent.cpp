// The administrator's desktop tools where they are not built: each says so.
#include <iostream>

#include "tools/qrvdevice/admin_commands.h"
#include "tools/qrvdevice/commands.h"

namespace {

int notBuilt(const char* command) {
  std::cerr << "qrvdevice: " << command
            << " is not built for this target; the administrator's tools (check, plan, schema,"
               " encode-password) come with the build for the emulated device\n";
  return kExitFailed;
}

}  // namespace

int commandCheck(const std::string&, const CheckTarget&, bool) { return notBuilt("check"); }
int commandPlan(const std::string&, const std::string*, bool) { return notBuilt("plan"); }
int commandSchema(const std::string*, bool) { return notBuilt("schema"); }
int commandEncodePassword(const std::string&, const std::string*) {
  return notBuilt("encode-password");
}
