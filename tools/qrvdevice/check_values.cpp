// The checker's values: each parameter read with the plug-in's own ConfigNode operations, as
// its handler reads it, and the text of VALUE compared with what the device makes of it
// (switches, numbers and their ranges, choices, texts and their fields, binHex, passwords).
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "hzkcore/document_ids.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/attribute_text.h"
#include "plugin/settings/handlers.h"
#include "plugin/settings/text_fields.h"
#include "tools/qrvdevice/check_walk.h"
#include "tools/qrvdevice/nearest.h"

namespace {

bool isBlank(WCHAR c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isHexDigit(WCHAR c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Characters that a stored text may not hold: controls other than tab, line feed and return.
bool isControl(WCHAR c) { return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F; }

// Characters an administrator types into a password without thinking twice.
bool isPlainAscii(WCHAR c) { return c >= 0x20 && c <= 0x7E; }

std::optional<std::size_t> firstControl(const Text& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isControl(text[i])) return i;
  }
  return std::nullopt;
}

std::string lowerTrimmed(const Text& text) {
  std::string s = utf8(text);
  std::size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
  s = a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

bool equalsText(const std::optional<Text>& value, const WCHAR* text) {
  return value && textCompare(value->c_str(), text) == 0;
}

// The marks of a STRING element as the device reads them: compared letter for letter.
struct Marks {
  bool binHex = false;
  bool scrambled = false;
};

Marks marksOf(const std::optional<Text>& mimeType, const std::optional<Text>& stringType) {
  Marks marks;
  marks.scrambled = equalsText(stringType, WSTR("PWD2"));
  marks.binHex = marks.scrambled || equalsText(mimeType, WSTR("binHex"));
  return marks;
}

std::string readingOf(const Marks& marks) {
  if (!marks.binHex) return "as plain text";
  return marks.scrambled ? "as scrambled binHex" : "as binHex without scrambling";
}

std::string marksText(const std::optional<Text>& mimeType, const std::optional<Text>& stringType) {
  std::string text;
  if (mimeType) text += "MIMETYPE=" + utf8(*mimeType);
  if (stringType) text += std::string(text.empty() ? "" : " ") + "STRINGTYPE=" + utf8(*stringType);
  return text.empty() ? "no marks" : text;
}

// Marks that are written but are none the device knows; empty when there are none.
std::string misspeltMarks(const std::optional<Text>& mimeType,
                          const std::optional<Text>& stringType) {
  std::string text;
  if (mimeType && !equalsText(mimeType, WSTR("binHex"))) {
    text += "MIMETYPE " + quoted(*mimeType) + " is not the mark binHex";
  }
  if (stringType && !equalsText(stringType, WSTR("PWD1")) &&
      !equalsText(stringType, WSTR("PWD2"))) {
    text += std::string(text.empty() ? "" : "; ") + "STRINGTYPE " + quoted(*stringType) +
            " is neither of the marks PWD1 and PWD2";
  }
  const bool caseOnly = (mimeType && textCompareNoCase(mimeType->c_str(), WSTR("binHex")) == 0) ||
                        (stringType && (textCompareNoCase(stringType->c_str(), WSTR("PWD1")) == 0 ||
                                        textCompareNoCase(stringType->c_str(), WSTR("PWD2")) == 0));
  if (!text.empty() && caseOnly) text += " (marks are compared letter for letter)";
  return text;
}

std::string itemList(const std::vector<SchemaItem>& items) {
  std::string text;
  for (const SchemaItem& item : items) {
    text += (text.empty() ? "" : ", ") + item.name + " " + std::to_string(item.value);
  }
  return text;
}

// The direct element children of an element that have a NAME, as the choice is looked up.
std::vector<ComRef<IXMLDOMElement>> namedChildren(IXMLDOMElement* parent) {
  std::vector<ComRef<IXMLDOMElement>> items;
  ComRef<IXMLDOMNode> child;
  if (parent == nullptr || parent->get_firstChild(child.out()) != S_OK) return items;
  while (child) {
    ComRef<IXMLDOMElement> element;
    if (SUCCEEDED(child->QueryInterface(IID_IXMLDOMElement, element.outVoid())) && element &&
        AttributeText(element.get(), WSTR("NAME")).present()) {
      items.push_back(std::move(element));
    }
    ComRef<IXMLDOMNode> next;
    if (child->get_nextSibling(next.out()) != S_OK) break;
    child = std::move(next);
  }
  return items;
}

}  // namespace

void Checker::checkValue(ConfigNode& element, const SchemaNode& node) {
  const ParamHandler handler = node.entry->handler;
  const std::int32_t id = node.entry->id;
  const NodeType type = element.getType();

  if (handler == GeneralParamHandler && id != kEnableQrvId && id != kPasswordId &&
      enableQrv_ == 0) {
    add(element, nullptr, Severity::Error, "gate-off",
        "'Enable QRV' is off " +
            (enableQrvElement_
                 ? "(line " + std::to_string(lineOf(*enableQrvElement_)) + " sets it to 0)"
                 : "on " + device_.description) +
            ": the device does not apply " + node.name +
            " (with Enable QRV off only Enable QRV and the password are applied)");
    return;
  }
  if (handler == GeneralParamHandler && id == kPasswordId) {
    checkPassword(element, node);
    return;
  }

  // The record fields behind the text parameters, asked of the handlers' own look-ups.
  static AppEntry application;
  static HotkeyEntry hotkey;
  static ErrorPageTable pages;
  TextField field = handler == BrowserParamHandler          ? ErrorPageTextField(pages, id)
                    : handler == ApplicationPropertyHandler ? ApplicationTextField(application, id)
                    : handler == HotkeyPropertyHandler      ? HotkeyTextField(hotkey, id)
                                                            : TextField();
  if (field) {
    std::optional<Text> text = readText(element, node);
    if (!text) return;
    checkStoredText(element, node, *text, field.capacity);
    if (applicationSeen_ != nullptr && handler == ApplicationPropertyHandler) {
      if (id == ApplicationProperty::title) {
        applicationSeen_->title = *text;
        applicationSeen_->titleElement = indexOf(element);
      } else if (!text->empty()) {
        applicationSeen_->otherText = true;
      }
    }
    return;
  }

  if (type == NodeType::ENUM || type == NodeType::OPTION) checkItems(element, node);
  std::optional<std::int32_t> read = readNumber(element, node);
  if (!read) return;
  if (type == NodeType::CHECK) {
    checkSwitchText(element, node, *read);
  } else if (type == NodeType::ENUM || type == NodeType::OPTION) {
    checkChoice(element, node, *read);
  } else {
    checkNumberText(element, node, *read);
  }
  if (handler == GeneralParamHandler && id == kEnableQrvId) {
    enableQrv_ = *read;
    enableQrvElement_ = indexOf(element);
  }
  if (applicationSeen_ != nullptr && handler == ApplicationPropertyHandler && *read != 0) {
    applicationSeen_->otherText = true;
  }
  if (hotkeySeen_ != nullptr && handler == HotkeyPropertyHandler) {
    if (id == HotkeyProperty::action) {
      hotkeySeen_->action = *read;
      hotkeySeen_->actionElement = indexOf(element);
    } else if (id == HotkeyProperty::keyCode) {
      hotkeySeen_->keyCode = static_cast<std::uint32_t>(*read);
      hotkeySeen_->keyElement = indexOf(element);
    } else if (id == HotkeyProperty::modifiers) {
      hotkeySeen_->modifiers = static_cast<std::uint32_t>(*read);
      if (!hotkeySeen_->keyCode) hotkeySeen_->keyElement = indexOf(element);
    }
  }
}

std::optional<std::int32_t> Checker::readNumber(ConfigNode& element, const SchemaNode& node) {
  try {
    return element.getInteger();
  } catch (const CVCException& failure) {
    const std::string message = utf8Of(failure.getMessage());
    const NodeType type = element.getType();
    if (message.find("has no value attribute") != std::string::npos) {
      add(element, nullptr, Severity::Warning, "value-missing",
          "no VALUE: the device leaves " + node.name + " as it is (it warns \"" + message + "\")");
    } else if (type == NodeType::ENUM || type == NodeType::OPTION) {
      explainMissingChoice(element, node);
    } else {
      add(element, "VALUE", Severity::Error, "value-unreadable",
          "the device cannot read " + node.name + " (\"" + message + "\"): it is not applied");
    }
    return std::nullopt;
  }
}

std::optional<Text> Checker::readText(ConfigNode& element, const SchemaNode& node) {
  try {
    const WCHAR* text = element.getString();
    return Text(text ? text : WSTR(""));
  } catch (const CVCException& failure) {
    const std::string message = utf8Of(failure.getMessage());
    std::optional<Text> value = attributeOf(element, WSTR("VALUE"));
    if (!value) {
      add(element, nullptr, Severity::Warning, "value-missing",
          "no VALUE: the device leaves " + node.name + " as it is (it warns \"" + message + "\")");
      return std::nullopt;
    }
    if (message.find("binHex string invalid") != std::string::npos) {
      // The first digit the decoding rejects: pairs are read in order, an odd last digit never.
      std::size_t position = 0;
      const std::size_t examined = value->size() / 2 * 2;
      for (std::size_t i = 0; i < examined; ++i) {
        if (!isHexDigit((*value)[i])) {
          position = i;
          break;
        }
      }
      const WCHAR bad = (*value)[position];
      add(element, "VALUE", Severity::Error, "binhex-digit",
          "VALUE is not binHex: " + quoted(Text(1, bad)) + " (code " + std::to_string(bad) +
              ") at position " + std::to_string(position) + " is no hex digit" +
              (bad > 0xFF ? " (binHex holds only characters up to 255, two hex digits each)" : "") +
              ": the device does not apply " + node.name);
      return std::nullopt;
    }
    add(element, "VALUE", Severity::Error, "value-unreadable",
        "the device cannot read " + node.name + " (\"" + message + "\"): it is not applied");
    return std::nullopt;
  }
}

void Checker::explainMissingChoice(ConfigNode& element, const SchemaNode& node) {
  std::optional<Text> chosen = attributeOf(element, WSTR("VALUE"));
  const std::string name = chosen ? utf8(*chosen) : std::string();
  std::vector<ComRef<IXMLDOMElement>> items = namedChildren(element.element());
  const std::string leaves = "the device leaves " + node.name + " as it was";
  const bool isCode = !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return std::isdigit(c) || c == '-';
  });
  if (items.empty()) {
    add(element, "VALUE", Severity::Error, "enum-items",
        node.name + " " + quotedUtf8(name) +
            " is written without its list of items: the choice is looked up among the "
            "element's own ENUM items, so " +
            leaves + "; write the items as an export does (qrvdevice schema lists them)" +
            (isCode ? ", and name the chosen item in VALUE, not its code" : ""));
    return;
  }
  std::vector<std::string> names;
  for (const ComRef<IXMLDOMElement>& item : items) {
    AttributeText itemName(item.get(), WSTR("NAME"));
    if (itemName.equals(chosen ? chosen->c_str() : WSTR(""))) {
      add(element, "VALUE", Severity::Error, "enum-item",
          "the chosen item " + quotedUtf8(name) + " has no VALUE: " + leaves);
      return;
    }
    names.push_back(textToUtf8(itemName.data(), itemName.length()));
  }
  if (isCode) {
    std::string example;
    for (const SchemaItem& item : node.items) {
      if (std::to_string(item.value) == name)
        example = " ('" + item.name + "' for code " + name + ")";
    }
    add(element, "VALUE", Severity::Error, "enum-item",
        "VALUE " + quotedUtf8(name) + " is a code, but the VALUE of " + node.name +
            " names the chosen item by its NAME" + example +
            ": the device finds no item of that name, so " + leaves);
    return;
  }
  int closest = nearestOf(name, names, 4, true);
  add(element, "VALUE", Severity::Error, "enum-item",
      quotedUtf8(name) + " names none of the items of " + node.name +
          (closest >= 0 ? " (did you mean '" + names[static_cast<std::size_t>(closest)] + "'?)"
                     : std::string()) +
          ": " + leaves);
}

