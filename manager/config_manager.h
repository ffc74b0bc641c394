// The configuration manager's entry points, as its callers bind them by name, and the exports
// it expects of a component library.
#pragma once

#include "platform/text.h"
#include "platform/xmldom.h"

#include <cstdint>

// Writes one line naming the manager and its components, cut to `capacity` units.
typedef std::int32_t (*GetInfoFn)(WCHAR* buffer, std::int32_t capacity);
// Writes the device's configuration to a file and puts that file's path in the buffer (an empty
// text when the path does not fit).
typedef std::int32_t (*GetConfigurationFn)(WCHAR* buffer, std::int32_t capacity);
// Applies the configuration document in the file at `path`.
typedef std::int32_t (*ApplyConfigurationFn)(const WCHAR* path);
// All three answer 0 when the call ran without errors, -1 otherwise; the errors and warnings
// go to the report log.

constexpr const char* kGetInfoEntry = "getInfo";
constexpr const char* kGetConfigurationEntry = "getConfiguration";
constexpr const char* kApplyConfigurationEntry = "applyConfiguration";

// A component library's exports, named by its registration's Apply and Save values. The
// documents are lent for the call; the result is 0 or -1.
typedef int (*ComponentApplyFn)(IXMLDOMDocument* configuration, IXMLDOMDocument* report);
typedef int (*ComponentSaveFn)(IXMLDOMDocument* configuration, IXMLDOMDocument* report,
                               const WCHAR* versionLabel);

// Where the manager writes the exported configuration.
#define QRV_EXPORT_FILE WSTR("\\Temp\\CVConfiguration.xml")
