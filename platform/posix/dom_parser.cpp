// Reading XML text into the DOM's tree, through libxml2's SAX interface.
//
// Why libxml2: it is one well-kept library that does both halves, reading here and writing in
// dom_writer.cpp, so both agree on what XML is; it decodes every encoding a document may name
// (byte-order marks, UTF-16, ISO-8859-1 and the rest through iconv) and says clearly when it
// cannot; and it has the safety switches a device needs: no network access, no DTD loading,
// depth and size limits. Its SAX interface lets us build our own reference-counted nodes
// directly, so the COM lifetimes of the DOM never depend on the library's tree.
//
// What is refused, and when: a document type declaration as soon as its name has been read,
// before any entity could be declared (so no external entity is ever resolved and no entity
// can expand into millions of others), and an element nested deeper than kXmlMaxDepth as soon
// as it opens, so that no later recursive walk over a document can run out of stack.
#include "platform/posix/dom_faces.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <cstring>
#include <memory>

namespace qrvdom {
namespace {

// Error codes of a failed parse: the library's own code above this base, or one of ours.
constexpr long kLibraryErrorBase = static_cast<long>(0xC00C0000);
constexpr long kDoctypeRefused = static_cast<long>(0xC00CF001);
constexpr long kTooDeep = static_cast<long>(0xC00CF002);
constexpr long kTooLarge = static_cast<long>(0xC00CF003);
constexpr long kNoMemory = static_cast<long>(0x8007000E);

// What an administrator reads first: the kind of mistake, in plain words.
const char* kindOfMistake(int code) {
  switch (code) {
    case XML_ERR_TAG_NAME_MISMATCH: return "mismatched end tag";
    case XML_ERR_TAG_NOT_FINISHED: return "an element is not closed before the document ends";
    case XML_ERR_DOCUMENT_EMPTY: return "the document is empty";
    case XML_ERR_DOCUMENT_END: return "extra content after the document element";
    case XML_ERR_UNSUPPORTED_ENCODING: return "unknown or unsupported encoding";
    case XML_ERR_INVALID_ENCODING: return "the text does not match its encoding";
    case XML_ERR_INVALID_CHAR:
    case XML_ERR_INVALID_DEC_CHARREF:
    case XML_ERR_INVALID_HEX_CHARREF:
    case XML_ERR_INVALID_CHARREF: return "a character that XML does not allow";
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY: return "an undefined entity reference";
    case XML_ERR_ATTRIBUTE_REDEFINED: return "an attribute appears twice";
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE:
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
    case XML_ERR_ATTRIBUTE_NOT_FINISHED:
    case XML_ERR_LT_IN_ATTRIBUTE: return "a malformed attribute";
    case XML_ERR_GT_REQUIRED: return "a malformed tag";
    case XML_ERR_NAME_REQUIRED: return "a name is missing (a bare '&' is written &amp;)";
    case XML_ERR_ENTITYREF_SEMICOL_MISSING: return "an entity reference without its closing ';'";
    default: return "malformed XML";
  }
}

std::string where(long line, long column) {
  return " at line " + std::to_string(line) + ", column " + std::to_string(column);
}

struct Builder {
  Document* owner = nullptr;
  xmlParserCtxtPtr context = nullptr;
  ParseProblem* problem = nullptr;
  bool failed = false;

  std::vector<Node*> topLevel;
  std::vector<Node*> open;
  std::string pendingText;
  ParseProblem fallback;

  ~Builder() {
    // Everything built hangs below the top-level nodes; a failed parse leaves them here.
    for (Node* node : topLevel) destroySubtree(node);
  }

  void refuse(long code, const std::string& what) {
    if (failed) return;
    failed = true;
    problem->code = code;
    problem->line = context->input != nullptr ? context->input->line : 0;
    problem->column = context->input != nullptr ? context->input->col : 0;
    problem->reason = what + where(problem->line, problem->column);
    xmlStopParser(context);
  }

  void place(Node* node) {
    std::unique_ptr<Node> held(node);
    if (open.empty()) {
      topLevel.push_back(node);
    } else {
      attachLast(open.back(), node);
    }
    held.release();
  }