void Checker::checkSwitchText(ConfigNode& element, const SchemaNode& node, std::int32_t read) {
  std::optional<Text> raw = attributeOf(element, WSTR("VALUE"));
  if (!raw || *raw == WSTR("0") || *raw == WSTR("1")) return;
  static const char* const offWords[] = {"off",      "false",   "no",   "n", "f",
                                         "disabled", "disable", "none", "0"};
  const std::string word = lowerTrimmed(*raw);
  bool meantOff = std::find(std::begin(offWords), std::end(offWords), word) != std::end(offWords);
  if (!meantOff && !word.empty() && std::all_of(word.begin(), word.end(), [](unsigned char c) {
        return std::isdigit(c) || c == '+' || c == '-';
      })) {
    meantOff = parseDecimal(textFromUtf8(word).c_str()) == 0;
  }
  const std::string shown = raw->empty() ? "an empty VALUE" : quoted(*raw);
  const char* rule = "the device reads every text that does not begin with the digit 0 as 1";
  if (read == 1 && meantOff) {
    add(element, "VALUE", Severity::Error, "check-value",
        shown + " switches " + node.name + " ON: " + rule + "; write 0");
  } else if (read == 1) {
    add(element, "VALUE", Severity::Warning, "check-value",
        shown + " reads as 1 (on) for " + node.name + ": " + rule + "; write 1");
  } else {
    add(element, "VALUE", Severity::Warning, "check-value",
        shown + " reads as 0 (off) for " + node.name +
            ": the device looks only at whether the text begins with the digit 0; write 0");
  }
}

