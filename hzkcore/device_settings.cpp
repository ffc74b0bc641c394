// The desktop settings' layout in the device registry, read and written as a whole or part by
// part.
//
// Everything lives below HKEY_LOCAL_MACHINE\SOFTWARE\Corvane\Desktop:
//
//   Desktop                      Setting<N>      REG_DWORD  numbered setting N (Setting4 is the
//                                                           Application Selector, Setting5
//                                                           "Enable QRV")
//                                ViewSetting<N>  REG_DWORD  numbered view setting N
//                                Password        REG_SZ     the administrator password
//   Desktop\Applications\<k>     Title, Executable, Arguments, IconFile   REG_SZ
//                                RunAtStartup, StartupDelay               REG_DWORD
//   Desktop\Hotkeys\<k>          KeyCode, Modifiers, Action, Data         REG_DWORD
//                                Application, Arguments                   REG_SZ
//   Desktop\ErrorPages           400, 403, 404, 406, 410, 500, 501, Generic, Busy,
//                                NoServer, UrlSyntax, Cancelled, Offline  REG_SZ
//
// The records' value names and types are their rows' (hzkcore/records.h), in the rows' order.
// Applications and hotkeys are numbered subkeys 1, 2, ... in stored order; a list ends at the
// first number that is missing. The ErrorPages key exists only once the defaults have been
// installed. A value that is missing, or of another type than its layout says, reads as its
// default, so a person editing the registry by hand can never make the library fail.
#include "hzkcore/device_settings.h"

#include "platform/device.h"
#include "platform/registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace {

const WCHAR kDesktopKey[] = WSTR("SOFTWARE\\Corvane\\Desktop");
const WCHAR kApplicationsKey[] = WSTR("SOFTWARE\\Corvane\\Desktop\\Applications");
const WCHAR kHotkeysKey[] = WSTR("SOFTWARE\\Corvane\\Desktop\\Hotkeys");
const WCHAR kErrorPagesKey[] = WSTR("SOFTWARE\\Corvane\\Desktop\\ErrorPages");

const char* const kErrorPageValueNames[kStoredErrorPages] = {
    "400",     "403",      "404",      "406",       "410",       "500",    "501",
    "Generic", "Busy",     "NoServer", "UrlSyntax", "Cancelled", "Offline"};

Text wide(const std::string& s) { return textFromUtf8(s); }
Text wideNumber(long long n) { return textFromUtf8(std::to_string(n)); }

// One open registry key, closed when it goes out of scope.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (handle_) RegCloseKey(handle_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* out() { return &handle_; }
  HKEY get() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

enum class Opened { Yes, Missing, Failed };

Opened openForReading(const Text& path, Key& key) {
  LONG r = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.out());
  if (r == ERROR_SUCCESS) return Opened::Yes;
  if (r == ERROR_FILE_NOT_FOUND || r == ERROR_PATH_NOT_FOUND) return Opened::Missing;
  return Opened::Failed;
}

bool openForWriting(const Text& path, Key& key) {
  return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, key.out(), nullptr) == ERROR_SUCCESS;
}

// Reads a REG_DWORD; leaves `value` alone when the value is missing or of another type.
bool readDword(HKEY key, const Text& name, std::int32_t& value) {
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof(data);
  LONG r = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data),
                            &size);
  if (r == ERROR_FILE_NOT_FOUND || r == ERROR_MORE_DATA) return true;
  if (r != ERROR_SUCCESS) return false;
  if (type == REG_DWORD && size == sizeof(data)) value = static_cast<std::int32_t>(data);
  return true;
}

bool readDword(HKEY key, const Text& name, std::uint32_t& value) {
  std::int32_t signedValue = static_cast<std::int32_t>(value);
  if (!readDword(key, name, signedValue)) return false;
  value = static_cast<std::uint32_t>(signedValue);
  return true;
}

// Reads a REG_SZ up to its first terminator; leaves `value` alone when the value is missing
// or of another type.
bool readText(HKEY key, const Text& name, Text& value) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG r = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  if (r == ERROR_FILE_NOT_FOUND) return true;
  if (r != ERROR_SUCCESS) return false;
  if (type != REG_SZ) return true;
  std::vector<BYTE> bytes(size + sizeof(WCHAR));
  DWORD got = size;
  r = RegQueryValueExW(key, name.c_str(), nullptr, &type, bytes.data(), &got);
  if (r != ERROR_SUCCESS) return false;
  std::size_t units = std::min<std::size_t>(got, size) / sizeof(WCHAR);
  Text text(units, WCHAR(0));
  if (units) std::memcpy(&text[0], bytes.data(), units * sizeof(WCHAR));
  std::size_t end = text.find(WCHAR(0));
  if (end != Text::npos) text.resize(end);
  value = text;
  return true;
}

