// Reading, searching and writing configuration documents through the platform DOM.
#pragma once

#include "manager/call_report.h"
#include "manager/components.h"
#include "manager/dom_support.h"

#include <vector>

// Loads the file at `path`. On failure the report gets an ERROR saying what and where, and the
// result is empty.
ComRef<IXMLDOMDocument> loadConfigurationFile(const WCHAR* path, CallReport& report);

// The first top-level element whose TYPE is "CONFIGURATION" (letter case ignored); empty when
// there is none.
ComRef<IXMLDOMElement> findConfigurationElement(IXMLDOMDocument* document);

// The registered components whose element lies below `configuration`, in document order: each
// found depth first by its id, never inside another component's element.
std::vector<Component> componentsInDocument(IXMLDOMElement* configuration,
                                            const std::vector<Component>& registered);

// A new document holding only the CONFIGURATION element of an export.
ComRef<IXMLDOMDocument> newExportDocument(CallReport& report);