void Checker::checkNumberText(ConfigNode& element, const SchemaNode& node, std::int32_t read) {
  std::optional<Text> raw = attributeOf(element, WSTR("VALUE"));
  if (!raw) return;
  // The reading of parseDecimal: blanks, one sign, digits up to the first other character.
  std::size_t p = 0;
  while (p < raw->size() && isBlank((*raw)[p])) ++p;
  const bool negative = p < raw->size() && (*raw)[p] == '-';
  if (p < raw->size() && ((*raw)[p] == '+' || (*raw)[p] == '-')) ++p;
  const std::size_t digitsStart = p;
  unsigned long long magnitude = 0;
  bool tooLong = false;
  while (p < raw->size() && (*raw)[p] >= '0' && (*raw)[p] <= '9') {
    magnitude = magnitude * 10 + static_cast<unsigned>((*raw)[p] - '0');
    if (magnitude > 0xFFFFFFFFull) tooLong = true;
    if (magnitude > 0xFFFFFFFFFFull) magnitude = 0xFFFFFFFFFFull;  // no overflow past the test
    ++p;
  }
  if (p == digitsStart) {
    add(element, "VALUE", Severity::Error, "integer-value",
        quoted(*raw) + " is no number: the device reads " + node.name + " as 0");
    return;
  }
  std::size_t rest = p;
  while (rest < raw->size() && isBlank((*raw)[rest])) ++rest;
  if (rest < raw->size()) {
    add(element, "VALUE", Severity::Warning, "integer-value",
        quoted(*raw) + " is read as " + std::to_string(read) +
            ": the device stops at the first character that is no digit");
  } else if (tooLong || (negative && magnitude > 0x80000000ull)) {
    add(element, "VALUE", Severity::Warning, "integer-value",
        quoted(*raw) + " does not fit in 32 bits: the device reads it as " + std::to_string(read));
  }
  const SchemaRange& range = node.range;
  if ((range.min && read < *range.min) || (range.max && read > *range.max)) {
    add(element, "VALUE", Severity::Warning, "integer-range",
        std::to_string(read) + " is outside the range " +
            (range.min ? std::to_string(*range.min) : std::string("...")) + " to " +
            (range.max ? std::to_string(*range.max) : std::string("...")) +
            " that the schema gives " + node.name + ": the device stores it as it stands");
  } else if (range.step && *range.step > 1 && (read - range.min.value_or(0)) % *range.step != 0) {
    add(element, "VALUE", Severity::Warning, "integer-range",
        std::to_string(read) + " is not a step of " + std::to_string(*range.step) +
            " that the schema gives " + node.name + ": the device stores it as it stands");
  }
}

