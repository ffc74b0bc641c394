// The checker's walk: the document's structure read as the manager and the plug-in's Apply
// read it (the CONFIGURATION element, the component, versions, sections, ids, types, the
// application and hotkey frames), with a finding wherever the device would not do what the
// document seems to say.
#include "tools/qrvdevice/check_walk.h"

#include <cstring>

#include "plugin/entry/component.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/attribute_text.h"
#include "plugin/schema/builtin_schema.h"
#include "plugin/settings/frame_tables.h"
#include "plugin/settings/handlers.h"
#include "plugin/settings/hotkey_names.h"
#include "tools/qrvdevice/loaded_hotkeys.h"
#include "tools/qrvdevice/nearest.h"

namespace {

constexpr std::int32_t kComponentId = static_cast<std::int32_t>(qrvconfig::kComponentId);
const char kComponentName[] = "Corvane Desktop Utility";

const char* const kTypeNames[] = {"HIDDEN",  "NODE",  "ENUM",  "OPTION",    "STRING",
                                  "INTEGER", "CHECK", "FRAME", "COMPONENT", "CONFIGURATION"};

const char* typeName(NodeType type) { return kTypeNames[static_cast<int>(type) - 1]; }

// The element children of a node, in document order.
std::vector<ComRef<IXMLDOMElement>> elementChildren(IXMLDOMNode* parent) {
  std::vector<ComRef<IXMLDOMElement>> children;
  ComRef<IXMLDOMNode> child;
  if (parent == nullptr || parent->get_firstChild(child.out()) != S_OK) return children;
  while (child) {
    ComRef<IXMLDOMElement> element;
    if (SUCCEEDED(child->QueryInterface(IID_IXMLDOMElement, element.outVoid())) && element) {
      children.push_back(std::move(element));
    }
    ComRef<IXMLDOMNode> next;
    if (child->get_nextSibling(next.out()) != S_OK) break;
    child = std::move(next);
  }
  return children;
}

bool hasId(IXMLDOMElement* element) {
  AttributeText id(element, WSTR("id"));
  return id.present() && id.length() > 0;
}

// Elements with an id below `element` (itself not counted).
std::size_t idsBelow(IXMLDOMElement* element) {
  std::size_t count = 0;
  for (const ComRef<IXMLDOMElement>& child : elementChildren(element)) {
    count += (hasId(child.get()) ? 1 : 0) + idsBelow(child.get());
  }
  return count;
}

// The manager's search: the first element, depth first, whose id is the component's; it does
// not look inside an element that is the component.
IXMLDOMElement* managersComponent(IXMLDOMElement* parent) {
  for (const ComRef<IXMLDOMElement>& child : elementChildren(parent)) {
    static const Text componentId = qrvconfig::componentIdText();
    AttributeText id(child.get(), WSTR("id"));
    if (id.equals(componentId.c_str())) return child.get();
    if (IXMLDOMElement* found = managersComponent(child.get())) return found;
  }
  return nullptr;
}

bool isListOrFrame(const SchemaNode& node) {
  ParamHandler h = node.entry->handler;
  return h == ApplicationListHandler || h == HotkeyListHandler || h == ApplicationFrameHandler ||
         h == HotkeyFrameHandler;
}

bool isValueType(NodeType type) {
  return type == NodeType::HIDDEN || type == NodeType::ENUM || type == NodeType::OPTION ||
         type == NodeType::STRING || type == NodeType::INTEGER || type == NodeType::CHECK;
}

std::string hotkeyName(const HotkeyEntry& hotkey) {
  return utf8Of(HotkeyKeyName(hotkey.keyCode, hotkey.modifiers));
}

// "F1, F10, F2, ..." for the occupied slots.
std::string keyList(const HotkeyEntry* hotkeys, std::size_t limit) {
  std::string text;
  std::size_t shown = 0, occupied = 0;
  for (int slot = 0; slot < kHotkeyCapacity; ++slot) {
    if (hotkeys[slot].keyCode == 0) continue;
    ++occupied;
    if (shown < limit) {
      text += (shown++ ? ", " : "") + hotkeyName(hotkeys[slot]);
    }
  }
  if (occupied > shown) text += ", ...";
  return text;
}

int lastOccupiedSlot(const HotkeyEntry* hotkeys) {
  int last = -1;
  for (int slot = 0; slot < kHotkeyCapacity; ++slot) {
    if (hotkeys[slot].keyCode != 0) last = slot;
  }
  return last;
}

bool isBuiltInKey(std::uint32_t keyCode, std::uint32_t modifiers) {
  for (const KeyTableRow& row : DefaultHotkeys) {
    if (row.code == keyCode && modifiers == 0) return true;
  }
  return false;
}

}  // namespace

