// The launcher's binding of the configuration manager library and its three entry points.
#pragma once

#include "manager/config_manager.h"
#include "platform/library.h"

struct ManagerBinding {
  HMODULE module = nullptr;
  GetInfoFn getInfo = nullptr;
  GetConfigurationFn getConfiguration = nullptr;
  ApplyConfigurationFn applyConfiguration = nullptr;

  // Loads "\Windows\CVConfigManager.1.0.dll" and looks the entry points up by name. False,
  // with nothing left loaded, when the library or any entry point is missing.
  bool bind();
  // Unloads the library; harmless when nothing is bound.
  void unbind();
};
