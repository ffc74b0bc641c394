// ConfigNode: values by node type, binHex encoding and the scrambling of PWD2 strings.
#include "plugin/node/config_node.h"

#include "plugin/entry/cvc_exception.h"
#include "plugin/entry/report.h"
#include "plugin/node/attribute_text.h"
#include "plugin/node/text_ring.h"

namespace {

// Scrambled strings combine the character at position i with the low byte of i plus this
// seed. Writing and reading must use the same one, so it never changes.
constexpr std::uint32_t kScrambleSeed = 0xA7;

WCHAR scrambleMask(std::size_t position) {
  return static_cast<WCHAR>((static_cast<std::uint32_t>(position) + kScrambleSeed) & 0xFFu);
}

const WCHAR kHexDigits[] = WSTR("0123456789abcdef");

// 0 to 15, or -1 for a character that is not a hex digit.
int hexValue(WCHAR c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The marks a STRING node carries, compared exactly as written.
struct StringMarks {
  bool binHex;
  bool scrambled;
  bool password;  // PWD1 or PWD2: the text is a secret that no message may show
};

StringMarks stringMarks(IXMLDOMElement* element) {
  AttributeText stringType(element, WSTR("STRINGTYPE"));
  AttributeText mimeType(element, WSTR("MIMETYPE"));
  bool scrambled = stringType.equals(WSTR("PWD2"));
  return {scrambled || mimeType.equals(WSTR("binHex")), scrambled,
          scrambled || stringType.equals(WSTR("PWD1"))};
}

bool beginsWithZero(const WCHAR* text) { return text && text[0] == '0'; }

}  // namespace

void ConfigNode::setValueString(const WCHAR* text) {
  if (!element_) throw CVCException(WSTR("setValueString() - Node has no reference"));
  // A copy, as the caller's text may be a ring text and the steps below read into the ring.
  Text plain(text ? text : WSTR(""));
  if (getType() != NodeType::STRING) {
    setAttrib_(WSTR("VALUE"), plain.c_str());
    return;
  }
  StringMarks marks = stringMarks(element_.get());
  if (!marks.binHex) {
    setAttrib_(WSTR("VALUE"), plain.c_str());
    return;
  }
  // Marked so that a reader knows to decode, also when only PWD2 asked for the encoding.
  setAttrib_(WSTR("MIMETYPE"), WSTR("binHex"));

  Text encoded;
  encoded.reserve(plain.size() * 2);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    WCHAR c = plain[i];
    if (c > 0xFF) {
      if (marks.password) {
        reportError(WSTR("'%s': Failed to convert wide-character string to ASCII for binHex encoding"),
                    getName());
      } else {
        reportError(WSTR("'%s': Failed to convert wide-character string '%s' to ASCII for binHex encoding"),
                    getName(), plain.c_str());
      }
      throw CVCException(WSTR("Failed wide-character conversion"));
    }
    if (marks.scrambled) c = static_cast<WCHAR>(c ^ scrambleMask(i));
    encoded += kHexDigits[(c >> 4) & 0xF];
    encoded += kHexDigits[c & 0xF];
  }
  setAttrib_(WSTR("VALUE"), encoded.c_str());
}

void ConfigNode::setValue(const WCHAR* text) {
  Text value(text ? text : WSTR(""));
  NodeType type = getType();
  switch (type) {
    case NodeType::ENUM:
    case NodeType::OPTION: {
      ConfigNode item;
      if (findChild(false, WSTR("VALUE"), value.c_str(), &item)) {
        Text itemName(item.getName());
        setAttrib_(WSTR("VALUE"), itemName.c_str());
        return;
      }
      reportWarning(WSTR("Enum/Option '%s' had no item with value '%s'"), getName(), value.c_str());
      // A nameless item keeps the value readable: getInteger finds it by the empty name.
      const AttributePair pairs[] = {{WSTR("NAME"), WSTR("")}, {WSTR("VALUE"), value.c_str()}};
      createStubChild(nullptr, type == NodeType::ENUM ? WSTR("ENUM") : WSTR("ITEM"), WSTR(""),
                      pairs, 2);
      setAttrib_(WSTR("VALUE"), WSTR(""));
      return;
    }
    case NodeType::CHECK:
      setAttrib_(WSTR("VALUE"), beginsWithZero(value.c_str()) ? WSTR("0") : WSTR("1"));
      return;
    default:
      setAttrib_(WSTR("VALUE"), value.c_str());
      return;
  }
}

