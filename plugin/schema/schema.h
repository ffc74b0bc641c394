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
// the count; throws CVCException on an odd count.
int ParseIndent(const WCHAR*& position, const WCHAR* typeString);
