// Discovery of configuration files in the device-management agent's package folder.
#include "launcher/package_files.h"

#include "platform/files.h"
#include "platform/registry.h"

const WCHAR* const kGeneralFiles[3] = {WSTR("QRVall.cfg"), WSTR("QRVwm.cfg"), WSTR("QRVwm65.cfg")};

const WCHAR* const kDeviceFamilyFiles[16] = {
    WSTR("ZUMAROall.cfg"),  WSTR("GARVENall.cfg"), WSTR("NILARall.cfg"),  WSTR("BRESKOall.cfg"),
    WSTR("DORUNall.cfg"),   WSTR("PIKall.cfg"),    WSTR("VSERIESall.cfg"), WSTR("VESKAall.cfg"),
    WSTR("TORVAall.cfg"),   WSTR("TSERIESall.cfg"), WSTR("OWBCEall.cfg"),  WSTR("OWBWMall.cfg"),
    WSTR("QN7WMall.cfg"),   WSTR("QN7CEall.cfg"),  WSTR("VESKAAall.cfg"), WSTR("TORVA10all.cfg"),
};

namespace {

constexpr std::size_t kPathCapacity = 260;

// The package root from the registry. The value's type is not looked at, but only the bytes
// the registry returned are used: an odd byte count, or text with no room for its terminator,
// counts as no value, so that a number or binary value is never read past its end.
bool readPackageRoot(WCHAR (&root)[kPathCapacity]) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Trellmar\\Dizezurov"), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &key,
                      &disposition) != ERROR_SUCCESS) {
    return false;
  }
  for (WCHAR& unit : root) unit = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof(root);
  LONG result = RegQueryValueExW(key, WSTR("APPS"), nullptr, &type,
                                 reinterpret_cast<BYTE*>(root), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || size % sizeof(WCHAR) != 0 || size > sizeof(root)) return false;

  const std::size_t units = size / sizeof(WCHAR);
  for (std::size_t i = 0; i < units; ++i) {
    if (root[i] == 0) return true;
  }
  if (units >= kPathCapacity) return false;
  root[units] = 0;
  return true;
}

}  // namespace

bool FindPackageFile(const WCHAR* name, ArgumentTable& table) {
  WCHAR root[kPathCapacity];
  if (!readPackageRoot(root)) return false;

  WCHAR path[kPathCapacity];
  if (textFormat(path, kPathCapacity, WSTR("%s\\Mirdak\\%s"), root, name) < 0) return false;
  if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return false;

  // A path cut to fit its slot would name another file, which would then be applied and
  // deleted: such a file counts as absent.
  WCHAR slot[kArgumentCapacity];
  if (!textCopy(slot, kArgumentCapacity, path)) return false;
  textCopy(table.slots[2], kArgumentCapacity, slot);
  textCopy(table.slots[1], kArgumentCapacity, WSTR("/i"));
  table.cut[1] = table.cut[2] = false;
  table.count = 3;
  return true;
}
