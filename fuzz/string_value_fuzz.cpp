// Fuzz target: STRING values through ConfigNode::setValueString and getString, with every
// combination of the MIMETYPE and STRINGTYPE marks (binHex, PWD1, PWD2, and look-alikes in
// other letter cases, which are no marks).
//
// Input: byte 0 chooses the marks and the operation, byte 1 is unused, the rest is UTF-16 text
// (little end first, ending at the first zero unit).
//   bits 0-1  MIMETYPE: absent, "binHex", "BINHEX", "binhex"
//   bits 2-3  STRINGTYPE: absent, "PWD1", "PWD2", "pwd2"
//   bit 4     0: setValueString(text) then getString; 1: getString of VALUE = text
//   bit 5     the node holds a VALUE before setValueString
//
// Properties: nothing crashes; a plain node keeps the text as it is; a binHex node given a
// text of characters up to 255 stores two lower-case digits per character and gives the text
// back, while a wider character reports the error, throws, and leaves VALUE alone; reading
// digits decodes them as the rules say, and the first bad digit throws the message naming it
// and its position.
#include "fuzz/fuzz_check.h"
#include "platform/xmldom.h"
#include "plugin/entry/context.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const WCHAR* const kMimeTypes[] = {nullptr, WSTR("binHex"), WSTR("BINHEX"), WSTR("binhex")};
const WCHAR* const kStringTypes[] = {nullptr, WSTR("PWD1"), WSTR("PWD2"), WSTR("pwd2")};
const Text kOldValue = WSTR("old");

// A document of one XML text, released with the holder.
class Document {
 public:
  explicit Document(const WCHAR* xml) {
    FUZZ_CHECK(SUCCEEDED(CreateXmlDocument(&doc_)), "a document can be created");
    BSTR text = SysAllocString(xml);
    VARIANT_BOOL ok = VARIANT_FALSE;
    doc_->loadXML(text, &ok);
    SysFreeString(text);
    FUZZ_CHECK(ok == VARIANT_TRUE, "the fixture document loads");
  }
  ~Document() { doc_->Release(); }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  IXMLDOMDocument* get() const { return doc_; }

  void root(ConfigNode* node) const {
    IXMLDOMElement* element = nullptr;
    FUZZ_CHECK(doc_->get_documentElement(&element) == S_OK, "the document has its element");
    node->assign(element);
    element->Release();
  }
  // The text of the first element of that tag name, or "" when there is none.
  Text firstText(const WCHAR* tag) const {
    BSTR name = SysAllocString(tag);
    IXMLDOMNodeList* list = nullptr;
    Text text;
    if (doc_->getElementsByTagName(name, &list) == S_OK && list) {
      IXMLDOMNode* node = nullptr;
      if (list->nextNode(&node) == S_OK && node) {
        BSTR content = nullptr;
        if (SUCCEEDED(node->get_text(&content)) && content) text.assign(content, SysStringLen(content));
        SysFreeString(content);
        node->Release();
      }
      list->Release();
    }
    SysFreeString(name);
    return text;
  }
  // How many elements of that tag name the document holds.
  std::size_t count(const WCHAR* tag) const {
    BSTR name = SysAllocString(tag);
    IXMLDOMNodeList* list = nullptr;
    long length = 0;
    if (doc_->getElementsByTagName(name, &list) == S_OK && list) {
      list->get_length(&length);
      list->Release();
    }
    SysFreeString(name);
    return static_cast<std::size_t>(length);
  }

 private:
  IXMLDOMDocument* doc_ = nullptr;
};

struct Marks {
  const WCHAR* mime;
  const WCHAR* stringType;
  bool binHex() const { return scrambled() || (mime && Text(mime) == WSTR("binHex")); }
  bool scrambled() const { return stringType && Text(stringType) == WSTR("PWD2"); }
};

// A STRING node named S with these marks, in a document of its own.
struct StringNode {
  Document document{WSTR("<PARAM NAME='S' TYPE='STRING'/>")};
  ConfigNode node;
  explicit StringNode(const Marks& marks) {
    document.root(&node);
    if (marks.mime) node.setAttrib_(WSTR("MIMETYPE"), marks.mime);
    if (marks.stringType) node.setAttrib_(WSTR("STRINGTYPE"), marks.stringType);
  }
  Text attribute(const WCHAR* name) {
    const WCHAR* value = node.getAttrib_(name);
    return value ? Text(value) : Text(WSTR("<absent>"));
  }
};