// ---- text helpers ----

std::string utf8(const Text& text) { return textToUtf8(text.c_str(), text.size()); }

std::string quoted(const Text& text, std::size_t limit) {
  std::string out = "'";
  std::size_t shown = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (shown++ == limit) {
      out += "...";
      break;
    }
    WCHAR c = text[i];
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      static const char digits[] = "0123456789abcdef";
      out += "\\x";
      out += digits[(c >> 4) & 0xF];
      out += digits[c & 0xF];
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      out += textToUtf8(text.c_str() + i, 2);
      ++i;
    } else {
      out += textToUtf8(&c, 1);
    }
  }
  return out + "'";
}

std::string quotedUtf8(const std::string& text, std::size_t limit) {
  return quoted(textFromUtf8(text), limit);
}

std::optional<Text> attributeOf(ConfigNode& element, const WCHAR* name) {
  AttributeText value(element.element(), name);
  if (!value.present()) return std::nullopt;
  return Text(value.data(), value.length());
}

std::string nameOf(ConfigNode& element) {
  std::optional<Text> name = attributeOf(element, WSTR("NAME"));
  return name ? utf8(*name) : std::string();
}

std::string joinedPath(const std::vector<std::string>& names, const char* top) {
  if (names.empty()) return top;
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " / ") + name;
  return text;
}

std::string parameterTitle(const SchemaNode& node) {
  return node.name + " (id " + std::to_string(node.entry->id) + ")";
}

// ---- the checker ----

Checker::Checker(const CheckDevice& device, const SourcePositions& positions,
                 std::vector<Finding>& out)
    : device_(device), positions_(positions), out_(out), enableQrv_(device.enableQrv) {
  std::memcpy(hotkeys_, device.hotkeys, sizeof hotkeys_);
}

std::size_t Checker::indexOf(ConfigNode& element) const {
  auto found = index_.find(element.element());
  return found == index_.end() ? 0 : found->second;
}

void Checker::add(std::size_t element, const char* attribute, Severity severity, const char* code,
                  const std::string& message) {
  SourcePosition at =
      attribute ? positions_.attribute(element, attribute) : positions_.element(element);
  out_.push_back({at.line, at.column, severity, code, message});
}

void Checker::indexElements(IXMLDOMNode* node) {
  for (const ComRef<IXMLDOMElement>& child : elementChildren(node)) {
    std::size_t next = index_.size();
    index_.emplace(child.get(), next);
    indexElements(child.get());
  }
}

void Checker::checkDocument(IXMLDOMDocument* document) {
  document_ = document;
  indexElements(document);
  std::vector<ComRef<IXMLDOMElement>> top = elementChildren(document);
  if (top.empty()) return;
  ConfigNode root;
  root.assign(top.front().get());
  std::optional<Text> type = attributeOf(root, WSTR("TYPE"));
  if (!type || textCompareNoCase(type->c_str(), WSTR("CONFIGURATION")) != 0) {
    add(root, type ? "TYPE" : nullptr, Severity::Error, "no-configuration",
        "the document element is not TYPE=\"CONFIGURATION\"" +
            (type ? " (its TYPE is " + quoted(*type) + ")" : std::string(" (it has no TYPE)")) +
            ": the device finds no configuration in the document and applies nothing");
    return;
  }
  checkComponent(root);
}

