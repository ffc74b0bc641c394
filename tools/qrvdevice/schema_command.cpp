// `qrvdevice schema`, the reference of every parameter from the plug-in's built-in tables, and
// `qrvdevice encode-password`, the Password element written by the plug-in's own encoder.
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/com_ref.h"
#include "plugin/entry/context.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/builtin_schema.h"
#include "plugin/settings/frame_tables.h"
#include "plugin/settings/handlers.h"
#include "plugin/settings/hotkey_names.h"
#include "plugin/settings/text_fields.h"
#include "tools/qrvdevice/admin_commands.h"
#include "tools/qrvdevice/commands.h"
#include "tools/qrvdevice/loaded_hotkeys.h"
#include "tools/qrvdevice/schema_view.h"

namespace {

using Json = nlohmann::ordered_json;

const SchemaVersion* versionNamed(const std::string* label) {
  if (label == nullptr) return &RootVersions[0];
  for (const SchemaVersion& version : RootVersions) {
    if (SchemaView(version).label() == *label) return &version;
  }
  return nullptr;
}

int unknownVersion(const std::string& label) {
  std::cerr << "qrvdevice: there is no schema version '" << label << "' (there are";
  for (const SchemaVersion& version : RootVersions) std::cerr << " " << SchemaView(version).label();
  std::cerr << ")\n";
  return kExitUsage;
}

std::string keyName(std::uint32_t code, std::uint32_t modifiers) {
  return utf8Of(HotkeyKeyName(code, modifiers));
}

// The capacity of the field a text parameter is kept in, terminator included; 0 for none.
std::size_t textCapacity(const SchemaNode& node) {
  static AppEntry application;
  static HotkeyEntry hotkey;
  static ErrorPageTable pages;
  const std::int32_t id = node.entry->id;
  const ParamHandler handler = node.entry->handler;
  if (handler == GeneralParamHandler && id == kPasswordId) return kPasswordCapacity;
  if (handler == BrowserParamHandler) return ErrorPageTextField(pages, id).capacity;
  if (handler == ApplicationPropertyHandler) return ApplicationTextField(application, id).capacity;
  if (handler == HotkeyPropertyHandler) return HotkeyTextField(hotkey, id).capacity;
  return 0;
}

std::string newDeviceHotkeys() {
  HotkeyEntry table[kHotkeyCapacity];
  int occupied = loadedHotkeyTable({}, table, nullptr);
  std::string text;
  for (int slot = 0; slot < occupied; ++slot) {
    text += (slot ? ", " : "") + std::to_string(kFirstHotkeyFrameId + slot) + " " +
            keyName(table[slot].keyCode, table[slot].modifiers);
  }
  return text;
}

// What a parameter takes, in a few words, and the kind of value it is, whose meaning (with
// what the device makes of anything else) the legend gives once.
struct Takes {
  std::string words;
  std::string kind;  // a key of the legend; empty for a section
};

Takes takesOf(const SchemaNode& node) {
  const ParamHandler handler = node.entry->handler;
  const std::int32_t id = node.entry->id;
  if (handler == HotkeyListHandler) return {"hotkey frames", "hotkey frames"};
  if (handler == ApplicationListHandler) return {"application frames", "application frames"};
  if (handler == nullptr) return {"", ""};
  const std::string& type = node.type;
  if (type == "CHECK") return {"switch", "switch"};
  if (type == "ENUM") {
    std::string items;
    for (const SchemaItem& item : node.items) {
      items += (items.empty() ? "" : ", ") + item.name + " " + std::to_string(item.value) +
               (item.hiddenInExports ? " (left out of exports)" : "");
    }
    return {"choice: " + items, "choice"};
  }
  if (handler == HotkeyPropertyHandler && id == HotkeyProperty::keyCode) {
    return {"key code", "key code"};
  }
  if (handler == HotkeyPropertyHandler && id == HotkeyProperty::modifiers) {
    return {"modifiers", "modifiers"};
  }
  if (type == "INTEGER") {
    std::string words = "number";
    if (node.range.min && node.range.max) {
      words += " " + std::to_string(*node.range.min) + " to " + std::to_string(*node.range.max);
      if (node.range.step) words += ", step " + std::to_string(*node.range.step);
    }
    return {words, "number"};
  }
  if (type == "STRING") {
    const std::size_t capacity = textCapacity(node);
    const std::string size = capacity > 0 ? " (" + std::to_string(capacity - 1) + ")" : "";
    if (handler == GeneralParamHandler && id == kPasswordId) {
      const std::string* marks = SchemaView::attribute(node, "STRINGTYPE");
      return {"password" + size + (marks && *marks == "PWD2" ? ", scrambled binHex" : ", binHex"),
              "password"};
    }
    const std::string* mime = SchemaView::attribute(node, "MIMETYPE");
    std::string words = "text" + size;
    if (mime && *mime == "binHex") words += ", binHex in exports";
    if (handler == ApplicationPropertyHandler && id == ApplicationProperty::title)
      words += "; empty removes the application";
    return {words, "text"};
  }
  return {type, ""};
}

// The legend: each kind of value, what it takes and what the device makes of others.
std::vector<std::pair<std::string, std::string>> legend() {
  return {
      {"switch",
       "0 (off) or 1 (on). A text that begins with the digit 0 reads as 0, every other "
       "text as 1: \"off\", \"no\", \"false\" and an empty VALUE switch it ON."},
      {"number",
       "a whole decimal number. Digits are read up to the first other character "
       "(\"5s\" is 5), a text without digits reads as 0 (\"five\" is 0); a number "
       "outside MIN to MAX is stored as it stands."},
      {"text",
       "a text of at most (N) characters; a longer one is cut. Exports write it as "
       "binHex (two hex digits per character) with MIMETYPE=\"binHex\"; a text without "
       "MIMETYPE is read as it stands. Marks are compared letter for letter: "
       "MIMETYPE=\"binhex\" is no mark, and the digits are then taken as the text."},
      {"password",
       "at most (N) characters, each at most U+00FF, without control characters. "
       "Version 1.0.1 writes it scrambled and binHex-encoded (STRINGTYPE=\"PWD2\" "
       "MIMETYPE=\"binHex\"), 1.0.0 binHex-encoded only (PWD1): take the element from "
       "qrvdevice encode-password. Without MIMETYPE and STRINGTYPE the VALUE is the "
       "password as plain text."},
      {"choice",
       "VALUE is the NAME of the chosen item, and the items stand inside the element "
       "as <ENUM NAME=\"...\" VALUE=\"code\"/>; the device stores the chosen item's "
       "code. Without the items, or with a code in VALUE, it leaves the value as it "
       "was."},
      {"key code", "the key's code in decimal, which gives the frame's name: 179 to 188 for " +
                       keyName(179, 0) + " to " + keyName(188, 0) + ", 65 to 90 for " +
                       keyName(65, 0) + " to " + keyName(90, 0) + ", 48 to 57 for " +
                       keyName(48, 0) + " to " + keyName(57, 0) + ", 122 to 135 for " +
                       keyName(122, 0) + " to " + keyName(135, 0) + "; 0 removes the hotkey."},
      {"modifiers", "0 none, 1 Alt, 2 Ctrl, 3 both (" + keyName(65, 3) + ")."},
      {"hotkey frames",
       "a COMPONENT with VERSION 1.0.0 holding one FRAME per hotkey of the "
       "device, id 62000 + slot, the slots in the order of the key names (a new "
       "device: " +
           newDeviceHotkeys() +
           "). A frame changes the hotkey in its slot; a document cannot add a "
           "hotkey. Export a device's configuration to see its frames."},
      {"application frames",
       "a COMPONENT with VERSION 1.0.0 holding the FRAMEs Application 1 to "
       "Application " +
           std::to_string(kApplicationCapacity) + ", ids " +
           std::to_string(kFirstApplicationFrameId) + " to " +
           std::to_string(kFirstApplicationFrameId + kApplicationCapacity - 1) +
           "; frames beyond them are ignored."},
  };
}

std::string legendOf(const std::string& kind) {
  for (const auto& [key, text] : legend()) {
    if (key == kind) return text;
  }
  return std::string();
}

std::string attributesText(const SchemaNode& node) {
  std::string text;
  for (const auto& [key, value] : node.attributes)
    text += (text.empty() ? "" : " ") + key + "=" + value;
  return text;
}

struct TableView {
  std::string title;
  std::string element;  // how its frames are written, for the frame tables
  const SchemaView* view;
};

std::string padded(const std::string& text, std::size_t width) {
  return text + std::string(text.size() < width ? width - text.size() : 1, ' ');
}

void printTable(std::ostream& out, const TableView& table) {
  out << table.title << "\n";
  if (!table.element.empty()) out << table.element << "\n";
  for (const SchemaNode& node : table.view->nodes()) {
    if (node.stub) continue;
    std::vector<std::string> path = table.view->pathOf(node.index);
    path.push_back(node.name);
    std::string name;
    for (const std::string& part : path) name += (name.empty() ? "" : " / ") + part;
    std::string line = "  " +
                       padded(node.entry->id == -1 ? "-" : std::to_string(node.entry->id), 7) +
                       padded(node.type, 9) + name;
    Takes takes = takesOf(node);
    if (!takes.words.empty()) line = padded(line, 78) + takes.words;
    if (!node.attributes.empty()) line += "  [" + attributesText(node) + "]";
    if (node.hiddenInExports) line += "  [left out of exports, applied all the same]";
    out << line << "\n";
  }
  out << "\n";
}

Json nodeJson(const SchemaNode& node, const SchemaView& view, const char* table) {
  std::vector<std::string> path = view.pathOf(node.index);
  Json attributes = Json::object();
  for (const auto& [key, value] : node.attributes) attributes[key] = value;
  Json items = Json::array();
  for (const SchemaItem& item : node.items) {
    items.push_back(
        {{"name", item.name}, {"value", item.value}, {"leftOutOfExports", item.hiddenInExports}});
  }
  Json range = nullptr;
  if (node.range.min || node.range.max || node.range.step) {
    range = Json::object();
    if (node.range.min) range["min"] = *node.range.min;
    if (node.range.max) range["max"] = *node.range.max;
    if (node.range.step) range["step"] = *node.range.step;
  }
  const std::size_t capacity = textCapacity(node);
  return {{"table", table},
          {"id", node.entry->id == -1 ? Json(nullptr) : Json(node.entry->id)},
          {"path", path},
          {"name", node.name},
          {"type", node.type},
          {"attributes", attributes},
          {"takes", takesOf(node).words},
          {"meaning", legendOf(takesOf(node).kind)},
          {"capacity", capacity > 0 ? Json(capacity - 1) : Json(nullptr)},
          {"leftOutOfExports", node.hiddenInExports},
          {"range", range},
          {"items", items}};
}

}  // namespace

