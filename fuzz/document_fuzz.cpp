// Fuzz target: a whole configuration document through the configuration manager's
// applyConfiguration, in this process, on a throw-away emulated device that carries the real
// manager, plug-in and settings library of the build's device image. Before every input the
// device is put back in one state (its registry file and journals restored).
//
// After every input:
// - the registry file reads, the device lock is free, and the call left one report entry whose
//   errors agree with its result;
// - when the settings library was never called (the manager refused the document before the
//   plug-in ran), the device is exactly as before;
// - otherwise the device holds a state that a state file can carry (every text within its
//   record, every list within its capacity), the package root, the filter switch and the
//   windows are untouched, each part of the settings changed only if the document holds an
//   element with an id that writes it, and every text of an application, a hotkey or an error
//   page is one the device held before, a value of the document (as written or decoded from
//   binHex) cut to its record, or empty.
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_device.h"
#include "manager/config_manager.h"
#include "platform/library.h"
#include "platform/posix/registry_file.h"
#include "platform/xmldom.h"
#include "tools/qrvdevice/device_state.h"
#include "tools/qrvdevice/state_json.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <map>
#include <set>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Which ids write which numbered setting and view setting (the plug-in's general and browser
// parameters), and the ids of the other parts.
const std::map<std::int32_t, std::set<std::int32_t>> kSettingWriters = {
    {1, {61003}},  {2, {61004}},  {3, {61005}},  {4, {61008}},  {5, {61009}},  {20, {60003}},
    {21, {60001}}, {22, {60000}}, {26, {60002}}, {32, {60032}}, {33, {60030}}, {34, {60031}}};
const std::map<std::int32_t, std::set<std::int32_t>> kViewSettingWriters = {
    {1, {61002}}, {20, {60003}}, {21, {60001}}, {22, {60000}}, {26, {60002}}};
constexpr std::int32_t kPasswordId = 61001;
constexpr std::int32_t kApplicationsId = 61006;
constexpr std::int32_t kHotkeysId = 61007;
constexpr std::int32_t kFirstErrorPageId = 60004;
constexpr std::int32_t kLastErrorPageId = 60016;

// An empty component: applying it only loads the settings and commits them, which puts the
// device in the form that every later apply starts from.
const char kNeutralDocument[] =
    "<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\">"
    "<PARAM NAME=\"Corvane Desktop Utility\" TYPE=\"COMPONENT\" id=\"61000\"/></PARAM>";

struct Fixture {
  fs::path root;
  ApplyConfigurationFn apply = nullptr;
  std::string registryBefore;
  DeviceState before;
};
Fixture fixture;

fs::path deviceFile(const std::string& relative) { return fixture.root / "files" / relative; }
fs::path stateFile(const std::string& name) { return fixture.root / "state" / name; }

DeviceState readState() {
  DeviceState state;
  std::vector<std::string> notes;
  std::string problem;
  FUZZ_CHECK(readDeviceState(state, notes, problem), "the device state reads: " + problem);
  return state;
}

std::int32_t applyFile(const std::string& content) {
  fuzzdevice::replaceFile(deviceFile("Temp/in.cfg"), content);
  return fixture.apply(WSTR("\\Temp\\in.cfg"));
}

void layDownDevice() {
  fixture.root = fuzzdevice::create("document");
  fs::create_directories(deviceFile("Windows"));
  fs::create_directories(deviceFile("Temp"));
  const fs::path image = QRV_IMAGE_DIR;
  for (const char* file : {"Windows/CVConfigManager.1.0.dll", "Windows/HZKCORE.dll"}) {
    fs::copy_file(image / file, deviceFile(file));
  }
  // Where the launcher installs the plug-in before it loads the manager.
  fs::copy_file(image / "QRVConfig.dll", deviceFile("Windows/QRVConfig.dll"));

  std::string problem;
  device::Lock lock;
  LoadableState state = defaultLoadableState();
  state.windows.push_back({"Application Selector", "Application Selector"});
  FUZZ_CHECK(registerPlugin(problem) && writeLoadableState(state, problem),
             "the fuzz device is set up: " + problem);
}