void Checker::checkComponent(ConfigNode& configuration) {
  IXMLDOMElement* managers = managersComponent(configuration.element());
  ConfigNode component;
  bool pluginFound = true;
  try {
    configuration.getChildByIndex(kComponentId, &component);
  } catch (const CVCException&) {
    pluginFound = false;
  }

  if (managers == nullptr) {
    std::string hint;
    for (const auto& [element, index] : index_) {
      ConfigNode candidate;
      candidate.assign(element);
      if (nameOf(candidate) == kComponentName) {
        std::optional<Text> id = attributeOf(candidate, WSTR("id"));
        hint = "; the element named '" + std::string(kComponentName) + "' at line " +
               std::to_string(lineOf(index)) + " has " +
               (id ? "id " + quoted(*id) : std::string("no id"));
        break;
      }
    }
    add(configuration, nullptr, Severity::Error, "no-component",
        "no element with id " + std::to_string(kComponentId) + ", the " +
            std::string(kComponentName) +
            " component, below the CONFIGURATION element: the device applies nothing" + hint);
    return;
  }
  if (!pluginFound) {
    add(index_[managers], nullptr, Severity::Error, "component-nested",
        "the " + std::string(kComponentName) +
            " component lies inside another component: the manager hands the document over, "
            "but the plug-in does not look inside other components, so nothing is applied");
    return;
  }
  if (managers != component.element()) {
    add(index_[managers], nullptr, Severity::Warning, "component-nested",
        "this element with id " + std::to_string(kComponentId) +
            " lies inside another component, where the plug-in does "
            "not look; the device applies the component at line " +
            std::to_string(lineOf(indexOf(component))) + " instead");
  }

  const SchemaVersion* version = chooseVersion(component, RootVersions, 2, "the component", true);
  root_.emplace(*version);
  walk(component, {&*root_, TableKind::Root, -1}, SectionPath());
}

const SchemaVersion* Checker::chooseVersion(ConfigNode& node, const SchemaVersion* versions,
                                            std::uint32_t count, const std::string& what,
                                            bool noteMissing) {
  std::optional<Text> label = attributeOf(node, WSTR("VERSION"));
  const std::string newest = SchemaView(versions[0]).label();
  if (!label || label->empty()) {
    if (noteMissing) {
      add(node, nullptr, Severity::Note, "version-missing",
          what + " has no VERSION: the device reads it with the newest version, " + newest);
    }
    return &versions[0];
  }
  std::string known;
  for (std::uint32_t k = 0; k < count; ++k) {
    SchemaView view(versions[k]);
    if (view.label() == utf8(*label)) return &versions[k];
    known += (k ? ", " : "") + view.label();
  }
  add(node, "VERSION", Severity::Warning, "version-unknown",
      "VERSION " + quoted(*label) + " names no version of " + what + " (it has " + known +
          "): the device reads it with the newest, " + newest);
  return &versions[0];
}

void Checker::walk(ConfigNode& parent, const WalkTable& table, const SectionPath& path) {
  for (const ComRef<IXMLDOMElement>& child : elementChildren(parent.element())) {
    ConfigNode element;
    element.assign(child.get());
    checkChild(element, table, path);
  }
}