bool writeDword(HKEY key, const Text& name, std::uint32_t value) {
  DWORD data = value;
  return RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof(data)) == ERROR_SUCCESS;
}

bool writeText(HKEY key, const Text& name, const Text& value) {
  // Stored up to an embedded terminator, as the registry keeps texts.
  std::size_t units = textLength(value.c_str());
  return RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((units + 1) * sizeof(WCHAR))) == ERROR_SUCCESS;
}

// Removes the numbered subkeys from `first` on, up to the first one that is missing.
bool removeRecordsFrom(HKEY list, std::size_t first) {
  for (std::size_t k = first;; ++k) {
    LONG r = RegDeleteKeyW(list, wideNumber(static_cast<long long>(k)).c_str());
    if (r == ERROR_FILE_NOT_FOUND || r == ERROR_PATH_NOT_FOUND) return true;
    if (r != ERROR_SUCCESS) return false;
  }
}

// Calls read(key, position) for each numbered subkey of `listPath` in order, at most `limit`.
template <typename ReadRecord>
bool readRecords(const WCHAR* listPath, std::size_t limit, ReadRecord read) {
  for (std::size_t k = 1; k <= limit; ++k) {
    Key record;
    Opened opened = openForReading(Text(listPath) + WSTR("\\") + wideNumber(static_cast<long long>(k)), record);
    if (opened == Opened::Missing) return true;
    if (opened == Opened::Failed) return false;
    if (!read(record.get())) return false;
  }
  return true;
}

// The number of numbered subkeys of `listPath` that readRecords would read, at most `limit`,
// without reading their values; false where readRecords fails to open one.
bool countRecords(const WCHAR* listPath, std::size_t limit, std::size_t& count) {
  count = 0;
  for (std::size_t k = 1; k <= limit; ++k) {
    Key record;
    Opened opened = openForReading(Text(listPath) + WSTR("\\") + wideNumber(static_cast<long long>(k)), record);
    if (opened == Opened::Missing) return true;
    if (opened == Opened::Failed) return false;
    ++count;
  }
  return true;
}

template <typename Record, typename WriteRecord>
bool writeRecords(const WCHAR* listPath, const std::vector<Record>& records, std::size_t limit,
                  WriteRecord write) {
  Key list;
  if (!openForWriting(listPath, list)) return false;
  std::size_t count = std::min(records.size(), limit);
  for (std::size_t i = 0; i < count; ++i) {
    Key record;
    if (!openForWriting(Text(listPath) + WSTR("\\") + wideNumber(static_cast<long long>(i + 1)), record))
      return false;
    if (!write(record.get(), records[i])) return false;
  }
  return removeRecordsFrom(list.get(), count + 1);
}

bool readNumbered(const char* prefix, std::int32_t number, std::int32_t& value,
                  const std::map<std::int32_t, std::int32_t>& defaults) {
  auto known = defaults.find(number);
  value = known == defaults.end() ? 0 : known->second;
  Key desktop;
  Opened opened = openForReading(kDesktopKey, desktop);
  if (opened == Opened::Missing) return true;
  if (opened == Opened::Failed) return false;
  return readDword(desktop.get(), wide(prefix + std::to_string(number)), value);
}

bool writeNumbered(const char* prefix, std::int32_t number, std::int32_t value) {
  Key desktop;
  if (!openForWriting(kDesktopKey, desktop)) return false;
  return writeDword(desktop.get(), wide(prefix + std::to_string(number)),
                    static_cast<std::uint32_t>(value));
}

// The number of a value name "<prefix><N>" (letter case ignored), or false.
bool numberedName(const std::string& name, const std::string& prefix, std::int32_t& number) {
  if (name.size() <= prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  std::string digits = name.substr(prefix.size());
  std::size_t start = digits[0] == '-' ? 1 : 0;
  if (start == digits.size() || digits.size() > 11) return false;
  for (std::size_t i = start; i < digits.size(); ++i) {
    if (digits[i] < '0' || digits[i] > '9') return false;
  }
  long long n = std::stoll(digits);
  if (n < INT32_MIN || n > INT32_MAX) return false;
  number = static_cast<std::int32_t>(n);
  return true;
}

// The names of the desktop key's values, in stored order.
bool desktopValueNames(HKEY desktop, std::vector<std::string>& names) {
  for (DWORD index = 0;; ++index) {
    WCHAR name[256];
    DWORD length = 256;
    DWORD type = REG_NONE;
    LONG r = RegEnumValueW(desktop, index, name, &length, nullptr, &type, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) return true;
    if (r == ERROR_MORE_DATA) continue;  // a name this long is none of ours
    if (r != ERROR_SUCCESS) return false;
    names.push_back(textToUtf8(name, std::min<std::size_t>(length, 255)));
  }
}

}  // namespace

