// Schema records: entries with indentation-coded type strings, versions, handler and filter
// function types, and the parsing of type strings.
#pragma once

#include "platform/text.h"

#include <cstdint>

class ConfigNode;

enum Direction : int { Apply = 0, Save = 1 };

typedef int (*ParamHandler)(ConfigNode* node, ConfigNode* parent, Direction direction);
typedef int (*EntryFilter)(std::int32_t id);

constexpr std::size_t kSchemaTextCapacity = 128;

// The type string, then KEY=VALUE attribute strings, each terminated, then an empty string.
struct SchemaEntry {
  WCHAR text[kSchemaTextCapacity];
  std::int32_t id;  // -1: none
  ParamHandler handler;
  EntryFilter filter;
};

struct SchemaVersion {
  WCHAR label[16];
  const SchemaEntry* entries;
  std::uint32_t size;  // bytes of the entry array
};

inline std::uint32_t entryCount(const SchemaVersion& version) {
  return version.size / static_cast<std::uint32_t>(sizeof(SchemaEntry));
}

// Advances `position` past the indentation (blanks, '+' and '|') and returns the depth, half
// the count; throws CVCException on an odd count. The type string must be terminated.
int ParseIndent(const WCHAR*& position, const WCHAR* typeString);

// One entry's text taken apart into copies of its own, so that the tables are only ever read.
struct ParsedEntry {
  int depth;
  WCHAR body[kSchemaTextCapacity];        // everything after the indentation
  WCHAR word[kSchemaTextCapacity];        // body up to its first blank
  WCHAR rest[kSchemaTextCapacity];        // body after its first blank; "" without one
  WCHAR attributes[kSchemaTextCapacity];  // the KEY=VALUE list, each terminated, then ""
};

// Fills `parsed` from the entry's text. Throws CVCException on odd indentation, and when the
// type string or its attribute list does not end inside the entry's text.
void ParseEntry(const SchemaEntry& entry, ParsedEntry* parsed);

// The depth of an entry alone; throws as ParseEntry.
int EntryDepth(const SchemaEntry& entry);