int hexValue(WCHAR c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Text lowerHex(const Text& digits) {
  Text out = digits;
  for (WCHAR& c : out) {
    if (c >= 'A' && c <= 'F') c = static_cast<WCHAR>(c - 'A' + 'a');
  }
  return out;
}

// Whether an XML attribute can hold the text: XML's characters, surrogates only in pairs.
// The DOM refuses any other text, so no document holds it.
bool xmlText(const Text& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const WCHAR c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
      continue;
    }
    if (!(c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
          (c >= 0xE000 && c <= 0xFFFD)))
      return false;
  }
  return true;
}

Text decimal(std::int64_t n) { return textFromUtf8(std::to_string(n)); }

// The message of what `action` throws, or a marker when it throws nothing.
template <typename Action>
Text thrown(Action action) {
  try {
    action();
  } catch (const CVCException& e) {
    return e.getMessage();
  }
  return WSTR("<nothing thrown>");
}

std::string utf8(const Text& text) { return textToUtf8(text.c_str(), text.size()); }

// The error of a refused binHex text is reported, quoting the text (or, for a password, only
// naming the node), in a report text of at most 2047 units. It may be missing only when the
// part of the text it would quote holds a character that XML cannot carry; a cut never keeps
// the high half of a pair, so such a half at the cut does not count.
void checkReported(const Text& text, Document& report) {
  const Text prefix = WSTR("'S': Failed to convert wide-character string");
  const std::size_t errors = report.count(WSTR("ERROR"));
  FUZZ_CHECK(errors <= 1, "one refused text reports one error, not " + std::to_string(errors));
  if (errors == 1) {
    FUZZ_CHECK(report.firstText(WSTR("ERROR")).compare(0, prefix.size(), prefix) == 0,
               "the error says what failed: " + utf8(report.firstText(WSTR("ERROR"))));
    return;
  }
  const std::size_t room = 2047 - (prefix.size() + 2);  // the quote opens after " '"
  Text quoted = text.substr(0, room);
  if (quoted.size() == room && quoted.back() >= 0xD800 && quoted.back() <= 0xDBFF) quoted.pop_back();
  FUZZ_CHECK(!xmlText(quoted), "the error of a refused text is reported whenever the report can "
                               "hold what it quotes");
}

void setThenGet(const Marks& marks, const Text& text, bool hadValue, Document& report) {
  StringNode s(marks);
  if (hadValue) s.node.setAttrib_(WSTR("VALUE"), kOldValue.c_str());
  bool narrow = true;
  for (WCHAR c : text) narrow = narrow && c <= 0xFF;

  if (!marks.binHex() && !xmlText(text)) {
    Text message = thrown([&] { s.node.setValueString(text.c_str()); });
    FUZZ_CHECK(message == WSTR("'S' failed to set attribute 'VALUE'"),
               "a text that XML cannot carry is refused, not: " + utf8(message));
    FUZZ_CHECK(s.attribute(WSTR("VALUE")) == (hadValue ? kOldValue : Text(WSTR("<absent>"))),
               "a refused text leaves VALUE as it was");
    return;
  }
  if (!marks.binHex()) {
    s.node.setValueString(text.c_str());
    FUZZ_CHECK(s.attribute(WSTR("VALUE")) == text, "a plain node stores the text as it is");
    FUZZ_CHECK(Text(s.node.getString()) == text, "a plain node gives the text back");
    return;
  }
  if (!narrow) {
    Text message = thrown([&] { s.node.setValueString(text.c_str()); });
    FUZZ_CHECK(message == WSTR("Failed wide-character conversion"),
               "a character above 255 throws, not: " + utf8(message));
    FUZZ_CHECK(s.attribute(WSTR("VALUE")) == (hadValue ? kOldValue : Text(WSTR("<absent>"))),
               "a refused text leaves VALUE as it was");
    FUZZ_CHECK(s.attribute(WSTR("MIMETYPE")) == WSTR("binHex"), "MIMETYPE is set all the same");
    checkReported(text, report);
    return;
  }
  s.node.setValueString(text.c_str());
  const Text stored = s.attribute(WSTR("VALUE"));
  FUZZ_CHECK(stored.size() == 2 * text.size(), "two digits for every character");
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const WCHAR c = stored[i];
    FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'), "digits are 0-9 and a-f");
  }
  if (!marks.scrambled()) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      FUZZ_CHECK(hexValue(stored[2 * i]) * 16 + hexValue(stored[2 * i + 1]) == text[i],
                 "character " + std::to_string(i) + " is its code in two digits, high first");
    }
  }
  FUZZ_CHECK(s.attribute(WSTR("MIMETYPE")) == WSTR("binHex"), "a binHex value is marked so");
  FUZZ_CHECK(Text(s.node.getString()) == text, "set then get gives the text back");
}