// The manager is loaded once and kept loaded, with the component library it loads, for the
// whole run: a library unloaded would take its coverage counters with it.
void loadManager() {
  HMODULE manager = LoadLibraryW(WSTR("\\Windows\\CVConfigManager.1.0.dll"));
  FUZZ_CHECK(manager != nullptr, "the manager loads from the fuzz device");
  fixture.apply = reinterpret_cast<ApplyConfigurationFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(manager, kApplyConfigurationEntry)));
  FUZZ_CHECK(fixture.apply != nullptr, "the manager has applyConfiguration");
}

void restore() {
  fuzzdevice::replaceFile(stateFile("registry.reg"), fixture.registryBefore);
  std::string problem;
  FUZZ_CHECK(clearRunRecords(problem), problem);
}

bool lockIsFree() {
  int fd = ::open(stateFile("lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

// The id rule of the plug-in: leading blanks, one sign, digits modulo 2^32; absent or empty
// is no id.
bool idNumber(const Text& text, std::int32_t& id) {
  if (text.empty()) return false;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  std::uint32_t bits = negative ? 0u - magnitude : magnitude;
  id = static_cast<std::int32_t>(bits);
  return true;
}

int hexValue(WCHAR c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The binHex reading of a value (pairs of digits, an odd last digit ignored, ending at a zero
// character); false when a digit is bad.
bool binHexDecoded(const Text& digits, Text& out) {
  out.clear();
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    int high = hexValue(digits[i]), low = hexValue(digits[i + 1]);
    if (high < 0 || low < 0) return false;
    WCHAR c = static_cast<WCHAR>(high * 16 + low);
    if (c == 0) break;
    out += c;
  }
  return true;
}

// A text as a record of `capacity` units (terminator included) can keep it: whole when it
// fits, else cut, with or without a high surrogate half that the cut left last.
void addAsStored(const Text& text, std::set<Text>& texts) {
  for (std::size_t capacity : {std::size_t(255), std::size_t(260)}) {
    Text cut = text.substr(0, capacity - 1);
    texts.insert(cut);
    if (!cut.empty() && cut.back() >= 0xD800 && cut.back() <= 0xDBFF) texts.insert(cut.substr(0, cut.size() - 1));
  }
}

// What the document could have given the device: the ids its elements carry, and the texts
// of their values as a record keeps them.
struct DocumentFacts {
  std::set<std::int32_t> ids;
  std::set<Text> texts;
};

Text attributeText(IXMLDOMElement* element, const WCHAR* name, bool& present) {
  BSTR attribute = SysAllocString(name);
  VARIANT value;
  value.vt = VT_EMPTY;
  Text text;
  present = element->getAttribute(attribute, &value) == S_OK && value.vt == VT_BSTR;
  if (present) text.assign(value.bstrVal, SysStringLen(value.bstrVal));
  VariantClear(&value);
  SysFreeString(attribute);
  return text;
}

DocumentFacts documentFacts(const std::string& content) {
  DocumentFacts facts;
  IXMLDOMDocument* document = nullptr;
  if (FAILED(CreateXmlDocument(&document))) return facts;
  fuzzdevice::replaceFile(deviceFile("Temp/facts.cfg"), content);
  VARIANT source;
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(WSTR("\\Temp\\facts.cfg"));
  VARIANT_BOOL loaded = VARIANT_FALSE;
  document->load(source, &loaded);
  SysFreeString(source.bstrVal);
  BSTR all = SysAllocString(WSTR("*"));
  IXMLDOMNodeList* list = nullptr;
  if (loaded == VARIANT_TRUE && SUCCEEDED(document->getElementsByTagName(all, &list)) && list) {
    IXMLDOMNode* node = nullptr;
    while (list->nextNode(&node) == S_OK && node) {
      IXMLDOMElement* element = nullptr;
      if (SUCCEEDED(node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element)))) {
        bool present = false;
        std::int32_t id = 0;
        Text idText = attributeText(element, WSTR("id"), present);
        if (present && idNumber(idText, id)) facts.ids.insert(id);
        Text value = attributeText(element, WSTR("VALUE"), present);
        if (present) {
          addAsStored(value, facts.texts);
          Text decoded;
          if (binHexDecoded(value, decoded)) addAsStored(decoded, facts.texts);
        }
        element->Release();
      }
      node->Release();
    }
    list->Release();
  }
  SysFreeString(all);
  document->Release();
  return facts;
}

bool anyOf(const std::set<std::int32_t>& ids, const std::set<std::int32_t>& wanted) {
  for (std::int32_t id : wanted) {
    if (ids.count(id)) return true;
  }
  return false;
}

void checkNumbered(const std::map<std::int32_t, std::int32_t>& before,
                   const std::map<std::int32_t, std::int32_t>& after,
                   const std::map<std::int32_t, std::set<std::int32_t>>& writers,
                   const std::set<std::int32_t>& ids, const char* what) {
  std::set<std::int32_t> numbers;
  for (const auto& entry : before) numbers.insert(entry.first);
  for (const auto& entry : after) numbers.insert(entry.first);
  for (std::int32_t number : numbers) {
    auto b = before.find(number), a = after.find(number);
    bool same = b != before.end() && a != after.end() && b->second == a->second;
    if (same) continue;
    auto writer = writers.find(number);
    FUZZ_CHECK(writer != writers.end() && anyOf(ids, writer->second),
               std::string(what) + " " + std::to_string(number) +
                   " changed, but the document has no element that writes it");
  }
}

bool sameApplications(const std::vector<StoredAppEntry>& a, const std::vector<StoredAppEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].title != b[i].title || a[i].executable != b[i].executable ||
        a[i].arguments != b[i].arguments || a[i].iconFile != b[i].iconFile ||
        a[i].runAtStartup != b[i].runAtStartup || a[i].startupDelay != b[i].startupDelay)
      return false;
  }
  return true;
}

