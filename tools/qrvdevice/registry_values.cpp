// Reading and writing the emulator's single registry values through the platform registry.
#include "tools/qrvdevice/registry_values.h"

#include "platform/device.h"
#include "plugin/entry/component.h"

#include <vector>

const RegistryPlace kPackageRootValue = {HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Trellmar\\Dizezurov"),
                                         WSTR("APPS")};
const RegistryPlace kFiltersOffValue = {HKEY_CURRENT_USER, WSTR("Software\\Corvane"),
                                        WSTR("ConfigFiltersOff")};

namespace {

std::string describe(const char* what, const RegistryPlace& place, LONG result) {
  std::string text = std::string(what) + " " + textToUtf8(place.key) + "\\" +
                     textToUtf8(place.name) + " (error " + std::to_string(result) + ")";
  std::string detail = device::registryStatus().problem();
  if (!detail.empty()) text += ": " + detail;
  return text;
}

// Closes the key when the scope ends.
class KeyHolder {
 public:
  HKEY key = nullptr;
  ~KeyHolder() {
    if (key) RegCloseKey(key);
  }
};

}  // namespace

bool readRegistryValue(const RegistryPlace& place, RegistryValue& out, std::string& problem) {
  out = RegistryValue::absent();
  KeyHolder holder;
  LONG result = RegOpenKeyExW(place.root, place.key, 0, KEY_READ, &holder.key);
  if (result == ERROR_FILE_NOT_FOUND) return true;
  if (result != ERROR_SUCCESS) {
    problem = describe("cannot open", place, result);
    return false;
  }
  DWORD type = REG_NONE;
  DWORD size = 0;
  result = RegQueryValueExW(holder.key, place.name, nullptr, &type, nullptr, &size);
  if (result == ERROR_FILE_NOT_FOUND) return true;
  if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) {
    problem = describe("cannot read", place, result);
    return false;
  }
  std::vector<BYTE> data(size + sizeof(WCHAR), 0);
  result = RegQueryValueExW(holder.key, place.name, nullptr, &type, data.data(), &size);
  if (result != ERROR_SUCCESS) {
    problem = describe("cannot read", place, result);
    return false;
  }
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number = 0;
    for (std::size_t i = 0; i < sizeof(DWORD); ++i) number |= DWORD(data[i]) << (8 * i);
    out = RegistryValue::ofNumber(number);
    return true;
  }
  // Any other value is taken as text, up to its first terminator.
  Text text;
  for (std::size_t i = 0; i < size && i + 1 < data.size(); i += 2) {
    WCHAR unit = static_cast<WCHAR>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  out = RegistryValue::ofText(textToUtf8(text.c_str(), text.size()));
  return true;
}

bool writeRegistryValue(const RegistryPlace& place, const RegistryValue& value,
                        std::string& problem) {
  KeyHolder holder;
  LONG result;
  if (value.kind == RegistryValue::Kind::Absent) {
    result = RegOpenKeyExW(place.root, place.key, 0, KEY_ALL_ACCESS, &holder.key);
    if (result == ERROR_FILE_NOT_FOUND) return true;
    if (result == ERROR_SUCCESS) result = RegDeleteValueW(holder.key, place.name);
    if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;
  } else {
    DWORD disposition = 0;
    result = RegCreateKeyExW(place.root, place.key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, &holder.key, &disposition);
    if (result == ERROR_SUCCESS && value.kind == RegistryValue::Kind::Number) {
      BYTE data[sizeof(DWORD)];
      for (std::size_t i = 0; i < sizeof(DWORD); ++i) data[i] = BYTE(value.number >> (8 * i));
      result = RegSetValueExW(holder.key, place.name, 0, REG_DWORD, data, sizeof data);
    } else if (result == ERROR_SUCCESS) {
      Text text = textFromUtf8(value.text);
      result = RegSetValueExW(holder.key, place.name, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              DWORD((text.size() + 1) * sizeof(WCHAR)));
    }
  }
  if (result == ERROR_SUCCESS && holder.key) result = RegFlushKey(holder.key);
  if (result != ERROR_SUCCESS) {
    problem = describe("cannot write", place, result);
    return false;
  }
  return true;
}

bool writeMachineText(const WCHAR* key, const WCHAR* name, const WCHAR* text,
                      std::string& problem) {
  RegistryPlace place = {HKEY_LOCAL_MACHINE, key, name};
  return writeRegistryValue(place, RegistryValue::ofText(textToUtf8(text)), problem);
}

bool registerPlugin(std::string& problem) {
  const Text key = qrvconfig::registrationKey();
  return writeMachineText(key.c_str(), WSTR("Name"), qrvconfig::kComponentName, problem) &&
         writeMachineText(key.c_str(), WSTR("Library"), qrvconfig::kLibrary, problem) &&
         writeMachineText(key.c_str(), WSTR("Apply"), qrvconfig::kApplyEntry, problem) &&
         writeMachineText(key.c_str(), WSTR("Save"), qrvconfig::kSaveEntry, problem);
}