  // Text between markup becomes one node; text of white space alone is dropped.
  void flushText() {
    if (pendingText.empty()) return;
    const bool blank = pendingText.find_first_not_of(" \t\r\n") == std::string::npos;
    if (!blank) place(newLeaf(owner, Kind::Text, Text(), textFromUtf8(pendingText)));
    pendingText.clear();
  }
};

Builder& builderOf(void* user) { return *static_cast<Builder*>(user); }

std::string utf8(const xmlChar* text) { return text != nullptr ? reinterpret_cast<const char*>(text) : ""; }

Text textOf(const xmlChar* text) {
  if (text == nullptr) return Text();
  const char* bytes = reinterpret_cast<const char*>(text);
  return textFromUtf8(bytes, std::strlen(bytes));
}

// Every callback runs inside C code: nothing may escape it.
template <typename Step>
void step(void* user, Step&& body) {
  Builder& builder = builderOf(user);
  if (builder.failed) return;
  try {
    body(builder);
  } catch (...) {
    builder.refuse(kNoMemory, "not enough memory to hold the document");
  }
}

// Without entity substitution the library hands over an ampersand in an attribute value as the
// reference "&#38;", leaving the last step to the tree builder; this is that step. No entity can
// be declared here (DOCTYPE is refused), so only character references are left to resolve.
Text attributeValue(Builder& b, const xmlChar* value) {
  if (value == nullptr) return Text();
  if (std::strchr(reinterpret_cast<const char*>(value), '&') == nullptr) return textOf(value);
  xmlChar* decoded = xmlStringDecodeEntities(b.context, value, XML_SUBSTITUTE_REF, 0, 0, 0);
  if (decoded == nullptr) throw std::bad_alloc();
  std::unique_ptr<xmlChar, decltype(xmlFree)> held(decoded, xmlFree);
  return textOf(decoded);
}

void onStartElement(void* user, const xmlChar* name, const xmlChar** attributes) {
  step(user, [&](Builder& b) {
    b.flushText();
    if (b.open.size() >= static_cast<std::size_t>(kXmlMaxDepth)) {
      b.refuse(kTooDeep, "elements are nested deeper than " + std::to_string(kXmlMaxDepth) + " levels");
      return;
    }
    Node* element = newElement(b.owner, textOf(name));
    b.place(element);
    b.open.push_back(element);
    std::size_t count = 0;
    for (const xmlChar** pair = attributes; pair != nullptr && pair[0] != nullptr; pair += 2) ++count;
    element->attributes.reserve(count);
    for (const xmlChar** pair = attributes; pair != nullptr && pair[0] != nullptr; pair += 2)
      element->attributes.push_back(Attribute{textOf(pair[0]), attributeValue(b, pair[1])});
  });
}

void onEndElement(void* user, const xmlChar*) {
  step(user, [&](Builder& b) {
    b.flushText();
    if (!b.open.empty()) b.open.pop_back();
  });
}

void onCharacters(void* user, const xmlChar* text, int length) {
  step(user, [&](Builder& b) { b.pendingText.append(reinterpret_cast<const char*>(text), length); });
}

void onCData(void* user, const xmlChar* text, int length) {
  step(user, [&](Builder& b) {
    b.flushText();
    b.place(newLeaf(b.owner, Kind::CData, Text(),
                    textFromUtf8(std::string(reinterpret_cast<const char*>(text), length))));
  });
}

void onComment(void* user, const xmlChar* text) {
  step(user, [&](Builder& b) {
    b.flushText();
    b.place(newLeaf(b.owner, Kind::Comment, Text(), textFromUtf8(utf8(text))));
  });
}

void onProcessingInstruction(void* user, const xmlChar* target, const xmlChar* data) {
  step(user, [&](Builder& b) {
    b.flushText();
    b.place(newLeaf(b.owner, Kind::ProcessingInstruction, textFromUtf8(utf8(target)), textFromUtf8(utf8(data))));
  });
}

void onDoctype(void* user, const xmlChar*, const xmlChar*, const xmlChar*) {
  step(user, [&](Builder& b) {
    b.refuse(kDoctypeRefused, "a document type declaration (DOCTYPE) is not accepted in a configuration document");
  });
}

// The library's size limits (left on: no XML_PARSE_HUGE), said in the words of the document;
// empty for any other error. The library tells them apart only in its message.
std::string limitExceeded(int code, const std::string& detail) {
  auto says = [&detail](const char* text) { return detail.find(text) != std::string::npos; };
  // The text of one start tag is read in one piece, and must fit the parser's look-ahead.
  if (code == XML_ERR_INTERNAL_ERROR && says("Huge input lookup")) {
    return "the attributes of one element take more than the " + std::to_string(XML_MAX_LOOKUP_LIMIT) +
           " bytes the parser allows";
  }
  const std::string bytes = " longer than the " + std::to_string(XML_MAX_TEXT_LENGTH) + " bytes the parser allows";
  if (code == XML_ERR_ATTRIBUTE_NOT_FINISHED && says("too long")) return "an attribute value is" + bytes;
  if (says("Name too long")) {
    return "a name is longer than the " + std::to_string(XML_MAX_NAME_LENGTH) + " characters the parser allows";
  }
  if (code == XML_ERR_COMMENT_NOT_FINISHED && says("too big")) return "a comment is" + bytes;
  if (code == XML_ERR_CDATA_NOT_FINISHED && says("too big")) return "a CDATA section is" + bytes;
  if (code == XML_ERR_PI_NOT_FINISHED && says("too big")) return "a processing instruction is" + bytes;
  return std::string();
}

// The first error of the parse is the one that explains it. Messages of the encoding layer,
// which carry no position, only stand in when the parser itself says nothing.
void describe(ParseProblem& problem, const xmlError& error) {
  problem.code = kLibraryErrorBase + error.code;
  problem.line = error.line;
  problem.column = error.int2;
  std::string detail = utf8(reinterpret_cast<const xmlChar*>(error.message));
  while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r' || detail.back() == ' ')) detail.pop_back();
  try {
    const std::string limit = limitExceeded(error.code, detail);
    if (!limit.empty()) {
      problem.reason = limit + where(error.line, error.int2);
      return;
    }
    problem.reason = std::string(kindOfMistake(error.code)) + where(error.line, error.int2);
    if (!detail.empty()) problem.reason += ": " + detail;
  } catch (...) {
    problem.code = kNoMemory;
  }
}

void onError(void* user, xmlErrorPtr error) {
  Builder& b = builderOf(user);
  if (b.failed || error == nullptr || error->level < XML_ERR_ERROR) return;
  if (error->domain != XML_FROM_PARSER && error->line == 0) {
    if (b.fallback.code == 0) describe(b.fallback, *error);
    return;
  }
  b.failed = true;
  describe(*b.problem, *error);
}

void ignoreMessage(void*, const char*, ...) {}

// Sends the library's error reports to `builder` while one parse runs, and keeps its messages
// off standard error; the parse error says what went wrong.
class ErrorRouting {
 public:
  explicit ErrorRouting(Builder& builder)
      : generic_(xmlGenericError),
        genericContext_(xmlGenericErrorContext),
        structured_(xmlStructuredError),
        structuredContext_(xmlStructuredErrorContext) {
    xmlSetGenericErrorFunc(nullptr, ignoreMessage);
    xmlSetStructuredErrorFunc(&builder, onError);
  }
  ~ErrorRouting() {
    xmlSetStructuredErrorFunc(structuredContext_, structured_);
    xmlSetGenericErrorFunc(genericContext_, generic_);
  }
  ErrorRouting(const ErrorRouting&) = delete;
  ErrorRouting& operator=(const ErrorRouting&) = delete;

