// The settings library's exported operations, on top of the stored settings; each call leaves
// one line in the device's call journal.
#include "hzkcore/hzkcore.h"

#include "hzkcore/device_settings.h"
#include "platform/device.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

// A stored record handed out as an exported one and back, field by field along the rows of
// hzkcore/records.h.
#define QRV_FILL_TEXT(member, ...) fillField(entry.member, record.member);
#define QRV_FILL_NUMBER(member, ...) entry.member = record.member;
#define QRV_TAKE_TEXT(member, ...) record.member = fieldText(entry.member);
#define QRV_TAKE_NUMBER(member, ...) record.member = entry.member;

void fill(AppEntry& entry, const StoredAppEntry& record) {
  QRV_APPLICATION_FIELDS(QRV_FILL_TEXT, QRV_FILL_NUMBER)
}
void fill(HotkeyEntry& entry, const StoredHotkeyEntry& record) {
  QRV_HOTKEY_FIELDS(QRV_FILL_TEXT, QRV_FILL_NUMBER)
}
StoredAppEntry taken(const AppEntry& entry) {
  StoredAppEntry record;
  QRV_APPLICATION_FIELDS(QRV_TAKE_TEXT, QRV_TAKE_NUMBER)
  return record;
}
StoredHotkeyEntry taken(const HotkeyEntry& entry) {
  StoredHotkeyEntry record;
  QRV_HOTKEY_FIELDS(QRV_TAKE_TEXT, QRV_TAKE_NUMBER)
  return record;
}

#undef QRV_FILL_TEXT
#undef QRV_FILL_NUMBER
#undef QRV_TAKE_TEXT
#undef QRV_TAKE_NUMBER

// Fills entries 0 to n-1 from the stored records, each zeroed first and numbered.
template <typename Entry, typename Record>
void fillEntries(Entry* entries, const std::vector<Record>& stored, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    std::memset(&entries[i], 0, sizeof(Entry));
    entries[i].index = static_cast<std::int32_t>(i);
    fill(entries[i], stored[i]);
  }
}

// The first n entries as stored records.
template <typename Entry, typename Record = decltype(taken(std::declval<Entry>()))>
std::vector<Record> takenEntries(const Entry* entries, std::size_t n) {
  std::vector<Record> stored;
  stored.reserve(n);
  for (std::size_t i = 0; i < n; ++i) stored.push_back(taken(entries[i]));
  return stored;
}

}  // namespace

std::int32_t GetApplicationCount() {
  journal(call("GetApplicationCount"));
  std::size_t stored = 0;
  if (!countApplications(stored)) return 0;
  return static_cast<std::int32_t>(std::min<std::size_t>(stored, kApplicationCapacity));
}

std::int32_t GetApplications(AppEntry* entries, std::int32_t count) {
  journal(call("GetApplications", count));
  std::vector<StoredAppEntry> stored;
  if (!entries || !readApplications(stored)) return 0;
  fillEntries(entries, stored, bounded(count, stored.size()));
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
  return static_cast<std::int32_t>(std::min<std::size_t>(stored, kHotkeyCapacity));
}

std::int32_t GetHotkeys(HotkeyEntry* entries, std::int32_t count, std::int32_t flag) {
  journal(call("GetHotkeys", count, flag));
  std::vector<StoredHotkeyEntry> stored;
  if (!entries || !readHotkeys(stored)) return 0;
  fillEntries(entries, stored, bounded(count, stored.size()));
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
  std::size_t n = bounded(count, kApplicationCapacity);
  if (!entries && n > 0) return 0;
  return writeApplications(takenEntries(entries, n)) ? 1 : 0;
}

std::int32_t SetHotkeys(const HotkeyEntry* entries, std::int32_t count) {
  journal(call("SetHotkeys", count));
  std::size_t n = bounded(count, kHotkeyCapacity);
  if (!entries && n > 0) return 0;
  return writeHotkeys(takenEntries(entries, n)) ? 1 : 0;
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