bool sameHotkeys(const std::vector<StoredHotkeyEntry>& a, const std::vector<StoredHotkeyEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].keyCode != b[i].keyCode || a[i].modifiers != b[i].modifiers ||
        a[i].action != b[i].action || a[i].data != b[i].data ||
        a[i].application != b[i].application || a[i].arguments != b[i].arguments)
      return false;
  }
  return true;
}

bool sameWindows(const std::vector<DeviceWindow>& a, const std::vector<DeviceWindow>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].className != b[i].className || a[i].title != b[i].title) return false;
  }
  return true;
}

// Every text of the device's records came from somewhere: the device before, or the document.
void checkTextOrigins(const DeviceState& before, const DeviceState& after,
                      const std::set<Text>& documentTexts) {
  std::set<Text> known = documentTexts;
  known.insert(Text());
  for (const StoredAppEntry& a : before.settings.applications) {
    known.insert({a.title, a.executable, a.arguments, a.iconFile});
  }
  for (const StoredHotkeyEntry& h : before.settings.hotkeys) known.insert({h.application, h.arguments});
  if (before.settings.errorPages) known.insert(before.settings.errorPages->begin(), before.settings.errorPages->end());
  for (const Text& page : defaultErrorPages()) known.insert(page);

  auto check = [&known](const Text& text, const std::string& what) {
    FUZZ_CHECK(known.count(text), what + " holds a text that neither the device held nor the document "
                                         "gave: \"" + textToUtf8(text.c_str(), text.size()) + "\"");
  };
  for (std::size_t i = 0; i < after.settings.applications.size(); ++i) {
    const StoredAppEntry& a = after.settings.applications[i];
    const std::string where = "application " + std::to_string(i + 1);
    check(a.title, where + " title");
    check(a.executable, where + " executable");
    check(a.arguments, where + " arguments");
    check(a.iconFile, where + " icon file");
  }
  for (std::size_t i = 0; i < after.settings.hotkeys.size(); ++i) {
    const std::string where = "hotkey " + std::to_string(i + 1);
    check(after.settings.hotkeys[i].application, where + " application");
    check(after.settings.hotkeys[i].arguments, where + " arguments");
  }
  if (after.settings.errorPages) {
    for (const Text& page : *after.settings.errorPages) check(page, "an error page");
  }
}

