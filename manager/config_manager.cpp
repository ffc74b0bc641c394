// The configuration manager's three entry points: apply a configuration file, export the
// device's configuration, and describe itself.
#include "manager/config_manager.h"

#include "manager/call_report.h"
#include "manager/components.h"
#include "manager/configuration_document.h"
#include "platform/device.h"
#include "platform/export.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace {

constexpr std::int32_t kOk = 0;
constexpr std::int32_t kFailed = -1;

const WCHAR* componentLabel(const Component& component) {
  return component.name.empty() ? component.id.c_str() : component.name.c_str();
}

// Calls into a component library. Whatever it throws stays here: it must neither skip the
// report log entry nor leave the manager's export, where its caller cannot catch it.
template <typename Call>
bool callComponent(Call call) {
  try {
    call();
    return true;
  } catch (...) {
    return false;
  }
}

// Loads the component's library, looks up its `kind` ("apply" or "save") entry by the name
// `entryName` and hands it to `call` with a fresh report document, then takes what the
// component reported. Each step that fails is the call's error.
template <typename Entry, typename Call>
void callComponentEntry(const Component& component, const std::string& entryName,
                        const WCHAR* kind, CallReport& report, Call call) {
  HMODULE library = componentLibrary(component);
  if (library == nullptr) {
    report.addError(WSTR("Cannot load the library '%s' of component '%s'"),
                    component.library.c_str(), componentLabel(component));
    return;
  }
  auto entry = componentEntry<Entry>(library, entryName);
  if (entry == nullptr) {
    Text name = textFromUtf8(entryName);
    report.addError(WSTR("The library '%s' of component '%s' has no %s entry '%s'"),
                    component.library.c_str(), componentLabel(component), kind, name.c_str());
    return;
  }
  ComRef<IXMLDOMDocument> reportDocument = report.newReportDocument();
  if (!reportDocument) return;
  if (!callComponent([&] { call(entry, reportDocument.get()); })) {
    report.addError(WSTR("The %s entry of component '%s' ended with an unexpected exception"),
                    kind, componentLabel(component));
  }
  report.collect(reportDocument.get());
}

void applyComponent(const Component& component, IXMLDOMDocument* document, CallReport& report) {
  callComponentEntry<ComponentApplyFn>(
      component, component.applyEntry, WSTR("apply"), report,
      [document](ComponentApplyFn apply, IXMLDOMDocument* reportDocument) {
        apply(document, reportDocument);
      });
}

void saveComponent(const Component& component, IXMLDOMDocument* document, CallReport& report) {
  // The empty version label asks for the newest version of the component's schema.
  callComponentEntry<ComponentSaveFn>(
      component, component.saveEntry, WSTR("save"), report,
      [document](ComponentSaveFn save, IXMLDOMDocument* reportDocument) {
        save(document, reportDocument, WSTR(""));
      });
}

// The call's registry writes become durable here, before the call returns (its caller may then
// delete the file it applied); a failure is the call's error, never lost in silence.
void storeSettings(CallReport& report) {
  if (RegFlushKey(HKEY_LOCAL_MACHINE) != ERROR_SUCCESS ||
      RegFlushKey(HKEY_CURRENT_USER) != ERROR_SUCCESS) {
    report.addError(WSTR("The settings changed by this call could not be stored"));
  }
}

std::int32_t finish(const CallReport& report) {
  report.writeLogEntry();
  return report.hasErrors() ? kFailed : kOk;
}

std::int32_t applyFile(const WCHAR* path) {
  device::Lock lock;
  const WCHAR* file = path ? path : WSTR("");
  CallReport report("applyConfiguration", file);
  if (!lock.held()) {
    report.addError(WSTR("Cannot lock the device; '%s' was not applied"), file);
    return finish(report);
  }

  ComRef<IXMLDOMDocument> document = loadConfigurationFile(file, report);
  if (!document) return finish(report);

  ComRef<IXMLDOMElement> configuration = findConfigurationElement(document.get());
  if (!configuration) {
    report.addError(WSTR("'%s' has no element with TYPE \"CONFIGURATION\""), file);
    return finish(report);
  }
  std::vector<Component> components =
      componentsInDocument(configuration.get(), registeredComponents());
  if (components.empty()) {
    report.addError(WSTR("'%s' holds no registered component"), file);
    return finish(report);
  }
  for (const Component& component : components) {
    applyComponent(component, document.get(), report);
  }
  storeSettings(report);
  return finish(report);
}

std::int32_t exportConfiguration(WCHAR* buffer, std::int32_t capacity) {
  device::Lock lock;
  const std::size_t room = buffer != nullptr && capacity > 0 ? std::size_t(capacity) : 0;
  if (room > 0) buffer[0] = 0;
  CallReport report("getConfiguration", WSTR(""));
  if (!lock.held()) {
    report.addError(WSTR("Cannot lock the device; the configuration was not exported"));
    return finish(report);
  }

  ComRef<IXMLDOMDocument> document = newExportDocument(report);
  if (!document) return finish(report);
  std::vector<Component> components = registeredComponents();
  if (components.empty()) report.addWarning(WSTR("No component is registered"));
  for (const Component& component : components) {
    saveComponent(component, document.get(), report);
  }
  storeSettings(report);

  CreateDirectoryW(WSTR("\\Temp"), nullptr);
  Variant destination;
  destination.setString(QRV_EXPORT_FILE);
  if (FAILED(document->save(destination.get()))) {
    report.addError(WSTR("Cannot write '%s'"), QRV_EXPORT_FILE);
    return finish(report);
  }
  report.setFile(QRV_EXPORT_FILE);
  // A path cut to fit would name another file: the caller gets all of it or nothing.
  if (room > 0 && !textCopy(buffer, room, QRV_EXPORT_FILE)) buffer[0] = 0;
  return finish(report);
}

std::int32_t describe(WCHAR* buffer, std::int32_t capacity) {
  device::Lock lock;
  CallReport report("getInfo", WSTR(""));
  Text line = WSTR("CVConfigManager 1.0");
  std::vector<Component> components = registeredComponents();
  if (components.empty()) line += WSTR(": no components");
  for (std::size_t i = 0; i < components.size(); ++i) {
    line += i == 0 ? WSTR(": ") : WSTR("; ");
    line += components[i].id;
    if (!components[i].name.empty()) line += WSTR(" ") + components[i].name;
  }
  if (buffer != nullptr && capacity > 0) textCopy(buffer, std::size_t(capacity), line.c_str());
  return finish(report);
}

// Runs an entry point's body: nothing thrown inside (the manager's own allocations) leaves an
// entry point.
template <typename Body>
std::int32_t guardedEntry(Body body) {
  try {
    return body();
  } catch (...) {
    return kFailed;
  }
}

}  // namespace

QRV_EXPORT std::int32_t applyConfiguration(const WCHAR* path) {
  return guardedEntry([&] { return applyFile(path); });
}

QRV_EXPORT std::int32_t getConfiguration(WCHAR* buffer, std::int32_t capacity) {
  return guardedEntry([&] { return exportConfiguration(buffer, capacity); });
}

QRV_EXPORT std::int32_t getInfo(WCHAR* buffer, std::int32_t capacity) {
  return guardedEntry([&] { return describe(buffer, capacity); });
}
