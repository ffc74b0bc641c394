// Visibility filters of Save output, and the registry switch that turns them all off.
#include "plugin/schema/filters.h"

#include "plugin/entry/cvc_exception.h"

namespace {

const RegistryDwordRef kConfigFiltersOff = {HKEY_CURRENT_USER, WSTR("Software\\Corvane"),
                                            WSTR("ConfigFiltersOff")};

// The switch is read once while the plug-in is loaded: a changed value counts from the next
// load on.
bool filtersOffRead = false;
bool filtersOffCached = false;

}  // namespace

int ShowAlways(std::int32_t) { return 1; }

int HideAlways(std::int32_t) { return 0; }

DWORD ReadRegistryDword(const RegistryDwordRef& ref) {
  HKEY key = nullptr;
  // Read access is asked for: a desktop registry grants only the access requested, while the
  // device ignores the argument.
  if (RegOpenKeyExW(ref.root, ref.subKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD value = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof(value);
    const LONG result =
        RegQueryValueExW(key, ref.valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value)) return value;
  }
  throw CVCException(WSTR("Failed to read registry (%s\\%s)."), ref.subKey, ref.valueName);
}

bool FiltersOff() {
  if (filtersOffRead) return filtersOffCached;
  try {
    filtersOffCached = ReadRegistryDword(kConfigFiltersOff) != 0;
  } catch (CVCException&) {
    filtersOffCached = false;  // a missing or unreadable switch leaves the filters on
  }
  filtersOffRead = true;
  return filtersOffCached;
}

void ResetFiltersOffCacheForTesting() {
  filtersOffRead = false;
  filtersOffCached = false;
}
