// Shared pieces of the schema tests: schema entries built from literals, a fixture holding a
// configuration and a report document on a temporary device, an outline of element trees,
// and handlers that record their calls.
#pragma once

#include "platform/registry.h"
#include "platform/xmldom.h"
#include "plugin/entry/context.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/filters.h"
#include "plugin/schema/schema.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace schema_test {

inline std::string utf8(const WCHAR* text) { return text ? textToUtf8(text) : std::string("(null)"); }

// An entry with its type string, then each attribute string, every one terminated; the rest of
// the record is zero.
inline SchemaEntry makeEntry(const WCHAR* typeString, std::int32_t id = -1,
                             ParamHandler handler = nullptr, EntryFilter filter = nullptr,
                             std::initializer_list<const WCHAR*> attributes = {}) {
  SchemaEntry entry{};
  std::size_t at = 0;
  auto put = [&](const WCHAR* text) {
    const std::size_t length = textLength(text);
    if (at + length + 1 >= kSchemaTextCapacity) std::abort();  // a test table that cannot fit
    for (std::size_t k = 0; k < length; ++k) entry.text[at++] = text[k];
    entry.text[at++] = 0;
  };
  put(typeString);
  for (const WCHAR* attribute : attributes) put(attribute);
  entry.id = id;
  entry.handler = handler;
  entry.filter = filter;
  return entry;
}

inline SchemaVersion makeVersion(const WCHAR* label, const std::vector<SchemaEntry>& entries) {
  SchemaVersion version{};
  textCopy(version.label, sizeof(version.label) / sizeof(WCHAR), label);
  version.entries = entries.data();
  version.size = static_cast<std::uint32_t>(entries.size() * sizeof(SchemaEntry));
  return version;
}

// The element children of an element, each with one reference that the caller releases.
inline std::vector<IXMLDOMElement*> childElements(IXMLDOMNode* parent) {
  std::vector<IXMLDOMElement*> result;
  IXMLDOMNodeList* list = nullptr;
  if (FAILED(parent->get_childNodes(&list)) || !list) return result;
  IXMLDOMNode* node = nullptr;
  while (list->nextNode(&node) == S_OK && node) {
    IXMLDOMElement* element = nullptr;
    if (SUCCEEDED(node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element))) &&
        element) {
      result.push_back(element);
    }
    node->Release();
    node = nullptr;
  }
  list->Release();
  return result;
}

inline std::string attributeText(IXMLDOMElement* element, const WCHAR* name, bool* present) {
  BSTR bname = SysAllocString(name);
  VARIANT value;
  VariantInit(&value);
  *present = element->getAttribute(bname, &value) == S_OK && V_VT(&value) == VT_BSTR;
  std::string text = *present ? utf8(V_BSTR(&value) ? V_BSTR(&value) : WSTR("")) : "";
  VariantClear(&value);
  SysFreeString(bname);
  return text;
}

// One line per element, two blanks of indentation per level: the tag, then the attributes the
// system gives meaning to (those present), then the text of an element without children.
inline void outline(IXMLDOMElement* element, int level, std::string& out) {
  BSTR tag = nullptr;
  element->get_tagName(&tag);
  out += std::string(2 * level, ' ') + utf8(tag ? tag : WSTR(""));
  SysFreeString(tag);
  for (const WCHAR* name : {WSTR("NAME"), WSTR("TYPE"), WSTR("id"), WSTR("VERSION"),
                            WSTR("MIMETYPE"), WSTR("STRINGTYPE"), WSTR("VALUE")}) {
    bool present = false;
    std::string value = attributeText(element, name, &present);
    if (present) out += " " + utf8(name) + "=" + value;
  }
  std::vector<IXMLDOMElement*> children = childElements(element);
  if (children.empty()) {
    BSTR text = nullptr;
    element->get_text(&text);
    if (text && text[0]) out += " \"" + utf8(text) + "\"";
    SysFreeString(text);
  }
  out += "\n";
  for (IXMLDOMElement* child : children) {
    outline(child, level + 1, out);
    child->Release();
  }
}

// The outline of an element's children (not the element itself).
inline std::string outlineOfChildren(ConfigNode& node) {
  std::string out;
  for (IXMLDOMElement* child : childElements(node.element())) {
    outline(child, 0, out);
    child->Release();
  }
  return out;
}

// Handler calls, in order, as the recording handlers write them.
inline std::vector<std::string>& calls() {
  static std::vector<std::string> list;
  return list;
}

// Records the node's NAME.
inline int Record(ConfigNode* node, ConfigNode*, Direction) {
  calls().push_back(utf8(node->getName()));
  return 0;
}

