// ConfigNode: the handle itself and its attributes, type and id.
#include "plugin/node/config_node.h"

#include "plugin/entry/cvc_exception.h"
#include "plugin/node/attribute_text.h"
#include "plugin/node/text_ring.h"

namespace {

// The TYPE texts in the order they are matched; the code is the position plus one.
const WCHAR* const kTypeTexts[] = {
    WSTR("HIDDEN"), WSTR("NODE"),    WSTR("ENUM"),  WSTR("OPTION"),    WSTR("STRING"),
    WSTR("INTEGER"), WSTR("CHECK"),  WSTR("FRAME"), WSTR("COMPONENT"), WSTR("CONFIGURATION"),
};

// The decimal text of a code unit, as "'#X" in an attribute list asks for; five digits at most.
constexpr std::size_t kCharCodeCapacity = 8;

}  // namespace

ConfigNode::~ConfigNode() = default;

void ConfigNode::assign(IXMLDOMElement* element) {
  if (element == element_.get()) return;
  // The new reference is taken before the old one goes, so assigning an element that only
  // the old one keeps alive is safe.
  if (element) element->AddRef();
  element_ = ComRef<IXMLDOMElement>(element);
}

const WCHAR* ConfigNode::getAttrib_(const WCHAR* name) {
  AttributeText value(element_.get(), name);
  if (!value.present()) return nullptr;
  return textRingStore(value.data(), value.length());
}

const WCHAR* ConfigNode::getName() {
  const WCHAR* name = getAttrib_(WSTR("NAME"));
  return name ? name : WSTR("");
}

std::int32_t ConfigNode::getId() {
  if (!element_) throw CVCException(WSTR("getId() - Node has no reference"));
  const WCHAR* id = getAttrib_(WSTR("id"));
  if (!id || !*id) return -1;
  return parseDecimal(id);
}

NodeType ConfigNode::getType() {
  const WCHAR* type = getAttrib_(WSTR("TYPE"));
  if (!type) throw CVCException(WSTR("Node '%s' has no type"), getName());
  for (int i = 0; i < static_cast<int>(sizeof kTypeTexts / sizeof kTypeTexts[0]); ++i) {
    if (textCompareNoCase(type, kTypeTexts[i]) == 0) return static_cast<NodeType>(i + 1);
  }
  throw CVCException(WSTR("Node '%s' has unknown type"), getName());
}

void ConfigNode::setAttrib_(const WCHAR* name, const WCHAR* value) {
  if (!element_) throw CVCException(WSTR("setAttrib_() - Node has no reference"));
  BString bname(name);
  Variant variant;
  HRESULT hr = E_OUTOFMEMORY;
  if (!bname.failed() && variant.setString(value)) {
    hr = element_->setAttribute(bname.get(), variant.get());
  }
  if (FAILED(hr)) {
    throw CVCException(WSTR("'%s' failed to set attribute '%s'"), getName(), name ? name : WSTR(""));
  }
}

void ConfigNode::setTypeByString(const WCHAR* type, const WCHAR* attributeList) {
  if (!element_) throw CVCException(WSTR("setTypeByString() - Node has no reference"));
  if (type) setAttrib_(WSTR("TYPE"), type);
  if (!attributeList) return;
  // Entries KEY=VALUE, each terminated, the list ended by an empty entry.
  for (const WCHAR* entry = attributeList; *entry; entry += textLength(entry) + 1) {
    const WCHAR* equals = entry;
    while (*equals && *equals != '=') ++equals;
    if (!*equals) {
      // Every entry of a schema carries '='; one without it is a fault of the table, named
      // rather than guessed at.
      throw CVCException(WSTR("Attribute entry '%s' of node '%s' has no '='"), entry, getName());
    }
    Text key(entry, static_cast<std::size_t>(equals - entry));
    const WCHAR* value = equals + 1;
    WCHAR code[kCharCodeCapacity];
    if (value[0] == '\'' && value[1] == '#') {
      // "'#X" stands for the code of X, for values that are easier written as a character.
      textFormat(code, kCharCodeCapacity, WSTR("%u"), static_cast<std::uint32_t>(value[2]));
      value = code;
    }
    setAttrib_(key.c_str(), value);
  }
}
