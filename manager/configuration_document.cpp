// Reading, searching and writing configuration documents through the platform DOM.
#include "manager/configuration_document.h"

#include "platform/files.h"

namespace {

// Parser reasons often end in a line break; the report wants one line.
Text trimmed(Text text) {
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ' ||
                           text.back() == u'\t' || text.back() == u'.')) {
    text.pop_back();
  }
  return text;
}

const Component* registeredById(const std::vector<Component>& registered, const Text& id) {
  for (const Component& component : registered) {
    if (component.id == id) return &component;
  }
  return nullptr;
}

bool isComponent(IXMLDOMElement* element) {
  Text type;
  return readAttribute(element, WSTR("TYPE"), type) &&
         textCompareNoCase(type.c_str(), WSTR("COMPONENT")) == 0;
}

void collectComponents(IXMLDOMNode* parent, const std::vector<Component>& registered,
                       std::vector<Component>& found, int depth) {
  if (depth >= kXmlMaxDepth) return;
  ComRef<IXMLDOMNode> child;
  if (parent->get_firstChild(child.out()) != S_OK) return;
  while (child) {
    ComRef<IXMLDOMElement> element = asElement(child.get());
    Text id;
    const Component* component = nullptr;
    if (element && readAttribute(element.get(), WSTR("id"), id)) {
      component = registeredById(registered, id);
    }
    if (component != nullptr) {
      if (registeredById(found, id) == nullptr) found.push_back(*component);
    } else if (element && !isComponent(element.get())) {
      // What lies inside another component is that component's own.
      collectComponents(child.get(), registered, found, depth + 1);
    }
    ComRef<IXMLDOMNode> next;
    if (child->get_nextSibling(next.out()) != S_OK) break;
    child = std::move(next);
  }
}

}  // namespace

ComRef<IXMLDOMDocument> loadConfigurationFile(const WCHAR* path, CallReport& report) {
  WIN32_FILE_ATTRIBUTE_DATA file;
  if (GetFileAttributesExW(path, GetFileExInfoStandard, &file) &&
      ((static_cast<std::uint64_t>(file.nFileSizeHigh) << 32) | file.nFileSizeLow) >
          kMaxConfigurationFileBytes) {
    report.addError(WSTR("Cannot load '%s': the file is larger than the %u bytes (1 MiB) a "
                         "configuration document may have"),
                    path, static_cast<std::uint32_t>(kMaxConfigurationFileBytes));
    return ComRef<IXMLDOMDocument>();
  }
  ComRef<IXMLDOMDocument> document;
  if (FAILED(CreateXmlDocument(document.out())) || !document) {
    report.addError(WSTR("Cannot load '%s': no XML document can be created"), path);
    return ComRef<IXMLDOMDocument>();
  }
  document->put_async(VARIANT_FALSE);
  // A path that cannot be copied leaves no source, which load reports as such.
  Variant source;
  source.setString(path);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  HRESULT hr = document->load(source.get(), &loaded);
  if (SUCCEEDED(hr) && loaded == VARIANT_TRUE) return document;

  Text reason;
  long line = 0;
  ComRef<IXMLDOMParseError> error;
  if (SUCCEEDED(document->get_parseError(error.out())) && error) {
    BString text;
    if (SUCCEEDED(error->get_reason(text.out()))) reason = trimmed(text.text());
    if (FAILED(error->get_line(&line))) line = 0;
  }
  if (reason.empty()) reason = WSTR("the file cannot be read");
  if (line > 0) {
    report.addError(WSTR("Cannot load '%s': %s (line %i)"), path, reason.c_str(),
                    static_cast<int>(line));
  } else {
    report.addError(WSTR("Cannot load '%s': %s"), path, reason.c_str());
  }
  return ComRef<IXMLDOMDocument>();
}

ComRef<IXMLDOMElement> findConfigurationElement(IXMLDOMDocument* document) {
  ComRef<IXMLDOMNode> child;
  if (document == nullptr || document->get_firstChild(child.out()) != S_OK) {
    return ComRef<IXMLDOMElement>();
  }
  while (child) {
    ComRef<IXMLDOMElement> element = asElement(child.get());
    Text type;
    if (element && readAttribute(element.get(), WSTR("TYPE"), type) &&
        textCompareNoCase(type.c_str(), WSTR("CONFIGURATION")) == 0) {
      return element;
    }
    ComRef<IXMLDOMNode> next;
    if (child->get_nextSibling(next.out()) != S_OK) break;
    child = std::move(next);
  }
  return ComRef<IXMLDOMElement>();
}

std::vector<Component> componentsInDocument(IXMLDOMElement* configuration,
                                            const std::vector<Component>& registered) {
  std::vector<Component> found;
  if (configuration != nullptr) collectComponents(configuration, registered, found, 1);
  return found;
}

ComRef<IXMLDOMDocument> newExportDocument(CallReport& report) {
  ComRef<IXMLDOMDocument> document;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  BString xml(WSTR("<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\"/>"));
  if (FAILED(CreateXmlDocument(document.out())) || !document ||
      FAILED(document->loadXML(xml.get(), &loaded)) || loaded != VARIANT_TRUE) {
    report.addError(WSTR("Cannot create the configuration document"));
    return ComRef<IXMLDOMDocument>();
  }
  return document;
}
