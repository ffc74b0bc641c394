// Conversion of the device state to and from its JSON form, checking every field on the way
// in so that a state file with a mistake is refused before anything is changed.
#include "tools/qrvdevice/state_json.h"

#include "hzkcore/hzkcore.h"

#include <nlohmann/json.hpp>

#include <limits>
#include <stdexcept>

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

namespace {

// The capacity of a text field of the settings library's records, terminator included.
template <typename Record, std::size_t N>
constexpr std::size_t textCapacity(WCHAR (Record::*)[N]) {
  return N;
}

// A registry text longer than this is not something a device holds.
constexpr std::size_t kRegistryTextCapacity = 16384;
constexpr std::size_t kWindowTextCapacity = 256;

// ---- writing ----

OrderedJson numberMap(const std::map<std::int32_t, std::int32_t>& values) {
  OrderedJson object = OrderedJson::object();
  for (const auto& [number, value] : values) object[std::to_string(number)] = value;
  return object;
}

std::string utf8(const Text& text) { return textToUtf8(text.c_str(), text.size()); }

// A record's fields by the rows of hzkcore/records.h, in their order, each named as its member.
#define QRV_WRITE_TEXT(member, ...) object[#member] = utf8(record.member);
#define QRV_WRITE_NUMBER(member, ...) object[#member] = record.member;
OrderedJson recordJson(const StoredAppEntry& record) {
  OrderedJson object = OrderedJson::object();
  QRV_APPLICATION_FIELDS(QRV_WRITE_TEXT, QRV_WRITE_NUMBER)
  return object;
}
OrderedJson recordJson(const StoredHotkeyEntry& record) {
  OrderedJson object = OrderedJson::object();
  QRV_HOTKEY_FIELDS(QRV_WRITE_TEXT, QRV_WRITE_NUMBER)
  return object;
}
#undef QRV_WRITE_TEXT
#undef QRV_WRITE_NUMBER

OrderedJson registryJson(const RegistryValue& value) {
  switch (value.kind) {
    case RegistryValue::Kind::Number: return value.number;
    case RegistryValue::Kind::Text: return value.text;
    default: return nullptr;
  }
}

// ---- reading ----

struct FieldError : std::runtime_error {
  FieldError(const std::string& field, const std::string& what)
      : std::runtime_error(field + ": " + what) {}
};

std::string describeType(const Json& value) {
  if (value.is_null()) return "null";
  if (value.is_boolean()) return "true or false";
  if (value.is_number()) return "a number";
  if (value.is_string()) return "a text";
  if (value.is_array()) return "a list";
  return "an object";
}

std::int64_t readWhole(const Json& value, const std::string& field, std::int64_t low,
                       std::int64_t high) {
  if (!value.is_number()) {
    throw FieldError(field, "expected a number, found " + describeType(value));
  }
  if (value.is_number_float()) throw FieldError(field, "expected a whole number");
  if (value.is_number_unsigned() &&
      value.get<std::uint64_t>() > static_cast<std::uint64_t>(high)) {
    throw FieldError(field, std::to_string(value.get<std::uint64_t>()) +
                                " is out of range (" + std::to_string(low) + " to " +
                                std::to_string(high) + ")");
  }
  std::int64_t number = value.get<std::int64_t>();
  if (number < low || number > high) {
    throw FieldError(field, std::to_string(number) + " is out of range (" +
                                std::to_string(low) + " to " + std::to_string(high) + ")");
  }
  return number;
}

std::int32_t readInt32(const Json& value, const std::string& field) {
  return static_cast<std::int32_t>(readWhole(value, field, std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max()));
}

std::uint32_t readUInt32(const Json& value, const std::string& field) {
  return static_cast<std::uint32_t>(
      readWhole(value, field, 0, std::numeric_limits<std::uint32_t>::max()));
}

// A text that fits a field of `capacity` units with its terminator.
Text readText(const Json& value, const std::string& field, std::size_t capacity) {
  if (!value.is_string()) {
    throw FieldError(field, "expected a text, found " + describeType(value));
  }
  Text text = textFromUtf8(value.get<std::string>());
  if (text.find(WCHAR(0)) != Text::npos) throw FieldError(field, "holds a NUL character");
  if (text.size() >= capacity) {
    throw FieldError(field, "longer than " + std::to_string(capacity - 1) + " characters");
  }
  return text;
}

void expectObject(const Json& value, const std::string& field) {
  if (!value.is_object()) {
    throw FieldError(field, "expected an object, found " + describeType(value));
  }
}

void expectList(const Json& value, const std::string& field) {
  if (!value.is_array()) throw FieldError(field, "expected a list, found " + describeType(value));
}

// Refuses names that are not fields of the object, so that a misspelt field is not silently
// taken as left out.
void expectOnly(const Json& object, const std::string& field,
                std::initializer_list<const char*> names) {
  for (const auto& item : object.items()) {
    bool known = false;
    for (const char* name : names) known = known || item.key() == name;
    if (!known) {
      throw FieldError(field.empty() ? item.key() : field + "." + item.key(), "unknown field");
    }
  }
}

void readNumberMap(const Json& value, const std::string& field,
                   std::map<std::int32_t, std::int32_t>& out) {
  expectObject(value, field);
  for (const auto& item : value.items()) {
    std::string name = field + "." + item.key();
    const std::string& key = item.key();
    std::size_t used = 0;
    long long number = 0;
    bool valid = !key.empty() && (std::isdigit(static_cast<unsigned char>(key[0])) || key[0] == '-');
    if (valid) {
      try {
        number = std::stoll(key, &used, 10);
      } catch (...) {
        valid = false;
      }
    }
    if (!valid || used != key.size() || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max()) {
      throw FieldError(name, "not a setting number");
    }
    out[static_cast<std::int32_t>(number)] = readInt32(item.value(), name);
  }
}

RegistryValue readRegistry(const Json& value, const std::string& field) {
  if (value.is_null()) return RegistryValue::absent();
  if (value.is_string()) {
    readText(value, field, kRegistryTextCapacity);
    return RegistryValue::ofText(value.get<std::string>());
  }
  if (value.is_number()) return RegistryValue::ofNumber(readUInt32(value, field));
  throw FieldError(field, "expected null, a number or a text, found " + describeType(value));
}

void readNumber(const Json& value, const std::string& field, std::int32_t& out) {
  out = readInt32(value, field);
}

void readNumber(const Json& value, const std::string& field, std::uint32_t& out) {
  out = readUInt32(value, field);
}

// A record's fields by the rows of hzkcore/records.h, each named as its member; fields left
// out keep their initial values. `Entry` is the exported record, whose arrays give the texts'
// capacities.
#define QRV_JSON_NAME(member, ...) #member,
#define QRV_READ_TEXT(member, ...)                                      \
  if (value.contains(#member)) {                                        \
    record.member = readText(value[#member], field + "." #member,       \
                             textCapacity(&Entry::member));             \
  }
#define QRV_READ_NUMBER(member, ...) \
  if (value.contains(#member)) readNumber(value[#member], field + "." #member, record.member);

const std::initializer_list<const char*> kApplicationFieldNames = {
    QRV_APPLICATION_FIELDS(QRV_JSON_NAME, QRV_JSON_NAME)};
const std::initializer_list<const char*> kHotkeyFieldNames = {
    QRV_HOTKEY_FIELDS(QRV_JSON_NAME, QRV_JSON_NAME)};

void readFields(const Json& value, const std::string& field, StoredAppEntry& record) {
  using Entry = AppEntry;
  QRV_APPLICATION_FIELDS(QRV_READ_TEXT, QRV_READ_NUMBER)
}

void readFields(const Json& value, const std::string& field, StoredHotkeyEntry& record) {
  using Entry = HotkeyEntry;
  QRV_HOTKEY_FIELDS(QRV_READ_TEXT, QRV_READ_NUMBER)
}

#undef QRV_JSON_NAME
#undef QRV_READ_TEXT
#undef QRV_READ_NUMBER

// Window names travel in a file of one line per window, class and title split by a tab.
std::string readWindowText(const Json& value, const std::string& field) {
  Text text = readText(value, field, kWindowTextCapacity);
  for (WCHAR unit : text) {
    if (unit == u'\t' || unit == u'\n' || unit == u'\r') {
      throw FieldError(field, "holds a tab or a line break");
    }
  }
  return value.get<std::string>();
}

DeviceWindow readWindow(const Json& value, const std::string& field) {
  expectObject(value, field);
  expectOnly(value, field, {"class", "title"});
  DeviceWindow window;
  if (value.contains("class")) window.className = readWindowText(value["class"], field + ".class");
  if (value.contains("title")) window.title = readWindowText(value["title"], field + ".title");
  return window;
}

std::string indexed(const char* field, std::size_t index) {
  return std::string(field) + "[" + std::to_string(index) + "]";
}

// A list of at most `capacity` records of the fields `names`, in place of `out`.
template <typename Record>
void readRecords(const Json& list, const char* field, std::size_t capacity,
                 std::initializer_list<const char*> names, std::vector<Record>& out) {
  expectList(list, field);
  if (list.size() > capacity) {
    throw FieldError(field, "more than " + std::to_string(capacity) + " " + field);
  }
  out.clear();
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string name = indexed(field, i);
    expectObject(list[i], name);
    expectOnly(list[i], name, names);
    Record record;
    readFields(list[i], name, record);
    out.push_back(record);
  }
}

void readState(const Json& root, LoadableState& out) {
  expectObject(root, "(state)");
  expectOnly(root, "",
             {"settings", "viewSettings", "password", "applications", "hotkeys", "errorPages",
              "configFiltersOff", "packageRoot", "windows", "messages", "calls", "report"});
  if (root.contains("settings")) readNumberMap(root["settings"], "settings", out.settings.settings);
  if (root.contains("viewSettings")) {
    readNumberMap(root["viewSettings"], "viewSettings", out.settings.viewSettings);
  }
  if (root.contains("password")) {
    out.settings.password = readText(root["password"], "password", kPasswordCapacity);
  }
  if (root.contains("applications")) {
    readRecords(root["applications"], "applications", kApplicationCapacity,
                kApplicationFieldNames, out.settings.applications);
  }
  if (root.contains("hotkeys")) {
    readRecords(root["hotkeys"], "hotkeys", kHotkeyCapacity, kHotkeyFieldNames,
                out.settings.hotkeys);
  }
  if (root.contains("errorPages")) {
    const Json& pages = root["errorPages"];
    if (pages.is_null()) {
      out.settings.errorPages.reset();
    } else {
      if (!pages.is_array() || pages.size() != kStoredErrorPages) {
        throw FieldError("errorPages", "expected null or a list of " +
                                           std::to_string(kStoredErrorPages) + " texts");
      }
      std::array<Text, kStoredErrorPages> texts;
      for (std::size_t i = 0; i < kStoredErrorPages; ++i) {
        texts[i] =
            readText(pages[i], indexed("errorPages", i), textCapacity(&ErrorPageEntry::page));
      }
      out.settings.errorPages = texts;
    }
  }
  if (root.contains("configFiltersOff")) {
    out.configFiltersOff = readRegistry(root["configFiltersOff"], "configFiltersOff");
  }
  if (root.contains("packageRoot")) {
    out.packageRoot = readRegistry(root["packageRoot"], "packageRoot");
  }
  if (root.contains("windows")) {
    const Json& list = root["windows"];
    expectList(list, "windows");
    for (std::size_t i = 0; i < list.size(); ++i) {
      out.windows.push_back(readWindow(list[i], indexed("windows", i)));
    }
  }
}

}  // namespace

std::string stateToJson(const DeviceState& state) {
  const DeviceSettings& settings = state.settings;
  OrderedJson root = OrderedJson::object();
  root["settings"] = numberMap(settings.settings);
  root["viewSettings"] = numberMap(settings.viewSettings);
  root["password"] = utf8(settings.password);

  OrderedJson applications = OrderedJson::array();
  for (const StoredAppEntry& a : settings.applications) applications.push_back(recordJson(a));
  root["applications"] = applications;

  OrderedJson hotkeys = OrderedJson::array();
  for (const StoredHotkeyEntry& h : settings.hotkeys) hotkeys.push_back(recordJson(h));
  root["hotkeys"] = hotkeys;

  if (settings.errorPages) {
    OrderedJson pages = OrderedJson::array();
    for (const Text& page : *settings.errorPages) pages.push_back(utf8(page));
    root["errorPages"] = pages;
  } else {
    root["errorPages"] = nullptr;
  }
  root["configFiltersOff"] = registryJson(state.configFiltersOff);
  root["packageRoot"] = registryJson(state.packageRoot);

  OrderedJson windows = OrderedJson::array();
  for (const DeviceWindow& w : state.windows) {
    windows.push_back({{"class", w.className}, {"title", w.title}});
  }
  root["windows"] = windows;

  OrderedJson messages = OrderedJson::array();
  for (const SentMessage& m : state.messages) {
    messages.push_back({{"class", m.className},
                        {"title", m.title},
                        {"message", m.message},
                        {"wParam", m.wParam},
                        {"lParam", m.lParam}});
  }
  root["messages"] = messages;
  root["calls"] = state.calls;

  OrderedJson report = OrderedJson::array();
  for (const ReportEntry& r : state.report) {
    report.push_back(
        {{"call", r.call}, {"file", r.file}, {"errors", r.errors}, {"warnings", r.warnings}});
  }
  root["report"] = report;
  // Texts that are not valid UTF-8 are shown with replacement characters, never refused.
  return root.dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

bool stateFromJson(const std::string& text, LoadableState& out, std::string& problem) {
  Json root;
  try {
    root = Json::parse(text);
  } catch (const Json::exception& error) {  // malformed, or a number beyond any range
    problem = std::string("not valid JSON: ") + error.what();
    return false;
  }
  out = defaultLoadableState();
  try {
    readState(root, out);
  } catch (const FieldError& error) {
    problem = error.what();
    return false;
  }
  return true;
}
