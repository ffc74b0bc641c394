// The schema walker: Save builds elements from schema entries and calls their handlers after
// the nested entries exist; Apply hands each element of a document to the handler of the first
// entry with its id. Failures inside one entry or element become warnings.
#include "plugin/schema/walker.h"

#include "plugin/entry/cvc_exception.h"
#include "plugin/entry/report.h"
#include "plugin/node/attribute_text.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/filters.h"

namespace {

constexpr std::size_t kLabelCapacity = sizeof(SchemaVersion::label) / sizeof(WCHAR);

// A version label as text of its own, terminated even when the record's array is full.
struct LabelText {
  WCHAR text[kLabelCapacity + 1];
  explicit LabelText(const SchemaVersion& version) {
    textCopyN(text, kLabelCapacity + 1, version.label, kLabelCapacity);
  }
};

// Labels are digits and dots, compared as they are written.
bool labelEquals(const SchemaVersion& version, const WCHAR* label) {
  return textCompare(LabelText(version).text, label) == 0;
}

bool isIncluded(const SchemaEntry& entry) {
  return FiltersOff() || entry.filter == nullptr || entry.filter(entry.id) != 0;
}

// The entries after `index` that lie deeper than `depth`: the subtree of the entry at `index`.
std::uint32_t countDeeper(const SchemaEntry* entries, std::uint32_t n, std::uint32_t index,
                          int depth) {
  std::uint32_t count = 0;
  while (index + 1 + count < n && EntryDepth(entries[index + 1 + count]) > depth) ++count;
  return count;
}

// Takes back the element that this walk created, by identity: a sibling with the same NAME
// and type may be a valid element that must stay.
void removeCreatedElement(ConfigNode* parent, ConfigNode* created) {
  IXMLDOMElement* parentElement = parent->element();
  IXMLDOMElement* createdElement = created->element();
  if (parentElement != nullptr && createdElement != nullptr) {
    ComRef<IXMLDOMNode> removed;
    if (SUCCEEDED(parentElement->removeChild(createdElement, removed.out()))) return;
  }
  reportError(WSTR("Failed to remove '%s''s child node '%s'"), parent->getName(),
              created->getName());
}

void requireNoHandler(const SchemaEntry& entry, ConfigNode* parent) {
  if (entry.handler != nullptr) {
    throw CVCException(WSTR("Stubs must not have a setup function - '%s''s child did."),
                       parent->getName());
  }
}

// Creates the element of entry `i` below `parent`, walks its nested entries and calls its
// handler. Advances `i` and `consumed` past the nested entries once they are built.
void buildEntry(ConfigNode* parent, const SchemaEntry* entries, std::uint32_t n,
                std::uint32_t& i, int& consumed, const ParsedEntry& parsed) {
  const SchemaEntry& entry = entries[i];
  const NodeType parentType = parent->getType();

  if (parentType == NodeType::INTEGER) {
    // Range stub: MIN, MAX or STEP with its value as text; attribute strings do not apply.
    parent->createStubChild(nullptr, parsed.word, parsed.rest, nullptr, 0);
    requireNoHandler(entry, parent);
    return;
  }
  if (parentType == NodeType::ENUM || parentType == NodeType::OPTION) {
    // Item stub: the whole text is the item's name, spaces included.
    ConfigNode stub;
    const AttributePair name = {WSTR("NAME"), parsed.body};
    parent->createStubChild(&stub, parentType == NodeType::ENUM ? WSTR("ENUM") : WSTR("ITEM"),
                            WSTR(""), &name, 1);
    stub.setTypeByString(nullptr, parsed.attributes);
    requireNoHandler(entry, parent);
    return;
  }

  ConfigNode child;
  parent->createChild(parsed.rest, entry.id, &child);
  child.setTypeByString(parsed.word, parsed.attributes);
  try {
    if (i + 1 < n && EntryDepth(entries[i + 1]) > parsed.depth) {
      const int nested = WalkSchema(&child, entries + i + 1, n - i - 1, Save);
      i += static_cast<std::uint32_t>(nested);
      consumed += nested;
    }
    if (entry.handler != nullptr) {
      if (entry.id == -1) {
        throw CVCException(WSTR("Error - Nodes with setup functions must have IDs.  '%s' did not."),
                           parsed.rest);
      }
      entry.handler(&child, parent, Save);
    }
  } catch (CVCException&) {
    removeCreatedElement(parent, &child);
    throw;
  }
}

int walkSave(ConfigNode* parent, const SchemaEntry* entries, std::uint32_t n) {
  int consumed = 0;
  int levelDepth = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    ParsedEntry parsed;
    ParseEntry(entries[i], &parsed);
    if (i > 0) {
      if (parsed.depth > levelDepth) throw CVCException(WSTR("Child node uninitialized"));
      if (parsed.depth < levelDepth) break;
    }
    ++consumed;
    levelDepth = parsed.depth;

    bool skipSubtree = false;
    try {
      if (isIncluded(entries[i])) {
        buildEntry(parent, entries, n, i, consumed, parsed);
      } else {
        skipSubtree = true;  // left out silently, with everything below it
      }
    } catch (CVCException& failure) {
      reportWarning(WSTR("%s"), failure.getMessage());
      skipSubtree = true;
    }
    if (skipSubtree) {
      const std::uint32_t skipped = countDeeper(entries, n, i, parsed.depth);
      i += skipped;
      consumed += static_cast<int>(skipped);
    }
  }
  return consumed;
}