void Checker::checkChild(ConfigNode& element, const WalkTable& table, const SectionPath& path) {
  NodeType type;
  try {
    type = element.getType();
  } catch (const CVCException&) {
    std::optional<Text> typeText = attributeOf(element, WSTR("TYPE"));
    const bool ownId = hasId(element.element());
    const std::size_t inside = idsBelow(element.element());
    std::string message =
        typeText ? "TYPE " + quoted(*typeText) + " is none of the types the device knows"
                 : std::string("this element has no TYPE");
    if (typeText) {
      std::vector<std::string> names(std::begin(kTypeNames), std::end(kTypeNames));
      int closest = nearestOf(utf8(*typeText), names, 2, true);
      if (closest >= 0) message += " (did you mean " + names[static_cast<std::size_t>(closest)] + "?)";
    }
    message += ": the device passes over it";
    if (inside > 0)
      message += " and the " + std::to_string(inside) + " element(s) with ids inside it";
    if (ownId) {
      const SchemaNode* own = table.view->byId(element.getId());
      message += own != nullptr && !own->stub ? ", so " + parameterTitle(*own) + " is not applied"
                                              : std::string(", id and all");
    }
    add(element, typeText ? "TYPE" : nullptr, ownId || inside ? Severity::Error : Severity::Warning,
        typeText ? "type-unknown" : "type-missing", message);
    return;
  }

  const std::int32_t id = element.getId();
  const SchemaNode* node = id == -1 ? nullptr : table.view->byId(id);
  const bool handled = node != nullptr && node->entry->handler != nullptr;
  std::optional<Text> version = attributeOf(element, WSTR("VERSION"));
  const bool descends =
      (type == NodeType::NODE || type == NodeType::FRAME) && (!version || version->empty());

  if (descends && !(handled && isListOrFrame(*node))) {
    // A list or frame element is walked by its handler; the generic descent finds nothing there.
    SectionPath inner = id == -1 ? enterSection(element, table, path) : path;
    walk(element, table, inner);
  } else if (!descends && !(handled && isListOrFrame(*node)) && (id == -1 || node != nullptr)) {
    const std::size_t inside = idsBelow(element.element());
    if (inside > 0) {
      add(element, version ? "VERSION" : "TYPE", Severity::Error, "section-skipped",
          std::string(version && !version->empty() &&
                              (type == NodeType::NODE || type == NodeType::FRAME)
                          ? "this element carries a VERSION"
                          : "this element is TYPE " + std::string(typeName(type))) +
              ", so the device does not look inside it: the " + std::to_string(inside) +
              " element(s) with ids inside it are not applied (only NODE and FRAME elements "
              "without VERSION are opened, and lists and frames by their own ids)");
    }
  }

  if (id == -1) {
    if (!descends && isValueType(type)) checkMissingId(element, table);
    return;
  }
  if (node == nullptr) {
    checkUnknownId(element, table, id);
    return;
  }
  if (!handled) return;
  checkParameter(element, table, *node, path);
}

SectionPath Checker::enterSection(ConfigNode& element, const WalkTable& table,
                                  const SectionPath& path) {
  const std::string name = nameOf(element);
  SectionPath inner{path.names, path.known};
  inner.names.push_back(name);
  if (!path.known) return inner;

  // The schema's node for the path so far.
  const SchemaView& view = *table.view;
  int at = -1;
  for (const std::string& segment : path.names) {
    int next = -2;
    for (int child : view.childrenOf(at)) {
      if (view.node(child).name == segment) next = child;
    }
    if (next == -2) return {inner.names, false};
    at = next;
  }
  std::vector<std::string> sections;
  for (int child : view.childrenOf(at)) {
    const SchemaNode& node = view.node(child);
    if (node.name == name) {
      if (node.entry->id != -1) {
        add(element, nullptr, Severity::Error, "id-missing",
            "'" + name + "' has no id: the device knows it only by its id " +
                std::to_string(node.entry->id) + ", so what is inside it is not applied");
        return {inner.names, false};
      }
      return inner;
    }
    if (node.entry->id == -1 && !view.childrenOf(child).empty()) sections.push_back(node.name);
  }

  const std::string where =
      path.names.empty() ? "at the top of the component" : "in " + joinedPath(path.names, "");
  int closest = nearestOf(name, sections, 3, false);
  if (closest >= 0) {
    inner.names.back() = sections[static_cast<std::size_t>(closest)];
    add(element, "NAME", Severity::Warning, "section-name",
        "section " + quotedUtf8(name) + " is no section " + where + "; did you mean '" +
            inner.names.back() + "'? (the device goes by ids, so what is inside still applies)");
    return inner;
  }
  for (const SchemaNode& node : view.nodes()) {
    if (!node.stub && node.name == name && node.entry->id == -1 &&
        !view.childrenOf(node.index).empty()) {
      std::vector<std::string> real = view.pathOf(node.index);
      real.push_back(name);
      add(element, "NAME", Severity::Warning, "section-misplaced",
          "section '" + name + "' stands " + where + "; the schema has it " +
              (view.pathOf(node.index).empty() ? std::string("at the top of the component")
                                               : "in " + joinedPath(view.pathOf(node.index), "")) +
              " (the device goes by ids, so what is inside still applies)");
      return {real, true};
    }
  }
  std::string list;
  for (const std::string& section : sections) list += (list.empty() ? "" : ", ") + section;
  add(element, "NAME", Severity::Warning, "section-name",
      "section " + quotedUtf8(name) + " is no section of the schema " + where +
          (list.empty() ? std::string() : " (there: " + list + ")") +
          "; the device goes by ids, so what is inside still applies");
  return {inner.names, false};
}

