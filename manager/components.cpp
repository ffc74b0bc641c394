// The components registered with the configuration manager, and their libraries.
#include "manager/components.h"

#include "platform/registry.h"

#include <utility>

namespace {

const WCHAR* const kComponentsKey = WSTR("SOFTWARE\\Corvane\\CVConfigManager\\Components");

// A text value; false when absent or not a whole UTF-16 text.
bool readText(HKEY key, const WCHAR* valueName, Text& out) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ || size % sizeof(WCHAR) != 0) {
    return false;
  }
  Text data(size / sizeof(WCHAR), 0);
  if (size > 0 &&
      RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  data.resize(size / sizeof(WCHAR));
  std::size_t end = data.find(WCHAR(0));
  if (end != Text::npos) data.resize(end);
  out = data;
  return true;
}

bool readComponent(HKEY components, const Text& id, Component& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(components, id.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  out = Component();
  out.id = id;
  Text apply, save;
  bool usable = readText(key, WSTR("Library"), out.library) && !out.library.empty();
  readText(key, WSTR("Name"), out.name);
  if (readText(key, WSTR("Apply"), apply)) out.applyEntry = textToUtf8(apply.c_str());
  if (readText(key, WSTR("Save"), save)) out.saveEntry = textToUtf8(save.c_str());
  RegCloseKey(key);
  return usable;
}

// Libraries loaded for components, freed when the manager itself is unloaded.
class LoadedLibraries {
 public:
  ~LoadedLibraries() { unloadAll(); }

  HMODULE find(const Text& path) const {
    for (const auto& entry : loaded_) {
      if (textCompareNoCase(entry.first.c_str(), path.c_str()) == 0) return entry.second;
    }
    return nullptr;
  }
  void add(const Text& path, HMODULE module) { loaded_.emplace_back(path, module); }
  void unloadAll() {
    // Last loaded first, as a library may lean on one loaded before it.
    while (!loaded_.empty()) {
      FreeLibrary(loaded_.back().second);
      loaded_.pop_back();
    }
  }

 private:
  std::vector<std::pair<Text, HMODULE>> loaded_;
};

LoadedLibraries& loadedLibraries() {
  static LoadedLibraries libraries;
  return libraries;
}

}  // namespace

std::vector<Component> registeredComponents() {
  std::vector<Component> found;
  HKEY components = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kComponentsKey, 0, KEY_READ, &components) !=
      ERROR_SUCCESS) {
    return found;
  }
  for (DWORD index = 0;; ++index) {
    WCHAR name[256] = {};
    DWORD length = 256;
    LONG result = RegEnumKeyExW(components, index, name, &length, nullptr, nullptr, nullptr,
                                nullptr);
    if (result == ERROR_MORE_DATA) continue;  // a name too long for an id is no component
    if (result != ERROR_SUCCESS) break;       // the end, or a registry that cannot be read
    Component component;
    if (readComponent(components, Text(name), component)) found.push_back(component);
  }
  RegCloseKey(components);
  return found;
}

HMODULE componentLibrary(const Component& component) {
  LoadedLibraries& libraries = loadedLibraries();
  HMODULE module = libraries.find(component.library);
  if (module != nullptr) return module;
  module = LoadLibraryW(component.library.c_str());
  if (module != nullptr) libraries.add(component.library, module);
  return module;
}