int commandSchema(const std::string* label, bool asJson) {
  const SchemaVersion* version = versionNamed(label);
  if (version == nullptr) return unknownVersion(*label);
  SchemaView root(*version);
  SchemaView application(ApplicationFrameVersions[0]);
  SchemaView hotkey(HotkeyFrameVersions[0]);
  const std::vector<TableView> tables = {
      {"Corvane Desktop Utility: COMPONENT, id 61000, VERSION " + root.label(), "", &root},
      {"Application frame: FRAME \"Application N\", id " +
           std::to_string(kFirstApplicationFrameId) + " + N - 1, VERSION " + application.label(),
       "(inside Authorized Applications, id 61006)", &application},
      {"Hotkey frame: FRAME named after its key, id " + std::to_string(kFirstHotkeyFrameId) +
           " + slot, VERSION " + hotkey.label(),
       "(inside Hotkeys, id 61007)", &hotkey},
  };
  if (asJson) {
    Json parameters = Json::array();
    const char* names[] = {"component", "application frame", "hotkey frame"};
    for (std::size_t t = 0; t < tables.size(); ++t) {
      for (const SchemaNode& node : tables[t].view->nodes()) {
        if (!node.stub) parameters.push_back(nodeJson(node, *tables[t].view, names[t]));
      }
    }
    Json out = {{"component",
                 {{"name", "Corvane Desktop Utility"}, {"id", 61000}, {"version", root.label()}}},
                {"parameters", parameters}};
    std::cout << out.dump(2) << "\n";
    return kExitOk;
  }
  std::cout << "Every element is a PARAM with NAME, TYPE and id as below (\"-\": no id, a section\n"
               "that holds others) and its value in VALUE. The device finds each parameter by its\n"
               "id, wherever it stands; the names and sections are for the reader.\n\n";
  for (const TableView& table : tables) printTable(std::cout, table);
  std::cout << "What the values are:\n";
  for (const auto& [kind, text] : legend()) {
    // Wrapped at 96 columns, below the kind's name.
    std::cout << "  " << kind << "\n";
    std::string line = "     ";
    std::istringstream words(text);
    for (std::string word; words >> word;) {
      if (line.size() + word.size() + 1 > 96) {
        std::cout << line << "\n";
        line = "     ";
      }
      line += " " + word;
    }
    std::cout << line << "\n";
  }
  return kExitOk;
}