DeviceSettings defaultDeviceSettings() {
  DeviceSettings d;
  // Taskbar, start menu and desktop enabled; Application Selector off; "Enable QRV" on;
  // browser bars, cookies and warnings on.
  d.settings = {{1, 1},  {2, 1},  {3, 1},  {4, 0},  {5, 1},  {20, 1},
                {21, 1}, {22, 1}, {26, 1}, {32, 1}, {33, 1}, {34, 1}};
  // Taskbar shown; browser bars shown.
  d.viewSettings = {{1, 1}, {20, 1}, {21, 1}, {22, 1}, {26, 1}};
  return d;
}

std::array<Text, kStoredErrorPages> defaultErrorPages() {
  static const char* const files[kStoredErrorPages] = {
      "400.htm",     "403.htm",      "404.htm",       "406.htm",
      "410.htm",     "500.htm",      "501.htm",       "generic.htm",
      "busy.htm",    "noserver.htm", "urlsyntax.htm", "cancelled.htm",
      "offline.htm"};
  std::array<Text, kStoredErrorPages> pages;
  for (std::size_t k = 0; k < kStoredErrorPages; ++k) {
    pages[k] = wide(std::string("\\Windows\\ErrorPages\\") + files[k]);
  }
  return pages;
}

bool readSetting(std::int32_t number, std::int32_t& value) {
  return readNumbered("Setting", number, value, defaultDeviceSettings().settings);
}

bool writeSetting(std::int32_t number, std::int32_t value) {
  return writeNumbered("Setting", number, value);
}

bool readViewSetting(std::int32_t number, std::int32_t& value) {
  return readNumbered("ViewSetting", number, value, defaultDeviceSettings().viewSettings);
}

bool writeViewSetting(std::int32_t number, std::int32_t value) {
  return writeNumbered("ViewSetting", number, value);
}

bool readPassword(Text& out) {
  out.clear();
  Key desktop;
  Opened opened = openForReading(kDesktopKey, desktop);
  if (opened == Opened::Missing) return true;
  if (opened == Opened::Failed) return false;
  return readText(desktop.get(), WSTR("Password"), out);
}

bool writePassword(const Text& in) {
  Key desktop;
  return openForWriting(kDesktopKey, desktop) && writeText(desktop.get(), WSTR("Password"), in);
}

// One record's values, read and written by the rows of hzkcore/records.h. A read stops at
// the first value that cannot be read, keeping what it read.
#define QRV_READ_TEXT(member, documentId, schemaText, registryName) \
  &&readText(key, WSTR(registryName), record.member)
#define QRV_READ_NUMBER(member, type, initial, documentId, kind, schemaText, registryName) \
  &&readDword(key, WSTR(registryName), record.member)
#define QRV_WRITE_TEXT(member, documentId, schemaText, registryName) \
  &&writeText(key, WSTR(registryName), record.member)
#define QRV_WRITE_NUMBER(member, type, initial, documentId, kind, schemaText, registryName) \
  &&writeDword(key, WSTR(registryName), static_cast<std::uint32_t>(record.member))

bool readApplications(std::vector<StoredAppEntry>& out) {
  out.clear();
  return readRecords(kApplicationsKey, kApplicationCapacity, [&](HKEY key) {
    StoredAppEntry record;
    bool ok = true QRV_APPLICATION_FIELDS(QRV_READ_TEXT, QRV_READ_NUMBER);
    out.push_back(record);
    return ok;
  });
}

bool countApplications(std::size_t& count) {
  return countRecords(kApplicationsKey, kApplicationCapacity, count);
}

bool writeApplications(const std::vector<StoredAppEntry>& in) {
  return writeRecords(kApplicationsKey, in, kApplicationCapacity,
                      [](HKEY key, const StoredAppEntry& record) {
                        return true QRV_APPLICATION_FIELDS(QRV_WRITE_TEXT, QRV_WRITE_NUMBER);
                      });
}

bool readHotkeys(std::vector<StoredHotkeyEntry>& out) {
  out.clear();
  return readRecords(kHotkeysKey, kHotkeyCapacity, [&](HKEY key) {
    StoredHotkeyEntry record;
    bool ok = true QRV_HOTKEY_FIELDS(QRV_READ_TEXT, QRV_READ_NUMBER);
    out.push_back(record);
    return ok;
  });
}

