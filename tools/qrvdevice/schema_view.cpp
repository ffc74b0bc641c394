// Parsing a schema version's entries into a tree, with the plug-in's own entry grammar.
#include "tools/qrvdevice/schema_view.h"

#include "plugin/node/config_node.h"
#include "plugin/schema/filters.h"

std::string utf8Of(const WCHAR* text) { return textToUtf8(text); }

SchemaView::SchemaView(const SchemaVersion& version) {
  WCHAR label[sizeof(version.label) / sizeof(WCHAR) + 1];
  textCopyN(label, sizeof label / sizeof label[0], version.label,
            sizeof(version.label) / sizeof(WCHAR));
  label_ = utf8Of(label);

  // The regular entries on the path to the current one, with their depths.
  std::vector<std::pair<int, int>> open;
  const std::uint32_t count = entryCount(version);
  for (std::uint32_t i = 0; i < count; ++i) {
    const SchemaEntry& entry = version.entries[i];
    ParsedEntry parsed;
    ParseEntry(entry, &parsed);
    while (!open.empty() && open.back().first >= parsed.depth) open.pop_back();
    SchemaNode node;
    node.entry = &entry;
    node.index = static_cast<int>(i);
    node.parent = open.empty() ? -1 : open.back().second;
    const std::string parentType =
        node.parent >= 0 ? nodes_[static_cast<std::size_t>(node.parent)].type : "";
    node.stub = parentType == "ENUM" || parentType == "OPTION" || parentType == "INTEGER";
    node.type = node.stub ? "" : utf8Of(parsed.word);
    node.name = node.stub ? utf8Of(parsed.body) : utf8Of(parsed.rest);
    for (const WCHAR* a = parsed.attributes; *a; a += textLength(a) + 1) {
      std::string pair = utf8Of(a);
      std::size_t equals = pair.find('=');
      node.attributes.emplace_back(pair.substr(0, equals),
                                   equals == std::string::npos ? "" : pair.substr(equals + 1));
    }
    node.hiddenInExports = entry.filter != nullptr && entry.filter(entry.id) == 0;
    nodes_.push_back(node);

    if (node.stub) {
      SchemaNode& owner = nodes_[static_cast<std::size_t>(node.parent)];
      if (parentType == "INTEGER") {
        // "MIN 0": the word names the bound, the rest is its value.
        std::int32_t value = parseDecimal(parsed.rest);
        std::string word = utf8Of(parsed.word);
        if (word == "MIN") owner.range.min = value;
        if (word == "MAX") owner.range.max = value;
        if (word == "STEP") owner.range.step = value;
      } else {
        const std::string* value = attribute(node, "VALUE");
        owner.items.push_back({node.name, value ? parseDecimal(textFromUtf8(*value).c_str()) : 0,
                               node.hiddenInExports});
      }
    } else {
      open.emplace_back(parsed.depth, node.index);
    }
  }
}

const SchemaNode* SchemaView::byId(std::int32_t id) const {
  if (id == -1) return nullptr;
  for (const SchemaNode& node : nodes_) {
    if (node.entry->id == id) return &node;
  }
  return nullptr;
}

std::vector<std::string> SchemaView::pathOf(int index) const {
  std::vector<std::string> path;
  for (int p = node(index).parent; p >= 0; p = node(p).parent)
    path.insert(path.begin(), node(p).name);
  return path;
}

std::vector<int> SchemaView::childrenOf(int parent) const {
  std::vector<int> children;
  for (const SchemaNode& node : nodes_) {
    if (!node.stub && node.parent == parent) children.push_back(node.index);
  }
  return children;
}

const std::string* SchemaView::attribute(const SchemaNode& node, const std::string& key) {
  for (const auto& pair : node.attributes) {
    if (pair.first == key) return &pair.second;
  }
  return nullptr;
}
