// Errors and warnings, appended as ERROR and WARNING elements to the report document.
#pragma once

#include "platform/com_ref.h"
#include "platform/text.h"
#include "platform/xmldom.h"

// printf-style, as CVCException. Dropped silently when the report document has no ERRORS
// (WARNINGS) element. Never throw.
void reportError(const WCHAR* format, ...);
void reportWarning(const WCHAR* format, ...);

// The first element of that tag name in the report document, holding one reference for the
// caller; empty when there is none.
ComRef<IXMLDOMElement> findFirstElement(const WCHAR* tagName);