// Walk levels of Apply in progress, handlers' nested walks included. A document from a DOM
// without a nesting limit must not be able to exhaust the stack.
int applyLevels = 0;

class ApplyLevel {
 public:
  explicit ApplyLevel(ConfigNode* parent) {
    if (applyLevels >= kXmlMaxDepth) {
      throw CVCException(WSTR("Node '%s' is nested deeper than %i levels"), parent->getName(),
                         kXmlMaxDepth);
    }
    ++applyLevels;
  }
  ~ApplyLevel() { --applyLevels; }
  ApplyLevel(const ApplyLevel&) = delete;
  ApplyLevel& operator=(const ApplyLevel&) = delete;
};

void applyElement(ConfigNode* parent, ConfigNode* element, const SchemaEntry* entries,
                  std::uint32_t n) {
  const NodeType type = element->getType();
  if (type == NodeType::NODE || type == NodeType::FRAME) {
    // An element with a VERSION belongs to another table, which its handler walks.
    const WCHAR* version = element->getAttrib_(WSTR("VERSION"));
    if (version == nullptr || version[0] == 0) WalkSchema(element, entries, n, Apply);
  }
  const std::int32_t id = element->getId();
  if (id == -1) return;
  for (std::uint32_t k = 0; k < n; ++k) {
    if (entries[k].id != id) continue;
    if (entries[k].handler != nullptr) entries[k].handler(element, parent, Apply);
    return;  // only the first entry with the id counts
  }
}

int walkApply(ConfigNode* parent, const SchemaEntry* entries, std::uint32_t n) {
  ApplyLevel level(parent);
  ComRef<IXMLDOMNodeList> children;
  IXMLDOMElement* parentElement = parent->element();
  if (parentElement == nullptr || FAILED(parentElement->get_childNodes(children.out())) ||
      !children) {
    throw CVCException(WSTR("Failed to get node list"));
  }
  for (;;) {
    ComRef<IXMLDOMNode> node;
    if (FAILED(children->nextNode(node.out()))) {
      throw CVCException(WSTR("Failed to get the next node in list"));
    }
    if (!node) break;
    ComRef<IXMLDOMElement> element;
    if (FAILED(node->QueryInterface(IID_IXMLDOMElement, element.outVoid())) ||
        !element) {
      continue;  // text, comments, processing instructions
    }
    ConfigNode child;
    child.assign(element.get());
    try {
      applyElement(parent, &child, entries, n);
    } catch (CVCException& failure) {
      reportWarning(WSTR("%s"), failure.getMessage());
    }
  }
  return 0;
}

}  // namespace

int WalkComponent(ConfigNode* node, const SchemaVersion* versions, std::uint32_t versionCount,
                  Direction direction) {
  if (node == nullptr) throw CVCException(WSTR("WalkComponent() - Node has no reference"));
  if (versions == nullptr || versionCount == 0) {
    throw CVCException(WSTR("No schema version for '%s'"), node->getName());
  }

  const SchemaVersion* chosen = &versions[0];
  const WCHAR* label = node->getAttrib_(WSTR("VERSION"));
  if (label != nullptr && label[0] != 0) {
    const SchemaVersion* match = nullptr;
    for (std::uint32_t k = 0; k < versionCount && match == nullptr; ++k) {
      if (labelEquals(versions[k], label)) match = &versions[k];
    }
    if (match != nullptr) {
      chosen = match;
    } else {
      reportWarning(WSTR("Unable to find matching version for '%s', which has version label "
                         "'%s'.  Attempting to load with latest version"),
                    node->getName(), label);
    }
  }

  if (direction == Save) {
    node->setAttrib_(WSTR("VERSION"), LabelText(*chosen).text);
    if (node->getType() == NodeType::NODE) node->setTypeByString(WSTR("COMPONENT"), nullptr);
    if (node->getId() == -1) {
      throw CVCException(WSTR("Component node '%s' must have an id."), node->getName());
    }
  }
  return WalkSchema(node, chosen->entries, entryCount(*chosen), direction);
}

int WalkSchema(ConfigNode* parent, const SchemaEntry* entries, std::uint32_t entryCount,
               Direction direction) {
  if (parent == nullptr) throw CVCException(WSTR("WalkSchema() - Node has no reference"));
  if (entries == nullptr) entryCount = 0;
  return direction == Save ? walkSave(parent, entries, entryCount)
                           : walkApply(parent, entries, entryCount);
}
