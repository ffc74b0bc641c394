// The checker's walk over a loaded document (not a public interface): the structure is in
// check_walk.cpp, the values in check_values.cpp.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "plugin/node/config_node.h"
#include "tools/qrvdevice/check.h"
#include "tools/qrvdevice/schema_view.h"
#include "tools/qrvdevice/source_positions.h"

// Which of the plug-in's tables a walk is in.
enum class TableKind { Root, ApplicationList, ApplicationFrame, HotkeyList, HotkeyFrame };

struct WalkTable {
  const SchemaView* view;
  TableKind kind;
  int slot;  // the frame's slot (frame tables), else -1
};

// The names of the sections above an element as the schema has them: a mistyped section
// counts as the one it was meant to be; below a section the schema does not know, unknown.
struct SectionPath {
  std::vector<std::string> names;
  bool known = true;
};

// What one application frame set, to judge the frame as a whole.
struct ApplicationFrameSeen {
  std::optional<Text> title;
  std::size_t titleElement = 0;
  bool otherText = false;
};

// What one hotkey frame set.
struct HotkeyFrameSeen {
  int slot = -1;
  std::optional<std::uint32_t> keyCode, modifiers;
  std::size_t keyElement = 0;
  std::optional<std::int32_t> action;
  std::size_t actionElement = 0;
};

struct Checker {
  Checker(const CheckDevice& device, const SourcePositions& positions, std::vector<Finding>& out);

  // ---- structure (check_walk.cpp) ----
  void checkDocument(IXMLDOMDocument* document);
  void indexElements(IXMLDOMNode* node);
  void checkComponent(ConfigNode& configuration);
  const SchemaVersion* chooseVersion(ConfigNode& node, const SchemaVersion* versions,
                                     std::uint32_t count, const std::string& what,
                                     bool noteMissing);
  void walk(ConfigNode& parent, const WalkTable& table, const SectionPath& path);
  void checkChild(ConfigNode& element, const WalkTable& table, const SectionPath& path);
  SectionPath enterSection(ConfigNode& element, const WalkTable& table, const SectionPath& path);
  void checkUnknownId(ConfigNode& element, const WalkTable& table, std::int32_t id);
  void checkMissingId(ConfigNode& element, const WalkTable& table);
  void checkParameter(ConfigNode& element, const WalkTable& table, const SchemaNode& node,
                      const SectionPath& path);
  bool checkType(ConfigNode& element, const SchemaNode& node, NodeType type);
  void walkApplicationList(ConfigNode& element);
  void walkHotkeyList(ConfigNode& element);
  void walkFrame(ConfigNode& element, const SchemaNode& frame);
  void judgeApplicationFrame(const ApplicationFrameSeen& seen, int slot);
  void judgeHotkeyMoves(const std::vector<HotkeyFrameSeen>& frames);

  // ---- values (check_values.cpp) ----
  // A parameter whose entry has a handler, read as its handler reads it.
  void checkValue(ConfigNode& element, const SchemaNode& node);
  std::optional<std::int32_t> readNumber(ConfigNode& element, const SchemaNode& node);
  std::optional<Text> readText(ConfigNode& element, const SchemaNode& node);
  void explainMissingChoice(ConfigNode& element, const SchemaNode& node);
  void checkNumberText(ConfigNode& element, const SchemaNode& node, std::int32_t read);
  void checkSwitchText(ConfigNode& element, const SchemaNode& node, std::int32_t read);
  void checkChoice(ConfigNode& element, const SchemaNode& node, std::int32_t read);
  void checkItems(ConfigNode& element, const SchemaNode& node);
  void checkStringMarks(ConfigNode& element, const SchemaNode& node);
  void checkStoredText(ConfigNode& element, const SchemaNode& node, const Text& text,
                       std::size_t capacity);
  void checkPassword(ConfigNode& element, const SchemaNode& node);
  std::optional<Text> decodeWithout(ConfigNode& element, const WCHAR* mimeType,
                                    const WCHAR* stringType);

  // ---- places and findings (check_walk.cpp) ----
  std::size_t indexOf(ConfigNode& element) const;
  void add(std::size_t element, const char* attribute, Severity severity, const char* code,
           const std::string& message);
  void add(ConfigNode& element, const char* attribute, Severity severity, const char* code,
           const std::string& message) {
    add(indexOf(element), attribute, severity, code, message);
  }
  std::size_t lineOf(std::size_t element) const { return positions_.element(element).line; }

  const CheckDevice& device_;
  const SourcePositions& positions_;
  std::vector<Finding>& out_;
  std::map<IXMLDOMElement*, std::size_t> index_;
  IXMLDOMDocument* document_ = nullptr;

  // The device as the walk has changed it so far.
  std::int32_t enableQrv_;
  std::optional<std::size_t> enableQrvElement_;  // where the document set it
  HotkeyEntry hotkeys_[kHotkeyCapacity];
  HotkeyEntry listedHotkeys_[kHotkeyCapacity];  // as the hotkey list being walked was built

  std::optional<SchemaView> root_, applicationFrame_, hotkeyFrame_;
  ApplicationFrameSeen* applicationSeen_ = nullptr;  // the application frame being walked
  HotkeyFrameSeen* hotkeySeen_ = nullptr;            // the hotkey frame being walked
  std::vector<HotkeyFrameSeen> hotkeyFrames_;        // the frames of the hotkey list so far
};

// A text for a message: in single quotes, control characters as \xNN, cut with "..." past
// `limit` characters.
std::string quoted(const Text& text, std::size_t limit = 60);
std::string quotedUtf8(const std::string& text, std::size_t limit = 60);
std::string utf8(const Text& text);
// The element's attribute, or nothing when it has none.
std::optional<Text> attributeOf(ConfigNode& element, const WCHAR* name);
std::string nameOf(ConfigNode& element);
// "A / B / C", or "the top" for no names.
std::string joinedPath(const std::vector<std::string>& names, const char* top);
// "NAME (id N)" of a schema node for messages.
std::string parameterTitle(const SchemaNode& node);
