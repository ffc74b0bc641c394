// What the device under test does where the emulated device and Windows differ, asked of the
// device at run time. A case that holds one device's own behaviour asks first and skips itself
// with the reason (GTEST_SKIP) where the device does otherwise.
#pragma once

#include "platform/device.h"
#include "platform/registry.h"
#include "platform/window.h"
#include "support/xml_document.h"

#include <string>
#include <vector>

// Whether get_xml writes a node's markup as it stands, without line breaks or indenting of
// its own. (Windows' DOM lays the markup out; the trees are the same.)
inline bool domWritesMarkupAsItStands() {
  ComRef<IXMLDOMDocument> document = documentFrom(u"<A><B/></A>");
  if (!document) return false;
  ComRef<IXMLDOMElement> root = rootOf(document.get());
  return root && xmlOf(root.get()) == u"<A><B/></A>";
}

// Whether two look-ups of one node give the same pointer. (Windows' DOM hands out a new
// wrapper for each look-up.)
inline bool domKeepsNodeIdentity() {
  ComRef<IXMLDOMDocument> document = documentFrom(u"<A/>");
  if (!document) return false;
  auto lookUp = [&document]() {
    ComRef<IXMLDOMElement> element;
    BString tag = bstrOf(u"A");
    ComRef<IXMLDOMNodeList> list;
    ComRef<IXMLDOMNode> first;
    if (document->getElementsByTagName(tag.get(), list.out()) == S_OK && list &&
        list->nextNode(first.out()) == S_OK && first) {
      element = asElement(first.get());
    }
    return element;
  };
  ComRef<IXMLDOMElement> once = lookUp(), twice = lookUp();
  return once && once.get() == twice.get();
}

// Whether setAttribute refuses a name that is not an XML name ("1bad"). (Wine's DOM takes it.)
inline bool domRefusesNonXmlNames() {
  ComRef<IXMLDOMDocument> document = newDocument();
  if (!document) return false;
  ComRef<IXMLDOMElement> element = createElement(document.get(), u"E");
  return element && FAILED(setAttributeOf(element.get(), u"1bad", u"x"));
}

// Whether the registry is the current device's own, kept in its state folder and empty while
// the device is new, as each test's TempDevice is. (Windows has one registry for the system,
// holding what was there before the test.) Ask while the test's device is the current one.
inline bool deviceHasItsOwnRegistry() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software"), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegCloseKey(key);
    return false;
  }
  return true;
}

// Whether the device's windows are those its state file "windows" lists, and what is sent to
// them is journaled in its state file "messages". (Windows has real windows.) The probe's
// window is listed for the moment of the question and the list is put back as it was.
inline bool deviceJournalsMessages() {
  std::vector<std::string> listed = device::readStateLines("windows");
  (void)device::appendStateLine("windows", "QRV capability probe\tQRV capability probe");
  bool found = FindWindowW(WSTR("QRV capability probe"), WSTR("QRV capability probe")) != nullptr;
  (void)device::clearStateFile("windows");
  for (const std::string& line : listed) (void)device::appendStateLine("windows", line);
  return found;
}