 private:
  xmlGenericErrorFunc generic_;
  void* genericContext_;
  xmlStructuredErrorFunc structured_;
  void* structuredContext_;
};

}  // namespace

bool parseXml(Document* owner, const std::string& bytes, bool fromText, std::vector<Node*>& topLevel,
              ParseProblem& problem) {
  static const bool initialised = (xmlInitParser(), true);
  (void)initialised;
  problem = ParseProblem{};
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    problem.code = kTooLarge;
    problem.reason = "the document is too large to load";
    return false;
  }

  Builder builder;
  builder.owner = owner;
  builder.problem = &problem;
  ErrorRouting routing(builder);
  xmlParserCtxtPtr context = xmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size()));
  if (context == nullptr) {
    problem.code = bytes.empty() ? kLibraryErrorBase + XML_ERR_DOCUMENT_EMPTY : kNoMemory;
    problem.line = bytes.empty() ? 1 : 0;
    problem.column = bytes.empty() ? 1 : 0;
    problem.reason = bytes.empty() ? "the document is empty" + where(1, 1) : "not enough memory to read the document";
    return false;
  }
  builder.context = context;

  xmlSAXHandler handler;
  std::memset(&handler, 0, sizeof handler);
  // The element callbacks of the first SAX version hand over attributes in the order written,
  // with no namespace processing: names are kept as written, prefixes included. Errors come
  // through ErrorRouting, since this kind of handler has no structured error callback.
  handler.initialized = 1;
  handler.startElement = onStartElement;
  handler.endElement = onEndElement;
  handler.characters = onCharacters;
  handler.ignorableWhitespace = onCharacters;
  handler.cdataBlock = onCData;
  handler.comment = onComment;
  handler.processingInstruction = onProcessingInstruction;
  handler.internalSubset = onDoctype;
  // No DTD loading, no entity substitution, nothing fetched; the library's own depth and size
  // limits stay on (no XML_PARSE_HUGE).
  xmlCtxtUseOptions(context, XML_PARSE_NONET | XML_PARSE_SAX1 | (fromText ? XML_PARSE_IGNORE_ENC : 0));
  std::memcpy(context->sax, &handler, sizeof handler);
  context->userData = &builder;

  xmlParseDocument(context);
  try {
    if (!builder.failed) builder.flushText();
  } catch (...) {
    builder.refuse(kNoMemory, "not enough memory to hold the document");
  }
  const bool wellFormed = context->wellFormed != 0;
  if (!builder.failed && !wellFormed) {
    if (builder.fallback.code != 0) {
      problem = builder.fallback;
    } else {
      problem.code = kLibraryErrorBase + context->errNo;
      problem.reason = std::string(kindOfMistake(context->errNo));
    }
  }
  if (context->myDoc != nullptr) xmlFreeDoc(context->myDoc);
  xmlFreeParserCtxt(context);
  if (builder.failed || !wellFormed) return false;
  topLevel.swap(builder.topLevel);
  return true;
}

}  // namespace qrvdom
