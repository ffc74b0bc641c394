// The manager's small DOM helpers: an element's attribute as text, and a node as an element.
#pragma once

#include "platform/com_ref.h"
#include "platform/text.h"
#include "platform/xmldom.h"

// The text of an element's attribute; false when it is absent or cannot be read as text.
bool readAttribute(IXMLDOMElement* element, const WCHAR* name, Text& value);

// The element interface of a node; empty when the node is not an element.
ComRef<IXMLDOMElement> asElement(IXMLDOMNode* node);
