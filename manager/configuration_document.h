// Reading, searching and writing configuration documents through the platform DOM.
#pragma once

#include "manager/call_report.h"
#include "manager/components.h"
#include "manager/dom_support.h"

#include <cstdint>
#include <vector>

// The largest configuration file the manager reads. A document costs about ten times its
// size in memory once parsed (the file's bytes, the parser's buffers, the DOM's UTF-16 text
// and nodes), and the manager runs in the device's 32 MiB process slot beside the plug-in and
// the settings library: 1 MiB keeps the peak near a third of the slot, five times the
// largest document the device itself writes (every list full, every text at its capacity).
constexpr std::uint64_t kMaxConfigurationFileBytes = 1024 * 1024;

// Loads the file at `path`. On failure the report gets an ERROR saying what and where, and the
// result is empty; a file larger than kMaxConfigurationFileBytes is refused before it is read.
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