void Checker::checkChoice(ConfigNode& element, const SchemaNode& node, std::int32_t read) {
  if (node.items.empty()) return;
  std::optional<Text> chosen = attributeOf(element, WSTR("VALUE"));
  const std::string chosenName = chosen ? utf8(*chosen) : std::string();
  auto byCode = [&](std::int32_t code) -> const SchemaItem* {
    for (const SchemaItem& item : node.items) {
      if (item.value == code) return &item;
    }
    return nullptr;
  };
  const SchemaItem* known = byCode(read);
  const SchemaItem* sameName = nullptr;
  for (const SchemaItem& item : node.items) {
    if (item.name == chosenName) sameName = &item;
  }
  if (known == nullptr) {
    add(element, "VALUE", Severity::Warning, "enum-code",
        "the chosen item " + quotedUtf8(chosenName) + " carries VALUE " + std::to_string(read) +
            ", which is no code of " + node.name + " the schema knows (" + itemList(node.items) +
            "): the device stores " + std::to_string(read));
  } else if (sameName != nullptr && sameName->value != read) {
    add(element, "VALUE", Severity::Warning, "enum-code",
        "the chosen item " + quotedUtf8(chosenName) + " carries VALUE " + std::to_string(read) +
            ", but the schema gives it " + std::to_string(sameName->value) +
            ": the device stores " + std::to_string(read) + ", which is " + known->name);
  }
}

