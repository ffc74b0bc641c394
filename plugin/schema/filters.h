// Visibility filters of Save output and the registry switch that turns them off.
#pragma once

#include "platform/registry.h"
#include "plugin/schema/schema.h"

int ShowAlways(std::int32_t id);
int HideAlways(std::int32_t id);

struct RegistryDwordRef {
  HKEY root;
  const WCHAR* subKey;
  const WCHAR* valueName;
};

// The REG_DWORD value named, or throws CVCException.
DWORD ReadRegistryDword(const RegistryDwordRef& ref);

// True when HKCU\Software\Corvane\ConfigFiltersOff is a non-zero REG_DWORD. Read once, at the
// first call after the plug-in is loaded, and cached.
bool FiltersOff();

// Forgets the cached switch, so that the next FiltersOff reads the registry again. For tests,
// which run many walks in one process; the plug-in itself never calls it.
void ResetFiltersOffCacheForTesting();
