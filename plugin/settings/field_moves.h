// Moving one field of the store between a node and the field, in the walk's direction: Save
// writes the field into the node, Apply reads the node into the field.
#pragma once

#include "hzkcore/records.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/schema.h"

#include <cstddef>
#include <cstdint>

// A text field of a record and its capacity, terminator included; empty (null) for none.
struct TextField {
  WCHAR* text = nullptr;
  std::size_t capacity = 0;

  template <std::size_t N>
  static TextField of(WCHAR (&field)[N]) {
    return {field, N};
  }
  explicit operator bool() const { return text != nullptr; }
};

// What Apply stores of `value` in the field: at most what it holds with its terminator.
inline void storeText(const TextField& field, const WCHAR* value) {
  textCopy(field.text, field.capacity, value);
}

// A text field; Apply copies at most what the field holds with its terminator. A text with a
// character that no document can carry (a binHex value may decode to a control character) is
// not stored, since no export could show it again: the field keeps its value.
inline void moveText(ConfigNode* node, Direction direction, const TextField& field) {
  if (direction == Save) {
    node->setValueString(field.text);
    return;
  }
  const WCHAR* text = node->getString();
  const std::size_t length = textLength(text);
  const std::size_t position = textFindNonXml(text, length);
  if (position != length) {
    throw CVCException(WSTR("'%s' holds a character that XML cannot carry (code %u at position ")
                           WSTR("%u) and is not stored; the field keeps its value"),
                       node->getName(), static_cast<std::uint32_t>(text[position]),
                       static_cast<std::uint32_t>(position));
  }
  storeText(field, text);
}

template <std::size_t N>
void moveText(ConfigNode* node, Direction direction, WCHAR (&field)[N]) {
  moveText(node, direction, TextField::of(field));
}

// A number written in signed decimal.
inline void moveSigned(ConfigNode* node, Direction direction, std::int32_t& field) {
  if (direction == Save) {
    node->setValueInteger(field);
  } else {
    field = node->getInteger();
  }
}

// A number written in unsigned decimal, whatever the field's own type.
template <typename Field>
void moveUnsigned(ConfigNode* node, Direction direction, Field& field) {
  static_assert(sizeof(Field) == sizeof(std::uint32_t), "a 32-bit field");
  if (direction == Save) {
    node->setValueInteger(static_cast<std::uint32_t>(field));
  } else {
    field = static_cast<Field>(node->getInteger());
  }
}

// A number field as its row in hzkcore/records.h says the document writes it; a hidden field
// is not moved.
template <NumberKind kind, typename Field>
void moveNumber(ConfigNode* node, Direction direction, Field& field) {
  if constexpr (kind == NumberKind::Signed) {
    moveSigned(node, direction, field);
  } else if constexpr (kind == NumberKind::Unsigned) {
    moveUnsigned(node, direction, field);
  }
}

// The bodies of a record's text-field lookup and number-property dispatch, one statement per
// row of hzkcore/records.h; `record`, `id`, `node` and `direction` are those in scope.
#define QRV_TEXT_FIELD_OF(member, documentId, ...) \
  if (id == documentId) return TextField::of(record.member);
#define QRV_MOVE_NUMBER(member, type, initial, documentId, kind, ...)     \
  if (NumberKind::kind != NumberKind::Hidden && id == documentId) {       \
    moveNumber<NumberKind::kind>(node, direction, record.member);         \
    return 0;                                                             \
  }