void Checker::checkItems(ConfigNode& element, const SchemaNode& node) {
  if (node.items.empty()) return;
  std::optional<Text> chosen = attributeOf(element, WSTR("VALUE"));
  for (const ComRef<IXMLDOMElement>& item : namedChildren(element.element())) {
    AttributeText itemName(item.get(), WSTR("NAME"));
    AttributeText itemValue(item.get(), WSTR("VALUE"));
    // The chosen item is judged with the choice.
    if (!itemValue.present() || itemName.equals(chosen ? chosen->c_str() : WSTR(""))) continue;
    Text value(itemValue.data(), itemValue.length());
    const std::int32_t code = parseDecimal(value.c_str());
    bool known = false;
    for (const SchemaItem& schemaItem : node.items) known = known || schemaItem.value == code;
    if (known) continue;
    std::size_t index = index_.count(item.get()) ? index_[item.get()] : indexOf(element);
    add(index, "VALUE", Severity::Warning, "enum-code",
        "item " + quoted(Text(itemName.data(), itemName.length())) + " carries VALUE " +
            quoted(value) + ", which is no code of " + node.name + " the schema knows (" +
            itemList(node.items) + ")");
  }
}

void Checker::checkStoredText(ConfigNode& element, const SchemaNode& node, const Text& text,
                              std::size_t capacity) {
  std::optional<Text> mimeType = attributeOf(element, WSTR("MIMETYPE"));
  std::optional<Text> stringType = attributeOf(element, WSTR("STRINGTYPE"));
  const NodeType type = element.getType();
  if (type == NodeType::STRING) {
    std::string misspelt = misspeltMarks(mimeType, stringType);
    if (!misspelt.empty()) {
      add(element, mimeType && !equalsText(mimeType, WSTR("binHex")) ? "MIMETYPE" : "STRINGTYPE",
          Severity::Warning, "string-marks",
          misspelt + ": the device reads VALUE " + readingOf(marksOf(mimeType, stringType)) +
              " and stores " + quoted(text));
    }
  }
  if (std::optional<std::size_t> control = firstControl(text)) {
    add(element, "VALUE", Severity::Error, "string-control",
        node.name + " holds a control character (" + quoted(Text(1, text[*control])) +
            " at position " + std::to_string(*control) +
            "): the device does not store such a text");
    return;
  }
  if (type == NodeType::STRING && marksOf(mimeType, stringType).binHex) {
    std::optional<Text> raw = attributeOf(element, WSTR("VALUE"));
    if (raw && raw->size() % 2 != 0) {
      add(element, "VALUE", Severity::Warning, "binhex-odd",
          "VALUE has an odd number of hex digits (" + std::to_string(raw->size()) +
              "): the device ignores the last one");
    }
    if (raw && text.size() < raw->size() / 2) {
      add(element, "VALUE", Severity::Warning, "binhex-nul",
          "VALUE decodes to a NUL character at position " + std::to_string(text.size()) +
              ": the device keeps only the text before it, " + quoted(text));
    }
  }
  if (capacity > 0 && text.size() >= capacity) {
    std::unique_ptr<WCHAR[]> buffer(new WCHAR[capacity]);
    storeText(TextField{buffer.get(), capacity}, text.c_str());
    const std::size_t kept = textLength(buffer.get());
    const Text end = Text(buffer.get() + (kept > 12 ? kept - 12 : 0), buffer.get() + kept);
    add(element, "VALUE", Severity::Warning, "string-length",
        std::to_string(text.size()) + " characters are more than the " +
            std::to_string(capacity - 1) + " that " + node.name + " keeps: the device cuts it to " +
            std::to_string(kept) + " characters, ending in " + quoted(end));
  }
}

