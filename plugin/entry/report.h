// Errors and warnings, appended as ERROR and WARNING elements to the report document.
#pragma once

#include "platform/text.h"
#include "platform/xmldom.h"

// printf-style, as CVCException. Dropped silently when the report document has no ERRORS
// (WARNINGS) element. Never throw.
void reportError(const WCHAR* format, ...);
void reportWarning(const WCHAR* format, ...);

// The first element of that tag name in the report document, with one reference for the
// caller; null when there is none.
IXMLDOMElement* findFirstElement(const WCHAR* tagName);