void getRaw(const Marks& marks, const Text& value) {
  if (!xmlText(value)) return;  // no document holds such a value
  StringNode s(marks);
  s.node.setAttrib_(WSTR("VALUE"), value.c_str());
  if (!marks.binHex()) {
    FUZZ_CHECK(Text(s.node.getString()) == value, "a plain value reads as it stands");
    return;
  }
  // The first bad digit in text order among the pairs; an odd last digit is never looked at.
  const std::size_t pairs = value.size() / 2;
  std::size_t bad = 2 * pairs;
  for (std::size_t i = 0; i < 2 * pairs && bad == 2 * pairs; ++i) {
    if (hexValue(value[i]) < 0) bad = i;
  }
  Text result;
  Text message = thrown([&] { result = s.node.getString(); });
  if (bad < 2 * pairs) {
    Text expected = Text(WSTR("binHex string invalid for node 'S'; contained '")) + value[bad] +
                    WSTR("', or ") + decimal(value[bad]) + WSTR(", at position ") +
                    decimal(static_cast<std::int64_t>(bad)) + WSTR(".");
    FUZZ_CHECK(message == expected, "the bad digit at " + std::to_string(bad) +
                                        " is named with its position, not: " + utf8(message));
    return;
  }
  FUZZ_CHECK(message == WSTR("<nothing thrown>"), "good digits decode, not: " + utf8(message));
  FUZZ_CHECK(result.size() <= pairs, "one character for every two digits");
  if (!marks.scrambled()) {
    Text expected;
    for (std::size_t i = 0; i < pairs; ++i) {
      WCHAR c = static_cast<WCHAR>(hexValue(value[2 * i]) * 16 + hexValue(value[2 * i + 1]));
      if (c == 0) break;  // the decoded text ends at a zero character
      expected += c;
    }
    FUZZ_CHECK(result == expected, "the digits decode to their characters");
    return;
  }
  // Scrambled: encoding what was read gives the digits back, up to where the text ended.
  StringNode again(marks);
  again.node.setValueString(result.c_str());
  FUZZ_CHECK(again.attribute(WSTR("VALUE")) == lowerHex(value.substr(0, 2 * result.size())),
             "the scrambled text read encodes to the digits it came from");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Marks marks{kMimeTypes[data[0] & 3], kStringTypes[(data[0] >> 2) & 3]};
  const bool readRaw = (data[0] & 0x10) != 0;
  const bool hadValue = (data[0] & 0x20) != 0;
  Text text;
  for (std::size_t i = 2; i + 1 < size; i += 2) {
    WCHAR unit = static_cast<WCHAR>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text += unit;
  }
  Document report(WSTR("<REPORT><ERRORS/><WARNINGS/></REPORT>"));
  Document configuration(WSTR("<PARAM NAME='C' TYPE='CONFIGURATION'/>"));
  setDocuments(configuration.get(), report.get());
  Text unexpected = thrown([&] {
    if (readRaw) {
      getRaw(marks, text);
    } else {
      setThenGet(marks, text, hadValue, report);
    }
  });
  FUZZ_CHECK(unexpected == WSTR("<nothing thrown>"), "nothing else throws: " + utf8(unexpected));
  setDocuments(nullptr, nullptr);
  return 0;
}
