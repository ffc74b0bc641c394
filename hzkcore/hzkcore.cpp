// The settings library's exported operations, on top of the stored settings; each call leaves
// one line in the device's call journal.
#include "hzkcore/hzkcore.h"

#include "hzkcore/device_settings.h"
#include "platform/device.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The journal is the emulator's record for tests and tools: an entry that cannot be written
// leaves the call's outcome as it is.
void journal(const std::string& line) { (void)device::appendStateLine("calls", line); }

std::string call(const char* name) { return std::string(name) + "()"; }
std::string call(const char* name, std::int32_t a) {
  return std::string(name) + "(" + std::to_string(a) + ")";
}
std::string call(const char* name, std::int32_t a, std::int32_t b) {
  return std::string(name) + "(" + std::to_string(a) + ", " + std::to_string(b) + ")";
}
std::string call(const char* name, std::int32_t a, std::int32_t b, std::int32_t c) {
  return std::string(name) + "(" + std::to_string(a) + ", " + std::to_string(b) + ", " +
         std::to_string(c) + ")";
}

// A count handed in, bounded to what the table holds.
std::size_t bounded(std::int32_t count, std::size_t tableSize) {
  if (count <= 0) return 0;
  return std::min(static_cast<std::size_t>(count), tableSize);
}

// The text of a record's field, which may lack its terminator: at most capacity - 1 units, as
// a terminated field of that capacity could hold.
template <std::size_t N>
Text fieldText(const WCHAR (&field)[N]) {
  std::size_t length = 0;
  while (length + 1 < N && field[length] != 0) ++length;
  return Text(field, length);
}

template <std::size_t N>
void fillField(WCHAR (&field)[N], const Text& text) {
  std::memset(field, 0, sizeof(field));
  textCopy(field, N, text.c_str());
}

// The library's own bytes at the head of each error-page entry; handed back unchanged by
// well-behaved callers.
BYTE servicePattern(std::size_t entry, std::size_t offset) {
  return static_cast<BYTE>((0x5A + entry * 13 + offset * 7) & 0xFF);
}

}  // namespace

std::int32_t GetApplicationCount() {
  journal(call("GetApplicationCount"));
  std::size_t stored = 0;
  if (!countApplications(stored)) return 0;
  return static_cast<std::int32_t>(std::min(stored, kStoredApplicationCapacity));
}

std::int32_t GetApplications(AppEntry* entries, std::int32_t count) {
  journal(call("GetApplications", count));
  std::vector<StoredApplication> stored;
  if (!entries || !readApplications(stored)) return 0;
  std::size_t n = bounded(count, stored.size());
  for (std::size_t i = 0; i < n; ++i) {
    AppEntry& e = entries[i];
    const StoredApplication& a = stored[i];
    std::memset(&e, 0, sizeof(e));
    e.index = static_cast<std::int32_t>(i);
    fillField(e.title, a.title);
    fillField(e.executable, a.executable);
    fillField(e.arguments, a.arguments);
    fillField(e.iconFile, a.iconFile);
    e.startupDelay = a.startupDelay;
    e.runAtStartup = a.runAtStartup;
  }
  return 1;
}

std::int32_t GetSetting(std::int32_t number, std::int32_t flag) {
  journal(call("GetSetting", number, flag));
  std::int32_t value = 0;
  return readSetting(number, value) ? value : 0;
}

std::int32_t GetHotkeyCount() {
  journal(call("GetHotkeyCount"));
  std::size_t stored = 0;
  if (!countHotkeys(stored)) return 0;
  return static_cast<std::int32_t>(std::min(stored, kStoredHotkeyCapacity));
}

std::int32_t GetHotkeys(HotkeyEntry* entries, std::int32_t count, std::int32_t flag) {
  journal(call("GetHotkeys", count, flag));
  std::vector<StoredHotkey> stored;
  if (!entries || !readHotkeys(stored)) return 0;
  std::size_t n = bounded(count, stored.size());
  for (std::size_t i = 0; i < n; ++i) {
    HotkeyEntry& e = entries[i];
    const StoredHotkey& h = stored[i];
    std::memset(&e, 0, sizeof(e));
    e.index = static_cast<std::int32_t>(i);
    e.keyCode = h.keyCode;
    e.modifiers = h.modifiers;
    e.action = h.action;
    e.data = h.data;
    fillField(e.application, h.application);
    fillField(e.arguments, h.arguments);
  }
  return 1;
}

