// ConfigNode: finding children by id or name, creating PARAM and stub children, removing one.
#include "plugin/node/config_node.h"

#include "plugin/entry/context.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/entry/report.h"
#include "plugin/node/attribute_text.h"

namespace {

// Depth-first search below `parent` for the first element whose attribute equals `wanted`.
// It reads attributes straight from the elements and takes no ring texts, so texts that the
// caller holds stay valid however many children are visited.
bool searchChildren(IXMLDOMElement* parent, bool descend, const WCHAR* attribute,
                    const WCHAR* wanted, int depth, ConfigNode* result, const Text& ownerName) {
  // A document from a DOM without a nesting limit must not run the stack out.
  if (depth > kXmlMaxDepth) {
    throw CVCException(WSTR("Search below node '%s' exceeds the nesting limit of %i levels"),
                       ownerName.c_str(), static_cast<std::int32_t>(kXmlMaxDepth));
  }
  ComRef<IXMLDOMNodeList> children;
  if (FAILED(parent->get_childNodes(children.out())) || !children) {
    throw CVCException(WSTR("Failed to get node list"));
  }
  for (;;) {
    ComRef<IXMLDOMNode> child;
    HRESULT hr = children->nextNode(child.out());
    if (FAILED(hr)) throw CVCException(WSTR("Failed to get the next node in list"));
    if (!child) return false;
    // Text, comments and processing instructions are skipped with their subtrees.
    ComRef<IXMLDOMElement> element;
    if (FAILED(child->QueryInterface(IID_IXMLDOMElement, element.outVoid())) || !element) continue;
    {
      AttributeText value(element.get(), attribute);
      if (!value.readOk()) continue;
      if (value.equals(wanted)) {
        result->assign(element.get());
        return true;
      }
    }
    if (!descend) continue;
    AttributeText type(element.get(), WSTR("TYPE"));
    if (!type.readOk()) continue;
    // Another component's subtree is never entered. A child without TYPE is entered: it cannot
    // be a component, so what lies below it still belongs to this one, and a grouping element
    // that a person added without a TYPE does not hide its parameters.
    if (type.equals(WSTR("COMPONENT"))) continue;
    if (searchChildren(element.get(), descend, attribute, wanted, depth + 1, result, ownerName)) {
      return true;
    }
  }
}

}  // namespace

bool ConfigNode::findChild(bool descend, const WCHAR* attribute, const WCHAR* wanted,
                           ConfigNode* result) {
  if (!element_ || !result) return false;
  // Copies, since the caller's texts may be ring texts and the nesting message needs a name.
  Text wantedCopy(wanted ? wanted : WSTR(""));
  Text ownerName(getName());
  return searchChildren(element_.get(), descend, attribute, wantedCopy.c_str(), 1, result, ownerName);
}

void ConfigNode::getChildByIndex(std::uint32_t index, ConfigNode* result) {
  if (!element_) throw CVCException(WSTR("getChildByIndex() - Node has no reference"));
  if (!findChild(true, WSTR("id"), formatUInt(index), result)) {
    throw CVCException(WSTR("Child node of '%s' with index '%i' not found"), getName(),
                       static_cast<std::int32_t>(index));
  }
}

void ConfigNode::getChildByName(const WCHAR* name, bool descend, ConfigNode* result) {
  if (!element_) throw CVCException(WSTR("getChildByName() - Node has no reference"));
  Text wanted(name ? name : WSTR(""));
  if (!findChild(descend, WSTR("NAME"), wanted.c_str(), result)) {
    throw CVCException(WSTR("Couldn't find child node of '%s' with name '%s'"), getName(),
                       wanted.c_str());
  }
}

void ConfigNode::createChild(const WCHAR* name, std::int32_t id, ConfigNode* result) {
  Text childName(name ? name : WSTR(""));
  IXMLDOMDocument* document = configurationDocument();
  BString tag(WSTR("PARAM"));
  ComRef<IXMLDOMElement> child;
  bool created = element_ && document && result && !tag.failed() &&
                 SUCCEEDED(document->createElement(tag.get(), child.out())) && child &&
                 SUCCEEDED(element_->appendChild(child.get(), nullptr));
  if (!created) throw CVCException(WSTR("Unable to create child '%s'"), childName.c_str());
  result->assign(child.get());
  result->setAttrib_(WSTR("NAME"), childName.c_str());
  result->setAttrib_(WSTR("TYPE"), WSTR("NODE"));
  if (id != -1) result->setAttrib_(WSTR("id"), formatUInt(static_cast<std::uint32_t>(id)));
}

void ConfigNode::createStubChild(ConfigNode* result, const WCHAR* elementName, const WCHAR* text,
                                 const AttributePair* pairs, std::size_t pairCount) {
  if (!element_) throw CVCException(WSTR("Unable to create stub child of '%s'"), getName());
  IXMLDOMDocument* document = configurationDocument();
  BString tag(elementName);
  Variant content;
  ComRef<IXMLDOMElement> child;
  bool created = document && !tag.failed() &&
                 SUCCEEDED(document->createElement(tag.get(), child.out())) && child &&
                 SUCCEEDED(element_->appendChild(child.get(), nullptr)) &&
                 content.setString(text) && SUCCEEDED(child->put_nodeTypedValue(content.get()));
  if (!created) throw CVCException(WSTR("Unable to create stub child of '%s'"), getName());

  bool attributesSet = true;
  for (std::size_t i = 0; pairs && i < pairCount && attributesSet; ++i) {
    BString name(pairs[i].name);
    Variant value;
    attributesSet = !name.failed() && value.setString(pairs[i].value) &&
                    SUCCEEDED(child->setAttribute(name.get(), value.get()));
  }
  if (result) result->assign(child.get());
  if (!attributesSet) throw CVCException(WSTR("Unable to create stub child of '%s'"), getName());
}

void ConfigNode::removeChild(ConfigNode* other) {
  // The other node's name is copied: the loop reads child types into the ring.
  Text otherName(other ? other->getName() : WSTR(""));
  bool otherTypeKnown = false;
  NodeType otherType = NodeType::NODE;
  bool removed = false;

  ComRef<IXMLDOMNodeList> children;
  if (!other) {
    // Nothing to match against: the same outcome as a list without a counterpart.
  } else if (!element_ || FAILED(element_->get_childNodes(children.out())) || !children) {
    reportError(WSTR("removeChild() Failed to get node list"));
  } else {
    while (!removed) {
      ComRef<IXMLDOMNode> child;
      if (FAILED(children->nextNode(child.out()))) {
        reportError(WSTR("removeChild() Failed to get the next node in list"));
        break;
      }
      if (!child) break;
      ComRef<IXMLDOMElement> element;
      if (FAILED(child->QueryInterface(IID_IXMLDOMElement, element.outVoid())) || !element) {
        continue;
      }
      // Compared against the child's own attribute (absent NAME reads as "", as getName does).
      AttributeText name(element.get(), WSTR("NAME"));
      if (!name.equals(otherName.c_str()) && !(otherName.empty() && !name.present())) continue;
      // Types are read only once a name matches; a matching child without a valid TYPE throws.
      if (!otherTypeKnown) {
        otherType = other->getType();
        otherTypeKnown = true;
      }
      ConfigNode candidate;
      candidate.assign(element.get());
      if (candidate.getType() != otherType) continue;
      ComRef<IXMLDOMNode> old;
      removed = SUCCEEDED(element_->removeChild(child.get(), old.out()));
    }
  }
  if (!removed) {
    reportError(WSTR("Failed to remove '%s''s child node '%s'"), getName(), otherName.c_str());
  }
}
