// The registry functions of the emulated device, on the store of its registry file
// (registry_store.cpp): handles, access rights, names, and the platform's size rules.
#include "platform/registry.h"

#include "platform/posix/registry_file.h"
#include "platform/posix/registry_store.h"

#include <cstring>
#include <functional>
#include <map>
#include <mutex>

namespace {

constexpr std::uintptr_t kCurrentUserHandle = 0x80000001u;
constexpr std::uintptr_t kLocalMachineHandle = 0x80000002u;
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

struct OpenKey {
  int root = regfile::kLocalMachine;
  Text path;
  REGSAM access = KEY_ALL_ACCESS;
};

struct Registry {
  std::mutex mutex;  // guards the handles
  std::map<std::uintptr_t, OpenKey> handles;
  std::uintptr_t nextHandle = 0x1000;
};

Registry& registry() {
  static Registry* instance = new Registry;  // lives until the process ends
  return *instance;
}

bool resolve(Registry& reg, HKEY key, OpenKey& out) {
  auto value = reinterpret_cast<std::uintptr_t>(key);
  if (value == kLocalMachineHandle || value == kCurrentUserHandle) {
    out = OpenKey();
    out.root = value == kLocalMachineHandle ? regfile::kLocalMachine : regfile::kCurrentUser;
    return true;
  }
  auto it = reg.handles.find(value);
  if (it == reg.handles.end()) return false;
  out = it->second;
  return true;
}

HKEY newHandle(Registry& reg, const OpenKey& key) {
  std::uintptr_t value = reg.nextHandle;
  reg.nextHandle += 4;
  reg.handles[value] = key;
  return reinterpret_cast<HKEY>(value);
}

Text join(const Text& base, const WCHAR* subKey) {
  Text sub = regfile::normalizeKeyPath(subKey ? Text(subKey) : Text());
  if (base.empty()) return sub;
  if (sub.empty()) return base;
  return base + WSTR("\\") + sub;
}

// Names must survive the text file unchanged: no line breaks, no unpaired surrogates.
bool storableName(const Text& name, std::size_t maxLength) {
  if (name.size() > maxLength) return false;
  for (WCHAR c : name) {
    if (c == '\n' || c == '\r') return false;
  }
  std::string ignored;
  return textToUtf8Strict(name.c_str(), name.size(), ignored);
}

bool storableKeyPath(const Text& path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == Text::npos) end = path.size();
    if (!storableName(path.substr(start, end - start), kMaxKeyNameLength)) return false;
    start = end + 1;
  }
  return true;
}

bool resolveHandle(HKEY key, OpenKey& out) {
  Registry& reg = registry();
  std::lock_guard<std::mutex> guard(reg.mutex);
  return resolve(reg, key, out);
}

// Runs `read` on the current tree.
LONG withTree(HKEY key, const std::function<LONG(const OpenKey&, regfile::Tree&)>& read) {
  OpenKey open;
  if (!resolveHandle(key, open)) return ERROR_INVALID_HANDLE;
  return regstore::read([&](regfile::Tree& tree) { return read(open, tree); });
}

// Runs `change` on the current tree; the store keeps or commits what it changed.
LONG changeTree(HKEY key, const std::function<LONG(const OpenKey&, regfile::Tree&, bool&)>& change) {
  OpenKey open;
  if (!resolveHandle(key, open)) return ERROR_INVALID_HANDLE;
  return regstore::change(
      [&](regfile::Tree& tree, bool& changed) { return change(open, tree, changed); });
}

// Copies a value's data out under the platform's size rules.
LONG copyData(const regfile::Value& value, DWORD* type, BYTE* data, DWORD* size) {
  if (data && !size) return ERROR_INVALID_PARAMETER;
  if (type) *type = value.type;
  DWORD needed = static_cast<DWORD>(value.data.size());
  if (data) {
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    if (needed) std::memcpy(data, value.data.data(), needed);
  }
  if (size) *size = needed;
  return ERROR_SUCCESS;
}