std::int32_t GetPassword(WCHAR* buffer, std::int32_t capacity) {
  journal(call("GetPassword", capacity));
  if (!buffer || capacity <= 0) return 0;
  buffer[0] = 0;
  Text password;
  if (!readPassword(password)) return 0;
  textCopy(buffer, static_cast<std::size_t>(capacity), password.c_str());
  return 1;
}

std::int32_t ReadErrorPageTable(ErrorPageTable* table) {
  journal(call("ReadErrorPageTable"));
  std::optional<std::array<Text, kStoredErrorPages>> pages;
  if (!table || !readErrorPages(pages) || !pages) return 0;
  for (std::size_t k = 0; k < kStoredErrorPages; ++k) {
    ErrorPageEntry& e = table->entries[k];
    for (std::size_t j = 0; j < sizeof(e.serviceData); ++j) e.serviceData[j] = servicePattern(k, j);
    fillField(e.page, (*pages)[k]);
  }
  return 1;
}

std::int32_t GetViewSetting(std::int32_t number, std::int32_t flag) {
  journal(call("GetViewSetting", number, flag));
  std::int32_t value = 0;
  return readViewSetting(number, value) ? value : 0;
}

std::int32_t InstallDefaults() {
  journal(call("InstallDefaults"));
  return writeErrorPages(defaultErrorPages()) ? 1 : 0;
}

std::int32_t SetApplications(const AppEntry* entries, std::int32_t count) {
  journal(call("SetApplications", count));
  std::size_t n = bounded(count, kStoredApplicationCapacity);
  if (!entries && n > 0) return 0;
  std::vector<StoredApplication> stored(n);
  for (std::size_t i = 0; i < n; ++i) {
    const AppEntry& e = entries[i];
    StoredApplication& a = stored[i];
    a.title = fieldText(e.title);
    a.executable = fieldText(e.executable);
    a.arguments = fieldText(e.arguments);
    a.iconFile = fieldText(e.iconFile);
    a.startupDelay = e.startupDelay;
    a.runAtStartup = e.runAtStartup;
  }
  return writeApplications(stored) ? 1 : 0;
}

std::int32_t SetHotkeys(const HotkeyEntry* entries, std::int32_t count) {
  journal(call("SetHotkeys", count));
  std::size_t n = bounded(count, kStoredHotkeyCapacity);
  if (!entries && n > 0) return 0;
  std::vector<StoredHotkey> stored(n);
  for (std::size_t i = 0; i < n; ++i) {
    const HotkeyEntry& e = entries[i];
    StoredHotkey& h = stored[i];
    h.keyCode = e.keyCode;
    h.modifiers = e.modifiers;
    h.action = e.action;
    h.data = e.data;
    h.application = fieldText(e.application);
    h.arguments = fieldText(e.arguments);
  }
  return writeHotkeys(stored) ? 1 : 0;
}

// A password longer than GetPassword can give back is refused, and the stored one stays: a
// password read back cut would be another password.
std::int32_t SetPassword(const WCHAR* password) {
  journal(call("SetPassword"));
  Text text = password ? Text(password) : Text();
  if (text.size() >= kPasswordCapacity) return 0;
  return writePassword(text) ? 1 : 0;
}

std::int32_t WriteErrorPageTable(const ErrorPageTable* table) {
  if (!table) {
    journal(call("WriteErrorPageTable"));
    return 0;
  }
  bool altered = false;
  std::array<Text, kStoredErrorPages> pages;
  for (std::size_t k = 0; k < kStoredErrorPages; ++k) {
    const ErrorPageEntry& e = table->entries[k];
    for (std::size_t j = 0; j < sizeof(e.serviceData); ++j) {
      if (e.serviceData[j] != servicePattern(k, j)) altered = true;
    }
    pages[k] = fieldText(e.page);
  }
  journal(altered ? "WriteErrorPageTable(altered)" : call("WriteErrorPageTable"));
  return writeErrorPages(pages) ? 1 : 0;
}

std::int32_t SetViewSetting(std::int32_t number, std::int32_t value, std::int32_t flag) {
  journal(call("SetViewSetting", number, value, flag));
  return writeViewSetting(number, value) ? 1 : 0;
}

std::int32_t SetSetting(std::int32_t number, std::int32_t value, std::int32_t flag) {
  journal(call("SetSetting", number, value, flag));
  return writeSetting(number, value) ? 1 : 0;
}