void Checker::checkMissingId(ConfigNode& element, const WalkTable& table) {
  const std::string name = nameOf(element);
  for (const SchemaNode& node : table.view->nodes()) {
    if (!node.stub && node.name == name && node.entry->id != -1) {
      add(element, nullptr, Severity::Error, "id-missing",
          "'" + name + "' has no id: the device passes over it (the schema's " + name + " is id " +
              std::to_string(node.entry->id) + ")");
      return;
    }
  }
  add(element, nullptr, attributeOf(element, WSTR("VALUE")) ? Severity::Error : Severity::Warning,
      "id-missing", "this element has no id: the device passes over it");
}

void Checker::checkUnknownId(ConfigNode& element, const WalkTable& table, std::int32_t id) {
  const std::size_t inside = idsBelow(element.element());
  const std::string lost =
      inside > 0 ? " and the " + std::to_string(inside) + " element(s) with ids inside it" : "";
  if (table.kind == TableKind::ApplicationList &&
      id >= kFirstApplicationFrameId + kApplicationCapacity &&
      id < kFirstApplicationFrameId + 100) {
    add(element, "id", Severity::Error, "application-slot",
        "application frame " + std::to_string(id) + " would be application " +
            std::to_string(id - kFirstApplicationFrameId + 1) + ", but the device keeps " +
            std::to_string(kApplicationCapacity) + " (frames " +
            std::to_string(kFirstApplicationFrameId) + " to " +
            std::to_string(kFirstApplicationFrameId + kApplicationCapacity - 1) +
            "): it ignores this frame");
    return;
  }
  if (table.kind == TableKind::HotkeyList && id >= kFirstHotkeyFrameId &&
      id < kFirstHotkeyFrameId + kHotkeyCapacity) {
    const int last = lastOccupiedSlot(listedHotkeys_);
    add(element, "id", Severity::Error, "hotkey-slot",
        "hotkey frame " + std::to_string(id) + " addresses slot " +
            std::to_string(id - kFirstHotkeyFrameId) + ", which " + device_.description +
            " does not have (its hotkeys are frames " + std::to_string(kFirstHotkeyFrameId) +
            " to " + std::to_string(kFirstHotkeyFrameId + last) + ": " +
            keyList(listedHotkeys_, 12) +
            "); a document changes the hotkeys a device has and cannot add one, so the device "
            "ignores this frame");
    return;
  }

  std::string where = table.kind == TableKind::Root               ? "of the component"
                      : table.kind == TableKind::ApplicationFrame ? "of an application frame"
                      : table.kind == TableKind::HotkeyFrame      ? "of a hotkey frame"
                      : table.kind == TableKind::ApplicationList  ? "of Authorized Applications"
                                                                  : "of Hotkeys";
  std::string message = "id " + std::to_string(id) + " matches no parameter " + where +
                        ": the device ignores this element" + lost;
  if (table.kind == TableKind::Root && id >= kFirstHotkeyFrameId &&
      id < kFirstHotkeyFrameId + kHotkeyCapacity) {
    message += " (hotkey frames are read only inside Hotkeys, id 61007)";
  } else if (table.kind == TableKind::Root && id >= kFirstApplicationFrameId &&
             id < kFirstApplicationFrameId + kApplicationCapacity) {
    message += " (application frames are read only inside Authorized Applications, id 61006)";
  } else {
    const std::string name = nameOf(element);
    const SchemaNode* byName = nullptr;
    std::vector<std::string> ids;
    std::vector<const SchemaNode*> nodes;
    for (const SchemaNode& node : table.view->nodes()) {
      if (node.stub || node.entry->handler == nullptr) continue;
      if (node.name == name && byName == nullptr) byName = &node;
      ids.push_back(std::to_string(node.entry->id));
      nodes.push_back(&node);
    }
    int closest = nearestOf(std::to_string(id), ids, 2, false);
    if (byName != nullptr) {
      message += " (did you mean " + std::to_string(byName->entry->id) + " " + name + "?)";
    } else if (closest >= 0) {
      message += " (did you mean " + ids[static_cast<std::size_t>(closest)] + " " +
                 nodes[static_cast<std::size_t>(closest)]->name + "?)";
    }
  }
  add(element, "id", Severity::Error, "id-unknown", message);
}

