// One schema version of the plug-in as a tree a tool can ask about: each entry parsed, its
// parent, the path of names above it, its items or range, and the first entry of an id as
// Apply finds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/schema/schema.h"

struct SchemaItem {  // an item of an ENUM or OPTION entry
  std::string name;
  std::int32_t value;
  bool hiddenInExports;
};

struct SchemaRange {  // MIN, MAX and STEP of an INTEGER entry
  std::optional<std::int32_t> min, max, step;
};

struct SchemaNode {
  const SchemaEntry* entry;
  int index;         // in the version's array
  int parent;        // index of the regular entry it lies below; -1 at the top
  bool stub;         // an item or range stub, not a parameter of its own
  std::string type;  // the type word (regular entries)
  std::string name;  // the name (regular entries), or the stub's text
  std::vector<std::pair<std::string, std::string>> attributes;  // KEY=VALUE, in order
  bool hiddenInExports;  // left out of exports while the filters are on
  std::vector<SchemaItem> items;
  SchemaRange range;
};

class SchemaView {
 public:
  explicit SchemaView(const SchemaVersion& version);

  const std::string& label() const { return label_; }
  const std::vector<SchemaNode>& nodes() const { return nodes_; }
  const SchemaNode& node(int index) const { return nodes_[static_cast<std::size_t>(index)]; }

  // The first entry with this id, stubs included, as Apply picks it; null when none.
  const SchemaNode* byId(std::int32_t id) const;
  // Names of the regular entries above `index`, outermost first.
  std::vector<std::string> pathOf(int index) const;
  // The regular entries directly below `parent` (-1: the top).
  std::vector<int> childrenOf(int parent) const;
  // The value of an attribute string of the entry; null when it has none.
  static const std::string* attribute(const SchemaNode& node, const std::string& key);

 private:
  std::string label_;
  std::vector<SchemaNode> nodes_;
};

std::string utf8Of(const WCHAR* text);
