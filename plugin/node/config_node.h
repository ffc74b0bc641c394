// ConfigNode: the handle on one element of a configuration document, and everything the
// plug-in does to elements (attributes, types, ids, children, values).
#pragma once

#include "platform/com_ref.h"
#include "platform/text.h"
#include "platform/xmldom.h"

#include <cstddef>
#include <cstdint>

// The TYPE texts of configuration elements, by code.
enum class NodeType : int {
  HIDDEN = 1,
  NODE = 2,
  ENUM = 3,
  OPTION = 4,
  STRING = 5,
  INTEGER = 6,
  CHECK = 7,
  FRAME = 8,
  COMPONENT = 9,
  CONFIGURATION = 10,
};

// An attribute to set on a stub child, in order.
struct AttributePair {
  const WCHAR* name;
  const WCHAR* value;
};

// Texts returned by ConfigNode operations live in a module-wide ring of 50 and stay valid
// through the next 49 texts taken from it; callers never free them and copy what they keep.
class ConfigNode {
 public:
  ConfigNode() = default;
  ~ConfigNode();
  ConfigNode(const ConfigNode&) = delete;
  ConfigNode& operator=(const ConfigNode&) = delete;

  // Holds `element` with a reference of its own (none empties the handle) and releases what
  // was held before.
  void assign(IXMLDOMElement* element);
  IXMLDOMElement* element() const { return element_.get(); }
  bool empty() const { return !element_; }

  // Attributes.
  const WCHAR* getAttrib_(const WCHAR* name);  // null when absent; never throws
  const WCHAR* getName();                      // NAME, or ""; never throws
  std::int32_t getId();                        // id, or -1 when absent or empty
  NodeType getType();
  void setAttrib_(const WCHAR* name, const WCHAR* value);
  // Sets TYPE (unless type is null), then each KEY=VALUE of a list of terminated entries
  // ended by an empty one (null for none).
  void setTypeByString(const WCHAR* type, const WCHAR* attributeList);

  // Children.
  void getChildByIndex(std::uint32_t index, ConfigNode* result);
  void getChildByName(const WCHAR* name, bool descend, ConfigNode* result);
  void createChild(const WCHAR* name, std::int32_t id, ConfigNode* result);
  void createStubChild(ConfigNode* result, const WCHAR* elementName, const WCHAR* text,
                       const AttributePair* pairs, std::size_t pairCount);
  // Removes the direct child with the same NAME and type as `other`; reports, never throws,
  // when there is none.
  void removeChild(ConfigNode* other);

  // Values.
  void setValueString(const WCHAR* text);
  void setValue(const WCHAR* text);
  void setValueInteger(std::int32_t value);
  void setValueInteger(std::uint32_t value);
  std::int32_t getInteger();
  const WCHAR* getString();

 private:
  bool findChild(bool descend, const WCHAR* attribute, const WCHAR* wanted, ConfigNode* result);

  ComRef<IXMLDOMElement> element_;
};

// Decimal text of a number in one of two module-wide rings of 8 buffers; valid through the
// next 7 calls of the same function.
const WCHAR* formatInt(std::int32_t value);
const WCHAR* formatUInt(std::uint32_t value);

// Decimal parsing as the documents need it: leading white space and one sign, digits up to
// the first non-digit, 0 without digits. Digits accumulate modulo 2^32, so "2147483650"
// reads back as the 32 bits that "%u" wrote.
std::int32_t parseDecimal(const WCHAR* text);
