// The documents of the export call in progress: module-wide, borrowed, set at each call.
#pragma once

#include "platform/xmldom.h"

int setDocuments(IXMLDOMDocument* configuration, IXMLDOMDocument* report);
IXMLDOMDocument* configurationDocument();
IXMLDOMDocument* reportDocument();