void Checker::checkParameter(ConfigNode& element, const WalkTable& table, const SchemaNode& node,
                             const SectionPath& path) {
  const ParamHandler handler = node.entry->handler;
  const std::string name = nameOf(element);
  const std::int32_t id = node.entry->id;

  if (handler == HotkeyFrameHandler) {
    const int slot = id - kFirstHotkeyFrameId;
    if (name != node.name) {
      std::string message = "frame " + std::to_string(id) + " is named " + quotedUtf8(name) +
                            ", but slot " + std::to_string(slot) + " holds " + node.name + " on " +
                            device_.description + ": the id decides, so this frame changes " +
                            node.name;
      int other = -1;
      for (int k = 0; k < kHotkeyCapacity; ++k) {
        if (hotkeys_[k].keyCode != 0 && hotkeyName(hotkeys_[k]) == name) other = k;
      }
      if (other >= 0) {
        message +=
            " (" + name + " is frame " + std::to_string(kFirstHotkeyFrameId + other) + " there)";
      } else {
        message += " (a document cannot add a hotkey " + quotedUtf8(name) + ")";
      }
      add(element, "id", Severity::Error, "frame-name", message);
    }
  } else if (handler == ApplicationFrameHandler) {
    if (name != node.name) {
      add(element, "NAME", Severity::Warning, "frame-name",
          "frame " + std::to_string(id) + " is named " + quotedUtf8(name) + ", but it is " +
              node.name + " (the id decides)");
    }
  } else if (name != node.name) {
    add(element, "NAME", Severity::Warning, "name-mismatch",
        "NAME " + quotedUtf8(name) + " is not the name of id " + std::to_string(id) + " ('" +
            node.name + "'): the device goes by the id and applies it as " + node.name);
  }

  if (path.known && table.kind != TableKind::ApplicationList &&
      table.kind != TableKind::HotkeyList) {
    std::vector<std::string> schemaPath = table.view->pathOf(node.index);
    if (schemaPath != path.names) {
      add(element, nullptr, Severity::Warning, "misplaced",
          node.name + " stands in " + joinedPath(path.names, "the top") +
              "; the schema has it in " + joinedPath(schemaPath, "the top") +
              " (the device applies it by its id wherever it stands)");
    }
  }

  if (handler == ApplicationListHandler) {
    walkApplicationList(element);
  } else if (handler == HotkeyListHandler) {
    walkHotkeyList(element);
  } else if (handler == ApplicationFrameHandler || handler == HotkeyFrameHandler) {
    walkFrame(element, node);
  } else if (checkType(element, node, element.getType())) {
    checkValue(element, node);
  }
}

