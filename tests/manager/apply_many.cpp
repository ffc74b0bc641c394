// Applies one configuration file many times through the manager of a device, as one process
// among several working on the same device: apply_many DEVICE_ROOT COUNT DEVICE_PATH.
#include "manager/config_manager.h"
#include "platform/device.h"
#include "platform/library.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  device::setRootDir(argv[1]);
  const int count = std::atoi(argv[2]);
  const Text path = textFromUtf8(argv[3]);
  HMODULE manager = LoadLibraryW(WSTR("\\Windows\\CVConfigManager.1.0.dll"));
  if (manager == nullptr) return 1;
  auto apply = reinterpret_cast<ApplyConfigurationFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(manager, kApplyConfigurationEntry)));
  if (apply == nullptr) return 1;
  for (int i = 0; i < count; ++i) apply(path.c_str());
  FreeLibrary(manager);
  return 0;
}