std::optional<Text> Checker::decodeWithout(ConfigNode& element, const WCHAR* mimeType,
                                           const WCHAR* stringType) {
  std::optional<Text> raw = attributeOf(element, WSTR("VALUE"));
  BString tag(WSTR("PARAM"));
  ComRef<IXMLDOMElement> scratch;
  if (!raw || tag.failed() || FAILED(document_->createElement(tag.get(), scratch.out())) ||
      !scratch) {
    return std::nullopt;
  }
  ConfigNode node;
  node.assign(scratch.get());
  try {
    node.setAttrib_(WSTR("NAME"), WSTR("Password"));
    node.setAttrib_(WSTR("TYPE"), WSTR("STRING"));
    if (mimeType) node.setAttrib_(WSTR("MIMETYPE"), mimeType);
    if (stringType) node.setAttrib_(WSTR("STRINGTYPE"), stringType);
    node.setAttrib_(WSTR("VALUE"), raw->c_str());
    return Text(node.getString());
  } catch (const CVCException&) {
    return std::nullopt;
  }
}

void Checker::checkPassword(ConfigNode& element, const SchemaNode& node) {
  std::optional<Text> mimeType = attributeOf(element, WSTR("MIMETYPE"));
  std::optional<Text> stringType = attributeOf(element, WSTR("STRINGTYPE"));
  std::optional<Text> password = readText(element, node);
  if (!password) return;
  const Marks marks = marksOf(mimeType, stringType);
  const std::string* schemaMime = SchemaView::attribute(node, "MIMETYPE");
  const std::string* schemaString = SchemaView::attribute(node, "STRINGTYPE");
  std::optional<Text> wantMime, wantString;
  if (schemaMime) wantMime = textFromUtf8(*schemaMime);
  if (schemaString) wantString = textFromUtf8(*schemaString);
  const Marks wanted = marksOf(wantMime, wantString);
  const std::string stores = "stores the password " + quoted(*password);

  std::string misspelt = misspeltMarks(mimeType, stringType);
  if (!misspelt.empty()) {
    add(element, mimeType && !equalsText(mimeType, WSTR("binHex")) ? "MIMETYPE" : "STRINGTYPE",
        Severity::Error, "password-marks",
        misspelt + ": the device reads VALUE " + readingOf(marks) + " and " + stores);
    return;
  }
  if (!mimeType && !stringType) {
    add(element, "VALUE", Severity::Note, "password-plain",
        "the password is written as plain text: the device " + stores +
            ", and anyone who reads this file reads it too (qrvdevice encode-password gives the "
            "scrambled form)");
  } else if (marks.binHex != wanted.binHex || marks.scrambled != wanted.scrambled) {
    add(element, stringType ? "STRINGTYPE" : "MIMETYPE", Severity::Warning, "password-marks",
        "the marks (" + marksText(mimeType, stringType) + ") are not those of version " +
            root_->label() + " (" + marksText(wantMime, wantString) + "): the device reads VALUE " +
            readingOf(marks) + " and " + stores);
  }

  std::optional<Text> raw = attributeOf(element, WSTR("VALUE"));
  if (marks.binHex && raw && raw->size() % 2 != 0) {
    add(element, "VALUE", Severity::Error, "binhex-odd",
        "VALUE has an odd number of hex digits (" + std::to_string(raw->size()) +
            "): the device ignores the last one, so the password it stores, " + quoted(*password) +
            ", is one character short");
  }
  if (marks.binHex && raw && password->size() < raw->size() / 2) {
    add(element, "VALUE", Severity::Error, "binhex-nul",
        "VALUE decodes to a NUL character at position " + std::to_string(password->size()) +
            ": the device " + stores + ", only the text before it");
  }
  const std::optional<std::size_t> control = firstControl(*password);
  const bool unlikely = std::any_of(password->begin(), password->end(), [](WCHAR c) {
    return isControl(c) || (c >= 0x7F && c <= 0xA0);
  });
  const std::string outcome =
      control ? "the device does not store a password that holds control characters"
              : "the device " + stores;
  if (marks.scrambled && unlikely) {
    std::optional<Text> plain = decodeWithout(element, WSTR("binHex"), nullptr);
    if (plain && !plain->empty() && std::all_of(plain->begin(), plain->end(), isPlainAscii)) {
      add(element, "VALUE", Severity::Error, "password-scramble",
          "VALUE decodes with the scrambling of STRINGTYPE PWD2 to " + quoted(*password) +
              ", but without it the digits read " + quoted(*plain) +
              ": they look like binHex that was not scrambled, and " + outcome +
              "; qrvdevice encode-password writes the element for " + quoted(*plain));
    } else {
      add(element, "VALUE", Severity::Error, "password-decode",
          "VALUE decodes to characters nobody types into a password (" + quoted(*password) +
              "): " + outcome + "; if " + quoted(*raw) +
              " is the password itself, write it without MIMETYPE and STRINGTYPE, or take the "
              "element from qrvdevice encode-password");
    }
  } else if (control) {
    add(element, "VALUE", Severity::Error, "string-control",
        "the password holds a control character (" + quoted(Text(1, (*password)[*control])) +
            " at position " + std::to_string(*control) + "): " + outcome);
  }
  if (password->size() > kPasswordCapacity - 1) {
    add(element, "VALUE", Severity::Error, "password-length",
        "the password has " + std::to_string(password->size()) +
            " characters: the device keeps at most " + std::to_string(kPasswordCapacity - 1) +
            ", so it does not store this one as written");
  }
  for (WCHAR c : *password) {
    if (c > 0xFF) {
      add(element, "VALUE", Severity::Error, "password-wide",
          "the password holds characters above U+00FF (such as " + quoted(Text(1, c)) +
              "): the device does not store such a password");
      break;
    }
  }
}