bool Checker::checkType(ConfigNode& element, const SchemaNode& node, NodeType type) {
  const std::string actual = typeName(type);
  if (actual == node.type) return true;
  const bool wantsNumber = node.type != "STRING";
  const bool readable =
      wantsNumber ? (type == NodeType::HIDDEN || type == NodeType::INTEGER ||
                     type == NodeType::CHECK || type == NodeType::ENUM || type == NodeType::OPTION)
                  : (type == NodeType::HIDDEN || type == NodeType::ENUM ||
                     type == NodeType::OPTION || type == NodeType::STRING);
  std::string message =
      "TYPE " + actual + " is not the schema's " + node.type + " for " + parameterTitle(node);
  if (!readable) {
    add(element, "TYPE", Severity::Error, "type-mismatch",
        message + ": the device cannot read " + (wantsNumber ? "a number" : "a text") + " from a " +
            actual + " element, so it is not applied");
    return false;
  }
  const char* reading =
      type == NodeType::CHECK ? "as a switch (0 when it begins with 0, else 1)"
      : type == NodeType::ENUM || type == NodeType::OPTION
          ? (wantsNumber ? "as the code of the item it names" : "as the name of an item")
      : wantsNumber ? "as a decimal number"
                    : "as plain text";
  add(element, "TYPE", Severity::Warning, "type-mismatch",
      message + ": the device reads its VALUE " + reading);
  return true;
}

void Checker::walkApplicationList(ConfigNode& element) {
  FrameList<kApplicationCapacity> frames;
  BuildApplicationFrames(frames);
  SchemaVersion version = frames.version();
  chooseVersion(element, &version, 1, "Authorized Applications", false);
  SchemaView view(version);
  walk(element, {&view, TableKind::ApplicationList, -1}, SectionPath());
}

void Checker::walkHotkeyList(ConfigNode& element) {
  FrameList<kHotkeyCapacity> frames;
  BuildHotkeyFrames(hotkeys_, frames);
  std::memcpy(listedHotkeys_, hotkeys_, sizeof listedHotkeys_);
  SchemaVersion version = frames.version();
  chooseVersion(element, &version, 1, "Hotkeys", false);
  SchemaView view(version);
  // The frames are judged together at the end: whether a move collides depends on what the
  // other frames leave.
  std::vector<HotkeyFrameSeen> outer = std::move(hotkeyFrames_);
  hotkeyFrames_.clear();
  walk(element, {&view, TableKind::HotkeyList, -1}, SectionPath());
  judgeHotkeyMoves(hotkeyFrames_);
  hotkeyFrames_ = std::move(outer);
}

void Checker::walkFrame(ConfigNode& element, const SchemaNode& frame) {
  if (frame.entry->handler == ApplicationFrameHandler) {
    if (!applicationFrame_) applicationFrame_.emplace(ApplicationFrameVersions[0]);
    chooseVersion(element, ApplicationFrameVersions, 1, "the application frame", false);
    const int slot = frame.entry->id - kFirstApplicationFrameId;
    ApplicationFrameSeen seen;
    ApplicationFrameSeen* outer = applicationSeen_;
    applicationSeen_ = &seen;
    walk(element, {&*applicationFrame_, TableKind::ApplicationFrame, slot}, SectionPath());
    applicationSeen_ = outer;
    judgeApplicationFrame(seen, slot);
    return;
  }
  if (!hotkeyFrame_) hotkeyFrame_.emplace(HotkeyFrameVersions[0]);
  chooseVersion(element, HotkeyFrameVersions, 1, "the hotkey frame", false);
  const int slot = frame.entry->id - kFirstHotkeyFrameId;
  HotkeyFrameSeen seen;
  seen.slot = slot;
  HotkeyFrameSeen* outer = hotkeySeen_;
  hotkeySeen_ = &seen;
  walk(element, {&*hotkeyFrame_, TableKind::HotkeyFrame, slot}, SectionPath());
  hotkeySeen_ = outer;
  // The record changes as the frame's properties apply, for the frames that follow.
  HotkeyEntry& hotkey = hotkeys_[slot];
  if (seen.action) hotkey.action = *seen.action;
  if (seen.keyCode) hotkey.keyCode = *seen.keyCode;
  if (seen.modifiers) hotkey.modifiers = *seen.modifiers;
  hotkeyFrames_.push_back(seen);
}