// Records "NAME parent=PARENT children=N dir=Apply|Save".
inline int RecordDetail(ConfigNode* node, ConfigNode* parent, Direction direction) {
  IXMLDOMElement* element = node->element();
  std::vector<IXMLDOMElement*> children = childElements(element);
  for (IXMLDOMElement* child : children) child->Release();
  calls().push_back(utf8(node->getName()) + " parent=" + utf8(parent->getName()) +
                    " children=" + std::to_string(children.size()) +
                    " dir=" + (direction == Save ? "Save" : "Apply"));
  return 0;
}

// Fails with a message that holds a conversion, which must reach the report as it stands.
inline int Fail(ConfigNode* node, ConfigNode*, Direction) {
  calls().push_back(utf8(node->getName()));
  throw CVCException(WSTR("%s"), WSTR("Cannot store 100%s of it"));
}

// Takes its own element out of the document, then fails: the walker cannot take it back.
inline int DetachAndFail(ConfigNode* node, ConfigNode* parent, Direction) {
  IXMLDOMNode* removed = nullptr;
  parent->element()->removeChild(node->element(), &removed);
  if (removed) removed->Release();
  throw CVCException(WSTR("detached"));
}

// A configuration document with one component element, a report document with ERRORS and
// WARNINGS, both installed as the documents of the call; a temporary device beneath them so
// that the filter switch is read from an empty registry unless a test writes one.
class WalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFiltersOffCacheForTesting();
    calls().clear();
    ASSERT_EQ(S_OK, CreateXmlDocument(&configuration_));
    ASSERT_EQ(S_OK, CreateXmlDocument(&report_));
    loadXml(report_, WSTR("<REPORT><ERRORS/><WARNINGS/></REPORT>"));
    setDocuments(configuration_, report_);
  }
  void TearDown() override {
    component.assign(nullptr);
    root.assign(nullptr);
    setDocuments(nullptr, nullptr);
    if (configuration_) configuration_->Release();
    if (report_) report_->Release();
    ResetFiltersOffCacheForTesting();
  }

  static void loadXml(IXMLDOMDocument* document, const WCHAR* xml) {
    BSTR text = SysAllocString(xml);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(S_OK, document->loadXML(text, &ok));
    SysFreeString(text);
    ASSERT_EQ(VARIANT_TRUE, ok);
  }

  // Loads the configuration document; `root` holds its document element and `component` the
  // first element child of it, when there is one.
  void loadConfiguration(const WCHAR* xml) {
    loadXml(configuration_, xml);
    IXMLDOMElement* element = nullptr;
    ASSERT_EQ(S_OK, configuration_->get_documentElement(&element));
    root.assign(element);
    element->Release();
    std::vector<IXMLDOMElement*> children = childElements(root.element());
    if (!children.empty()) component.assign(children[0]);
    for (IXMLDOMElement* child : children) child->Release();
  }

  // A CONFIGURATION root with one empty component (`TYPE` as given), for Save walks.
  void makeComponent(const WCHAR* type = WSTR("COMPONENT"), std::int32_t id = 61000) {
    loadConfiguration(WSTR("<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\"/>"));
    root.createChild(WSTR("Component"), id, &component);
    component.setTypeByString(type, nullptr);
  }

  std::vector<std::string> reports(const WCHAR* tag) {
    std::vector<std::string> texts;
    BSTR name = SysAllocString(tag);
    IXMLDOMNodeList* list = nullptr;
    if (SUCCEEDED(report_->getElementsByTagName(name, &list)) && list) {
      IXMLDOMNode* node = nullptr;
      while (list->nextNode(&node) == S_OK && node) {
        BSTR text = nullptr;
        node->get_text(&text);
        texts.push_back(utf8(text ? text : WSTR("")));
        SysFreeString(text);
        node->Release();
        node = nullptr;
      }
      list->Release();
    }
    SysFreeString(name);
    return texts;
  }
  std::vector<std::string> warnings() { return reports(WSTR("WARNING")); }
  std::vector<std::string> errors() { return reports(WSTR("ERROR")); }

  // Writes HKCU\Software\Corvane\ConfigFiltersOff on the temporary device.
  static void setFilterSwitch(DWORD type, const BYTE* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Corvane"), 0,
                                             nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, WSTR("ConfigFiltersOff"), 0, type, data, size));
    RegCloseKey(key);
  }
  static void setFilterSwitch(DWORD value) {
    setFilterSwitch(REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  }

  TempDevice device;
  ConfigNode root;
  ConfigNode component;

 private:
  IXMLDOMDocument* configuration_ = nullptr;
  IXMLDOMDocument* report_ = nullptr;
};

inline std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

}  // namespace schema_test
