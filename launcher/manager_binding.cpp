// The launcher's binding of the configuration manager library and its three entry points.
#include "launcher/manager_binding.h"

namespace {

template <typename Fn>
Fn entryPoint(HMODULE module, const char* name) {
  // Through the generic function type, which any entry-point type may be cast from.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

bool ManagerBinding::bind() {
  module = LoadLibraryW(WSTR("\\Windows\\CVConfigManager.1.0.dll"));
  if (module == nullptr) return false;
  getInfo = entryPoint<GetInfoFn>(module, kGetInfoEntry);
  getConfiguration = entryPoint<GetConfigurationFn>(module, kGetConfigurationEntry);
  applyConfiguration = entryPoint<ApplyConfigurationFn>(module, kApplyConfigurationEntry);
  if (getInfo == nullptr || getConfiguration == nullptr || applyConfiguration == nullptr) {
    unbind();
    return false;
  }
  return true;
}

void ManagerBinding::unbind() {
  if (module != nullptr) FreeLibrary(module);
  module = nullptr;
  getInfo = nullptr;
  getConfiguration = nullptr;
  applyConfiguration = nullptr;
}
