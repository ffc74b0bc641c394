// A temporary device with the configuration manager in place and a way to register
// components and bind the manager's entry points.
#pragma once

#include "manager/config_manager.h"
#include "platform/library.h"
#include "platform/registry.h"
#include "support/temp_device.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

class ManagerDevice : public TempDevice {
 public:
  ManagerDevice() {
    std::filesystem::create_directories(file("Windows"));
    std::filesystem::copy_file(MANAGER_PATH, file("Windows/CVConfigManager.1.0.dll"));
  }
  ~ManagerDevice() { unload(); }

  // Registers a component under Components\<id>.
  void registerComponent(const std::string& id, const std::string& name,
                         const std::string& library, const std::string& apply,
                         const std::string& save) {
    HKEY key = nullptr;
    Text path = textFromUtf8("SOFTWARE\\Corvane\\CVConfigManager\\Components\\" + id);
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    setText(key, WSTR("Name"), name);
    setText(key, WSTR("Library"), library);
    setText(key, WSTR("Apply"), apply);
    setText(key, WSTR("Save"), save);
    RegCloseKey(key);
  }

  // Places a host library on the device, at files/Windows/<name>.
  void installLibrary(const char* hostPath, const std::string& name) {
    std::filesystem::copy_file(hostPath, file("Windows/" + name),
                               std::filesystem::copy_options::overwrite_existing);
  }

  bool load() {
    module_ = LoadLibraryW(WSTR("\\Windows\\CVConfigManager.1.0.dll"));
    if (module_ == nullptr) return false;
    getInfo = entry<GetInfoFn>(kGetInfoEntry);
    getConfiguration = entry<GetConfigurationFn>(kGetConfigurationEntry);
    applyConfiguration = entry<ApplyConfigurationFn>(kApplyConfigurationEntry);
    return getInfo && getConfiguration && applyConfiguration;
  }
  void unload() {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
  }

  std::int32_t apply(const std::string& devicePath) {
    Text path = textFromUtf8(devicePath);
    return applyConfiguration(path.c_str());
  }

  std::vector<nlohmann::json> reportLog() const {
    std::vector<nlohmann::json> entries;
    for (const std::string& line : device::readStateLines("report")) {
      entries.push_back(nlohmann::json::parse(line));
    }
    return entries;
  }

  GetInfoFn getInfo = nullptr;
  GetConfigurationFn getConfiguration = nullptr;
  ApplyConfigurationFn applyConfiguration = nullptr;

 private:
  template <typename Fn>
  Fn entry(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }
  static void setText(HKEY key, const WCHAR* name, const std::string& value) {
    Text text = textFromUtf8(value);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD((text.size() + 1) * sizeof(WCHAR)));
  }

  HMODULE module_ = nullptr;
};