bool countHotkeys(std::size_t& count) {
  return countRecords(kHotkeysKey, kHotkeyCapacity, count);
}

bool writeHotkeys(const std::vector<StoredHotkeyEntry>& in) {
  return writeRecords(kHotkeysKey, in, kHotkeyCapacity,
                      [](HKEY key, const StoredHotkeyEntry& record) {
                        return true QRV_HOTKEY_FIELDS(QRV_WRITE_TEXT, QRV_WRITE_NUMBER);
                      });
}

#undef QRV_READ_TEXT
#undef QRV_READ_NUMBER
#undef QRV_WRITE_TEXT
#undef QRV_WRITE_NUMBER

bool readErrorPages(std::optional<std::array<Text, kStoredErrorPages>>& out) {
  out.reset();
  Key pages;
  Opened opened = openForReading(kErrorPagesKey, pages);
  if (opened == Opened::Missing) return true;
  if (opened == Opened::Failed) return false;
  std::array<Text, kStoredErrorPages> table;
  for (std::size_t k = 0; k < kStoredErrorPages; ++k) {
    if (!readText(pages.get(), wide(kErrorPageValueNames[k]), table[k])) return false;
  }
  out = table;
  return true;
}

bool writeErrorPages(const std::optional<std::array<Text, kStoredErrorPages>>& in) {
  if (!in) {
    Key desktop;
    Opened opened = openForReading(kDesktopKey, desktop);
    if (opened == Opened::Missing) return true;
    if (opened == Opened::Failed) return false;
    LONG r = RegDeleteKeyW(desktop.get(), WSTR("ErrorPages"));
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND || r == ERROR_PATH_NOT_FOUND;
  }
  Key pages;
  if (!openForWriting(kErrorPagesKey, pages)) return false;
  for (std::size_t k = 0; k < kStoredErrorPages; ++k) {
    if (!writeText(pages.get(), wide(kErrorPageValueNames[k]), (*in)[k])) return false;
  }
  return true;
}

static bool readAll(DeviceSettings& out) {
  DeviceSettings d = defaultDeviceSettings();
  Key desktop;
  Opened opened = openForReading(kDesktopKey, desktop);
  if (opened == Opened::Failed) return false;
  if (opened == Opened::Yes) {
    std::vector<std::string> names;
    if (!desktopValueNames(desktop.get(), names)) return false;
    for (const std::string& name : names) {
      std::int32_t number = 0;
      if (numberedName(name, "ViewSetting", number)) {
        if (!readDword(desktop.get(), wide(name), d.viewSettings[number])) return false;
      } else if (numberedName(name, "Setting", number)) {
        if (!readDword(desktop.get(), wide(name), d.settings[number])) return false;
      }
    }
    if (!readText(desktop.get(), WSTR("Password"), d.password)) return false;
  }
  if (!readApplications(d.applications) || !readHotkeys(d.hotkeys) ||
      !readErrorPages(d.errorPages))
    return false;
  out = d;
  return true;
}

static bool writeAll(const DeviceSettings& in) {
  Key desktop;
  if (!openForWriting(kDesktopKey, desktop)) return false;
  // Numbered values that `in` does not hold are removed, so that they read as defaults again.
  std::vector<std::string> names;
  if (!desktopValueNames(desktop.get(), names)) return false;
  for (const std::string& name : names) {
    std::int32_t number = 0;
    bool stale = (numberedName(name, "ViewSetting", number) && !in.viewSettings.count(number)) ||
                 (numberedName(name, "Setting", number) && !in.settings.count(number));
    if (stale && RegDeleteValueW(desktop.get(), wide(name).c_str()) != ERROR_SUCCESS) return false;
  }
  for (const auto& [number, value] : in.settings) {
    if (!writeDword(desktop.get(), wide("Setting" + std::to_string(number)),
                    static_cast<std::uint32_t>(value)))
      return false;
  }
  for (const auto& [number, value] : in.viewSettings) {
    if (!writeDword(desktop.get(), wide("ViewSetting" + std::to_string(number)),
                    static_cast<std::uint32_t>(value)))
      return false;
  }
  return writeText(desktop.get(), WSTR("Password"), in.password) &&
         writeApplications(in.applications) && writeHotkeys(in.hotkeys) &&
         writeErrorPages(in.errorPages);
}

// A failed read or write is explained by the registry's state (which file, which line).
static device::Result explained(bool done) {
  if (done) return device::Result();
  return device::Result::failure(device::registryStatus().problem());
}

device::Result readDeviceSettings(DeviceSettings& out) { return explained(readAll(out)); }

device::Result writeDeviceSettings(const DeviceSettings& in) { return explained(writeAll(in)); }