// Copies a name into a caller's buffer of *length units; *length becomes the name's length.
LONG copyName(const Text& text, LPWSTR name, DWORD* length) {
  if (!name || !length) return ERROR_INVALID_PARAMETER;
  if (*length < text.size() + 1) {
    *length = static_cast<DWORD>(text.size());
    return ERROR_MORE_DATA;
  }
  textCopy(name, *length, text.c_str());
  *length = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM access, void*,
                     HKEY* result, DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey target;
  auto findOrCreate = [&](const OpenKey& open, regfile::Tree& tree, bool& changed) -> LONG {
    if (!tree.find(open.root, open.path)) return ERROR_FILE_NOT_FOUND;  // a deleted parent
    target.root = open.root;
    target.path = join(open.path, subKey);
    target.access = access;
    if (!storableKeyPath(target.path) || !regfile::keyDepthAllowed(target.path)) {
      return ERROR_INVALID_PARAMETER;
    }
    tree.create(target.root, target.path, &changed);
    if (disposition) *disposition = changed ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
  };
  // Most calls find the key there already and need not take the lock.
  bool exists = false;
  LONG status = withTree(key, [&](const OpenKey& open, regfile::Tree& tree) -> LONG {
    bool unchanged = false;
    if (!tree.find(open.root, join(open.path, subKey))) return ERROR_SUCCESS;
    exists = true;
    return findOrCreate(open, tree, unchanged);
  });
  if (status == ERROR_SUCCESS && !exists) status = changeTree(key, findOrCreate);
  if (status != ERROR_SUCCESS) return status;
  Registry& reg = registry();
  std::lock_guard<std::mutex> guard(reg.mutex);
  *result = newHandle(reg, target);
  return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey target;
  LONG status = withTree(key, [&](const OpenKey& open, regfile::Tree& tree) -> LONG {
    const regfile::Key* found = tree.find(open.root, join(open.path, subKey));
    if (!found) return ERROR_FILE_NOT_FOUND;
    target.root = found->root;
    target.path = found->path;
    target.access = access;
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  Registry& reg = registry();
  std::lock_guard<std::mutex> guard(reg.mutex);
  *result = newHandle(reg, target);
  return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
  return withTree(key, [&](const OpenKey& open, regfile::Tree& tree) -> LONG {
    if (!(open.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    const regfile::Key* found = tree.find(open.root, open.path);
    if (!found) return ERROR_FILE_NOT_FOUND;
    const regfile::Value* value = found->findValue(valueName ? Text(valueName) : Text());
    if (!value) return ERROR_FILE_NOT_FOUND;
    return copyData(*value, type, data, size);
  });
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD size) {
  if (!data && size != 0) return ERROR_INVALID_PARAMETER;
  Text name = valueName ? Text(valueName) : Text();
  if (!storableName(name, kMaxValueNameLength)) return ERROR_INVALID_PARAMETER;
  return changeTree(key, [&](const OpenKey& open, regfile::Tree& tree, bool& changed) -> LONG {
    if (!(open.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    regfile::Key* found = tree.find(open.root, open.path);
    if (!found) return ERROR_FILE_NOT_FOUND;
    std::vector<BYTE> bytes(data, data + size);
    regfile::Value* value = found->findValue(name);
    if (value) {
      if (value->type == type && value->data == bytes) return ERROR_SUCCESS;
      value->type = type;
      value->data = std::move(bytes);
    } else {
      regfile::Value added;
      added.name = name;
      added.type = type;
      added.data = std::move(bytes);
      found->values.push_back(std::move(added));
    }
    changed = true;
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  Text name = valueName ? Text(valueName) : Text();
  return changeTree(key, [&](const OpenKey& open, regfile::Tree& tree, bool& changed) -> LONG {
    if (!(open.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    regfile::Key* found = tree.find(open.root, open.path);
    if (!found) return ERROR_FILE_NOT_FOUND;
    for (auto it = found->values.begin(); it != found->values.end(); ++it) {
      if (textCompareNoCase(it->name.c_str(), name.c_str()) == 0) {
        found->values.erase(it);
        changed = true;
        return ERROR_SUCCESS;
      }
    }
    return ERROR_FILE_NOT_FOUND;
  });
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  return changeTree(key, [&](const OpenKey& open, regfile::Tree& tree, bool& changed) -> LONG {
    Text path = join(open.path, subKey);
    if (path.empty()) return ERROR_ACCESS_DENIED;  // a root is never deleted
    if (!tree.find(open.root, path)) return ERROR_FILE_NOT_FOUND;
    if (!tree.children(open.root, path).empty()) return ERROR_ACCESS_DENIED;
    changed = tree.remove(open.root, path);
    return ERROR_SUCCESS;
  });
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD*, DWORD* type,
                   BYTE* data, DWORD* size) {
  return withTree(key, [&](const OpenKey& open, regfile::Tree& tree) -> LONG {
    if (!(open.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    const regfile::Key* found = tree.find(open.root, open.path);
    if (!found) return ERROR_FILE_NOT_FOUND;
    if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
    if (index >= found->values.size()) return ERROR_NO_MORE_ITEMS;
    const regfile::Value& value = found->values[index];
    if (data && !size) return ERROR_INVALID_PARAMETER;
    if (*nameLength < value.name.size() + 1) return copyName(value.name, name, nameLength);
    if (data && *size < value.data.size()) return copyData(value, type, data, size);
    copyName(value.name, name, nameLength);
    return copyData(value, type, data, size);
  });
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD*, LPWSTR keyClass,
                   DWORD* classLength, void* lastWriteTime) {
  return withTree(key, [&](const OpenKey& open, regfile::Tree& tree) -> LONG {
    if (!(open.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    if (!tree.find(open.root, open.path)) return ERROR_FILE_NOT_FOUND;
    if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
    auto children = tree.children(open.root, open.path);
    if (index >= children.size()) return ERROR_NO_MORE_ITEMS;
    LONG status = copyName(regfile::lastName(children[index]->path), name, nameLength);
    if (status != ERROR_SUCCESS) return status;
    // Keys here carry no class and no write time.
    if (keyClass && classLength && *classLength > 0) keyClass[0] = 0;
    if (classLength) *classLength = 0;
    if (lastWriteTime) std::memset(lastWriteTime, 0, 8);
    return ERROR_SUCCESS;
  });
}

LONG RegCloseKey(HKEY key) {
  auto value = reinterpret_cast<std::uintptr_t>(key);
  if (value == kLocalMachineHandle || value == kCurrentUserHandle) return ERROR_SUCCESS;
  Registry& reg = registry();
  std::lock_guard<std::mutex> guard(reg.mutex);
  return reg.handles.erase(value) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegFlushKey(HKEY key) {
  OpenKey open;
  if (!resolveHandle(key, open)) return ERROR_INVALID_HANDLE;
  return regstore::flush();
}
