// The grammar of schema entries: indentation, type word and name, and the attribute list.
#include "plugin/schema/schema.h"

#include "plugin/entry/cvc_exception.h"

namespace {

bool isIndentation(WCHAR c) { return c == WSTR(' ') || c == WSTR('+') || c == WSTR('|'); }

// Units of the type string before its terminator, or kSchemaTextCapacity when the text holds
// none: tables built at run time are checked, not trusted.
std::size_t typeStringLength(const SchemaEntry& entry) {
  std::size_t length = 0;
  while (length < kSchemaTextCapacity && entry.text[length] != 0) ++length;
  return length;
}

// The type string alone, cut to fit a message when it has no terminator.
void quoteTypeString(const SchemaEntry& entry, WCHAR (&quoted)[kSchemaTextCapacity]) {
  textCopyN(quoted, kSchemaTextCapacity, entry.text, kSchemaTextCapacity);
}

void requireTerminatedTypeString(const SchemaEntry& entry) {
  if (typeStringLength(entry) < kSchemaTextCapacity) return;
  WCHAR quoted[kSchemaTextCapacity];
  quoteTypeString(entry, quoted);
  throw CVCException(WSTR("Type string is not terminated: '%s'"), quoted);
}

}  // namespace

int ParseIndent(const WCHAR*& position, const WCHAR* typeString) {
  const WCHAR* p = position;
  int count = 0;
  while (isIndentation(*p)) {
    ++p;
    ++count;
  }
  if (count % 2 != 0) {
    throw CVCException(WSTR("Type string contained odd number of spaces: '%s'"), typeString);
  }
  position = p;
  return count / 2;
}

int EntryDepth(const SchemaEntry& entry) {
  requireTerminatedTypeString(entry);
  const WCHAR* position = entry.text;
  return ParseIndent(position, entry.text);
}

void ParseEntry(const SchemaEntry& entry, ParsedEntry* parsed) {
  requireTerminatedTypeString(entry);
  const WCHAR* position = entry.text;
  parsed->depth = ParseIndent(position, entry.text);

  textCopy(parsed->body, kSchemaTextCapacity, position);
  std::size_t wordLength = 0;
  while (position[wordLength] != 0 && position[wordLength] != WSTR(' ')) ++wordLength;
  textCopyN(parsed->word, kSchemaTextCapacity, position, wordLength);
  textCopy(parsed->rest, kSchemaTextCapacity,
           position[wordLength] == 0 ? position + wordLength : position + wordLength + 1);

  // The attribute list runs from behind the type string's terminator to the first empty
  // string; it must end inside the record.
  const std::size_t listStart = typeStringLength(entry) + 1;
  std::size_t end = listStart;
  bool ended = false;
  while (end < kSchemaTextCapacity) {
    if (entry.text[end] == 0) {
      ended = true;
      break;
    }
    while (end < kSchemaTextCapacity && entry.text[end] != 0) ++end;  // one KEY=VALUE
    ++end;                                                              // its terminator
  }
  if (!ended) {
    WCHAR quoted[kSchemaTextCapacity];
    quoteTypeString(entry, quoted);
    throw CVCException(WSTR("Attribute list of '%s' is not terminated"), quoted);
  }
  // Copy the list with its terminators; everything from `end` on is the empty string.
  std::size_t k = 0;
  for (std::size_t from = listStart; from < end; ++from) parsed->attributes[k++] = entry.text[from];
  parsed->attributes[k] = 0;
}