int commandEncodePassword(const std::string& password, const std::string* label) {
  const SchemaVersion* version = versionNamed(label);
  if (version == nullptr) return unknownVersion(*label);
  SchemaView view(*version);
  const SchemaNode* node = view.byId(kPasswordId);
  if (node == nullptr) return kExitFailed;

  const Text text = textFromUtf8(password);
  auto refuse = [](const std::string& why) {
    std::cerr << "qrvdevice: " << why << "\n";
    return kExitFailed;
  };
  if (text.size() > kPasswordCapacity - 1) {
    return refuse("a password has at most " + std::to_string(kPasswordCapacity - 1) +
                  " characters; the device does not keep this one");
  }
  for (WCHAR c : text) {
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
      return refuse("the password holds a control character, which the device does not store");
    }
  }

  ComRef<IXMLDOMDocument> configuration, report;
  VARIANT_BOOL ok = VARIANT_FALSE;
  BString configurationText(WSTR("<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\"/>"));
  BString reportText(WSTR("<REPORT><ERRORS/><WARNINGS/></REPORT>"));
  if (FAILED(CreateXmlDocument(configuration.out())) || !configuration ||
      FAILED(configuration->loadXML(configurationText.get(), &ok)) || ok != VARIANT_TRUE ||
      FAILED(CreateXmlDocument(report.out())) || !report ||
      FAILED(report->loadXML(reportText.get(), &ok)) || ok != VARIANT_TRUE) {
    return refuse("cannot create an XML document");
  }
  ComRef<IXMLDOMElement> top;
  configuration->get_documentElement(top.out());
  setDocuments(configuration.get(), report.get());
  int result = kExitOk;
  try {
    // The element as Save writes it: created with the entry's name and id, typed and marked
    // from the entry, and given the value by the node's own encoder.
    ConfigNode parent, element;
    parent.assign(top.get());
    ParsedEntry parsed;
    ParseEntry(*node->entry, &parsed);
    parent.createChild(parsed.rest, node->entry->id, &element);
    element.setTypeByString(parsed.word, parsed.attributes);
    element.setValueString(text.c_str());
    BString xml;
    if (FAILED(element.element()->get_xml(xml.out())))
      throw CVCException(WSTR("cannot write the element"));
    std::cout << textToUtf8(xml.text().c_str()) << "\n";
  } catch (const CVCException& failure) {
    result = refuse(std::string("the password cannot be encoded: ") + utf8Of(failure.getMessage()) +
                    " (binHex holds characters up to U+00FF only)");
  }
  setDocuments(nullptr, nullptr);
  return result;
}