void ConfigNode::setValueInteger(std::int32_t value) {
  if (!element_) throw CVCException(WSTR("setValueInteger() - Node has no reference"));
  setValue(formatInt(value));
}

void ConfigNode::setValueInteger(std::uint32_t value) {
  if (!element_) throw CVCException(WSTR("setValueInteger() - Node has no reference"));
  setValue(formatUInt(value));
}

std::int32_t ConfigNode::getInteger() {
  if (!element_) throw CVCException(WSTR("getInteger() - Node has no reference"));
  switch (getType()) {
    case NodeType::HIDDEN:
    case NodeType::INTEGER: {
      const WCHAR* value = getAttrib_(WSTR("VALUE"));
      if (!value) throw CVCException(WSTR("Node '%s' has no value attribute"), getName());
      return parseDecimal(value);
    }
    case NodeType::CHECK: {
      const WCHAR* value = getAttrib_(WSTR("VALUE"));
      if (!value) throw CVCException(WSTR("Node '%s' has no value attribute"), getName());
      return beginsWithZero(value) ? 0 : 1;
    }
    case NodeType::ENUM:
    case NodeType::OPTION: {
      const WCHAR* chosen = getAttrib_(WSTR("VALUE"));
      if (!chosen) throw CVCException(WSTR("Node '%s' has no value attribute"), getName());
      ConfigNode item;
      getChildByName(chosen, false, &item);
      const WCHAR* code = item.getAttrib_(WSTR("VALUE"));
      if (!code) throw CVCException(WSTR("Child item of node '%s' has no value"), getName());
      return parseDecimal(code);
    }
    default:
      throw CVCException(WSTR("Node '%s' has invalid type for integer request"), getName());
  }
}

const WCHAR* ConfigNode::getString() {
  if (!element_) throw CVCException(WSTR("getString() - Node has no reference"));
  switch (getType()) {
    case NodeType::HIDDEN:
    case NodeType::ENUM:
    case NodeType::OPTION: {
      const WCHAR* value = getAttrib_(WSTR("VALUE"));
      if (!value) throw CVCException(WSTR("Enum '%s' has no value"), getName());
      return value;
    }
    case NodeType::STRING:
      break;
    default:
      throw CVCException(WSTR("Node '%s' does not support string values"), getName());
  }

  // The ring copy is decoded in place: a decoded text is never longer than its digits.
  WCHAR* value = nullptr;
  {
    AttributeText read(element_.get(), WSTR("VALUE"));
    if (read.present()) value = textRingStore(read.data(), read.length());
  }
  if (!value) throw CVCException(WSTR("String node '%s' has no value"), getName());
  StringMarks marks = stringMarks(element_.get());
  if (!marks.binHex) return value;

  // An odd last digit is ignored. Character i is written only after digits 2i and 2i + 1 are
  // read, and no later read looks below 2i + 2, so the digits still to read are never touched.
  std::size_t count = textLength(value) / 2;
  for (std::size_t i = 0; i < count; ++i) {
    int digits[2];
    for (std::size_t k = 0; k < 2; ++k) {
      std::size_t position = 2 * i + k;
      digits[k] = hexValue(value[position]);
      if (digits[k] < 0) {
        throw CVCException(WSTR("binHex string invalid for node '%s'; contained '%c', or %i, at position %i."),
                           getName(), static_cast<int>(value[position]),
                           static_cast<std::int32_t>(value[position]),
                           static_cast<std::int32_t>(position));
      }
    }
    WCHAR c = static_cast<WCHAR>(digits[0] * 16 + digits[1]);
    if (marks.scrambled) c = static_cast<WCHAR>(c ^ scrambleMask(i));
    value[i] = c;
  }
  value[count] = 0;
  return value;
}