// Only the settings, registry values and windows: what the journals hold differs by design.
std::string settingsJson(const DeviceState& state) {
  DeviceState settingsOnly;
  static_cast<LoadableState&>(settingsOnly) = state;
  return stateToJson(settingsOnly);
}

void checkAfter(const std::string& content, std::int32_t result) {
  std::string registry = fuzzdevice::readFile(stateFile("registry.reg"));
  regfile::Tree tree;
  regfile::ParseError error;
  FUZZ_CHECK(regfile::parse(registry, tree, error),
             "the registry file reads: line " + std::to_string(error.line) + ": " + error.message);
  FUZZ_CHECK(lockIsFree(), "the device lock is free after the call");

  DeviceState after = readState();
  FUZZ_CHECK(after.report.size() == 1 && after.report[0].call == "applyConfiguration",
             "the call left one report entry");
  FUZZ_CHECK((result == 0) == after.report[0].errors.empty(),
             "the call answers 0 exactly when it reported no error (it answered " +
                 std::to_string(result) + ")");

  if (after.calls.empty()) {
    FUZZ_CHECK(settingsJson(after) == settingsJson(fixture.before),
               "a document refused before the plug-in ran leaves the device as it was:\n" +
                   settingsJson(after));
    return;
  }

  LoadableState loadable;
  std::string problem;
  FUZZ_CHECK(stateFromJson(stateToJson(after), loadable, problem),
             "the device holds a state that a state file can carry: " + problem);

  const DeviceState& before = fixture.before;
  FUZZ_CHECK(after.packageRoot == before.packageRoot, "the package root is untouched");
  FUZZ_CHECK(after.configFiltersOff == before.configFiltersOff, "the filter switch is untouched");
  FUZZ_CHECK(sameWindows(after.windows, before.windows), "the windows are untouched");

  const DocumentFacts facts = documentFacts(content);
  const std::set<std::int32_t>& ids = facts.ids;
  checkTextOrigins(before, after, facts.texts);
  checkNumbered(before.settings.settings, after.settings.settings, kSettingWriters, ids, "setting");
  checkNumbered(before.settings.viewSettings, after.settings.viewSettings, kViewSettingWriters, ids,
                "view setting");
  FUZZ_CHECK(after.settings.password == before.settings.password || ids.count(kPasswordId),
             "the password changed without a password element");
  FUZZ_CHECK(sameApplications(after.settings.applications, before.settings.applications) ||
                 ids.count(kApplicationsId),
             "the applications changed without an application list");
  FUZZ_CHECK(sameHotkeys(after.settings.hotkeys, before.settings.hotkeys) || ids.count(kHotkeysId),
             "the hotkeys changed without a hotkey list");
  bool pagesNamed = false;
  for (std::int32_t id = kFirstErrorPageId; id <= kLastErrorPageId; ++id) pagesNamed |= ids.count(id) > 0;
  FUZZ_CHECK(after.settings.errorPages == before.settings.errorPages || pagesNamed,
             "the error pages changed without an error page element");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  layDownDevice();
  loadManager();
  FUZZ_CHECK(applyFile(kNeutralDocument) == 0, "the empty component applies without an error");
  fixture.registryBefore = fuzzdevice::readFile(stateFile("registry.reg"));
  fixture.before = readState();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  restore();
  std::int32_t result = applyFile(content);
  checkAfter(content, result);
  return 0;
}