void Checker::judgeApplicationFrame(const ApplicationFrameSeen& seen, int slot) {
  if (seen.title && seen.title->empty() && seen.otherText) {
    add(seen.titleElement, "VALUE", Severity::Warning, "application-removed",
        "the title is empty, so the device removes application " + std::to_string(slot + 1) +
            " with what the frame sets besides it (an application without a title is dropped)");
  }
}

void Checker::judgeHotkeyMoves(const std::vector<HotkeyFrameSeen>& frames) {
  for (const HotkeyFrameSeen& frame : frames) {
    const HotkeyEntry& before = device_.hotkeys[frame.slot];
    const HotkeyEntry& after = hotkeys_[frame.slot];
    if (before.keyCode == after.keyCode && before.modifiers == after.modifiers) continue;
    const std::string from = hotkeyName(before);
    if (after.keyCode == 0) {
      add(frame.keyElement, "VALUE", Severity::Warning, "hotkey-removed",
          "VirtualKey 0 removes the hotkey " + from + " at commit");
      continue;
    }
    const std::string to = hotkeyName(after);
    int other = -1;
    for (int k = 0; k < kHotkeyCapacity; ++k) {
      if (k != frame.slot && hotkeys_[k].keyCode == after.keyCode &&
          hotkeys_[k].modifiers == after.modifiers) {
        other = k;
      }
    }
    if (other >= 0) {
      const bool builtIn = isBuiltInKey(after.keyCode, after.modifiers);
      add(frame.keyElement, "VALUE", Severity::Warning, "hotkey-taken",
          "this frame moves the hotkey " + from + " onto " + to + ", which slot " +
              std::to_string(other) + " (frame " + std::to_string(kFirstHotkeyFrameId + other) +
              ") holds too" +
              (builtIn ? ": " + to + " is a built-in key, so the device does not make the move"
                       : ": the device keeps both"));
      continue;
    }
    add(frame.keyElement, "VALUE", Severity::Warning, "hotkey-moved",
        "this frame moves the hotkey " + from + " onto " + to +
            (isBuiltInKey(before.keyCode, before.modifiers)
                 ? "; " + from + " comes back with no action at the next load"
                 : std::string()) +
            ", and the hotkeys' slots (the frame ids) follow the new names from then on");
  }

  // The combination that launched the configuration utility at load gets it back when no
  // hotkey carries that action after the walk.
  const HotkeyEntry& launch = device_.launchConfig;
  if (launch.keyCode == 0) return;
  for (const HotkeyEntry& h : hotkeys_) {
    if (h.action == 3) return;
  }
  for (const HotkeyFrameSeen& frame : frames) {
    const HotkeyEntry& before = device_.hotkeys[frame.slot];
    if (frame.action && before.keyCode == launch.keyCode && before.modifiers == launch.modifiers) {
      add(frame.actionElement, "VALUE", Severity::Warning, "hotkey-protected",
          hotkeyName(before) + " launches the configuration utility on " + device_.description +
              ", and the device gives it that action back at commit (a document cannot take it "
              "away)");
    }
  }
}

CheckDevice::CheckDevice(const DeviceSettings& settings, std::string text)
    : description(std::move(text)) {
  std::memset(&launchConfig, 0, sizeof launchConfig);
  occupied = loadedHotkeyTable(settings.hotkeys, hotkeys, &launchConfig);
  auto qrv = settings.settings.find(5);
  enableQrv = qrv == settings.settings.end() ? 1 : qrv->second;
}
