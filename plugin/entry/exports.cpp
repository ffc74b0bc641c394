// The plug-in's exports: find the configuration element, load the settings, walk the
// component in either direction, commit after an Apply; nothing escapes to the host.
#include "plugin/entry/exports.h"

#include "platform/com_ref.h"
#include "plugin/entry/component.h"
#include "plugin/entry/context.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/entry/report.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/builtin_schema.h"
#include "plugin/schema/walker.h"
#include "plugin/settings/settings_store.h"

namespace {

using qrvconfig::kComponentId;
using qrvconfig::kComponentName;
const WCHAR kUnknownError[] = WSTR("Unknown error occurred.");

// Runs `walk` as the guarded section: a CVCException becomes a warning, anything else the
// error and the result -1.
template <typename Walk>
void guarded(int& result, Walk walk) {
  try {
    walk();
  } catch (const CVCException& e) {
    reportWarning(WSTR("%s"), e.getMessage());
  } catch (...) {
    reportError(kUnknownError);
    result = -1;
  }
}

// Runs one export: takes the call's documents, finds the configuration element, loads the
// settings, runs `walk` as the guarded section and then `finish`. Loading and finishing stand
// outside the walk's guard, so the whole body has one too: nothing escapes to the host. The
// component's handle is released before the configuration element's.
template <typename Walk, typename Finish>
int runExport(IXMLDOMDocument* configuration, IXMLDOMDocument* report, Walk walk, Finish finish) {
  int result = 0;
  try {
    ConfigNode configurationNode;
    ConfigNode component;
    setDocuments(configuration, report);
    if (findConfigurationNode(&configurationNode) != 0) return -1;
    LoadSettings();
    guarded(result, [&] { walk(configurationNode, component); });
    finish();
  } catch (...) {
    reportError(kUnknownError);
    result = -1;
  }
  return result;
}

}  // namespace

int findConfigurationNode(ConfigNode* result) {
  IXMLDOMDocument* document = configurationDocument();
  if (!document || !result) return 1;
  ComRef<IXMLDOMNodeList> children;
  {
    // The document's own node is needed only to reach its children.
    ComRef<IXMLDOMNode> documentNode;
    if (FAILED(document->QueryInterface(IID_IXMLDOMNode, documentNode.outVoid())) ||
        !documentNode)
      return 1;
    if (FAILED(documentNode->get_childNodes(children.out())) || !children) return 1;
  }

  for (;;) {
    ComRef<IXMLDOMNode> child;
    if (children->nextNode(child.out()) != S_OK || !child) break;
    ComRef<IXMLDOMElement> element;
    if (FAILED(child->QueryInterface(IID_IXMLDOMElement, element.outVoid())) || !element) {
      continue;
    }
    ConfigNode candidate;
    candidate.assign(element.get());
    const WCHAR* type = candidate.getAttrib_(WSTR("TYPE"));
    if (type && textCompareNoCase(type, WSTR("CONFIGURATION")) == 0) {
      result->assign(candidate.element());
      return 0;
    }
  }
  return 1;
}

void setVersion(ConfigNode* component, const WCHAR* version) {
  component->setAttrib_(WSTR("VERSION"), version ? version : WSTR(""));
}

QRV_EXPORT int QRV_ApplySettings(IXMLDOMDocument* configuration, IXMLDOMDocument* report) {
  return runExport(
      configuration, report,
      [](ConfigNode& configurationNode, ConfigNode& component) {
        configurationNode.getChildByIndex(kComponentId, &component);
        WalkComponent(&component, RootVersions, 2, Apply);
      },
      // Whatever the walk stored before it stopped is kept.
      [] { CommitSettings(); });
}

QRV_EXPORT int QRV_SaveSettings(IXMLDOMDocument* configuration, IXMLDOMDocument* report,
                                const WCHAR* version) {
  return runExport(
      configuration, report,
      [version](ConfigNode& configurationNode, ConfigNode& component) {
        configurationNode.createChild(kComponentName, static_cast<std::int32_t>(kComponentId),
                                      &component);
        component.setTypeByString(WSTR("COMPONENT"), nullptr);
        setVersion(&component, version);
        WalkComponent(&component, RootVersions, 2, Save);
      },
      // Save leaves the device's settings as they are.
      [] {});
}
