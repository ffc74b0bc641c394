// The plug-in's two exports, called by the configuration manager, and the steps they share.
#pragma once

#include "platform/export.h"
#include "platform/xmldom.h"

class ConfigNode;

// Moves the component's values from the configuration document into the device's settings.
// 0 when the call ran to its end (problems reported as warnings), -1 when it failed.
QRV_EXPORT int QRV_ApplySettings(IXMLDOMDocument* configuration, IXMLDOMDocument* report);
// Appends a new component element holding the device's settings, written in the schema
// version that `version` names ("" for the newest).
QRV_EXPORT int QRV_SaveSettings(IXMLDOMDocument* configuration, IXMLDOMDocument* report,
                                const WCHAR* version);

// The first top-level element whose TYPE is "CONFIGURATION" (letter case ignored), attached
// to `result`: 0 when found, 1 otherwise.
int findConfigurationNode(ConfigNode* result);
void setVersion(ConfigNode* component, const WCHAR* version);
