// Element positions from libxml2's parser: as it reports each start tag, the place it stands at
// gives the tag's '<'.
#include "tools/qrvdevice/source_positions.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A UTF-16 file (by its byte-order mark) as UTF-8 text; false for any other file.
bool utf16AsUtf8(const std::string& bytes, std::string& out) {
  if (bytes.size() < 2) return false;
  const unsigned char b0 = static_cast<unsigned char>(bytes[0]);
  const unsigned char b1 = static_cast<unsigned char>(bytes[1]);
  bool little = b0 == 0xFF && b1 == 0xFE;
  bool big = b0 == 0xFE && b1 == 0xFF;
  if (!little && !big) return false;
  Text text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    unsigned lo = static_cast<unsigned char>(bytes[i]),
             hi = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(static_cast<WCHAR>(little ? (hi << 8 | lo) : (lo << 8 | hi)));
  }
  out = textToUtf8(text.c_str(), text.size());
  return true;
}

// True when the declaration names an encoding other than UTF-8 (so libxml2 converts the
// bytes and its offsets no longer count them).
bool declaresOtherEncoding(const std::string& text) {
  if (text.compare(0, 5, "<?xml") != 0) return false;
  std::size_t end = text.find("?>");
  std::string declaration = text.substr(0, end);
  std::size_t at = declaration.find("encoding");
  if (at == std::string::npos) return false;
  std::size_t quote = declaration.find_first_of("'\"", at);
  if (quote == std::string::npos) return false;
  std::size_t close = declaration.find(declaration[quote], quote + 1);
  std::string name = declaration.substr(quote + 1, close - quote - 1);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return name != "utf-8" && name != "utf8";
}

// The start of each element, noted as the parser reports it: the start tag has just been read
// and the parser stands at its '>' or "/>", so the '<' is the last one before that place (an
// attribute value cannot hold a '<').
struct Recorder {
  const std::string* text;
  std::vector<std::pair<xmlNodePtr, std::size_t>> starts;
};

void onStartElement(void* user, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri,
                    int namespaceCount, const xmlChar** namespaces, int attributeCount,
                    int defaultedCount, const xmlChar** attributes) {
  xmlParserCtxtPtr context = static_cast<xmlParserCtxtPtr>(user);
  xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces, attributeCount,
                        defaultedCount, attributes);
  Recorder* recorder = static_cast<Recorder*>(context->_private);
  if (recorder == nullptr || context->input == nullptr || context->node == nullptr) return;
  std::size_t here = static_cast<std::size_t>(context->input->consumed) +
                     static_cast<std::size_t>(context->input->cur - context->input->base);
  std::size_t start = recorder->text->rfind('<', std::min(here, recorder->text->size()));
  recorder->starts.emplace_back(context->node, start);
}

}  // namespace

bool SourcePositions::read(const std::string& bytes) {
  elements_.clear();
  offsetsExact_ = true;
  int options = XML_PARSE_NONET;
  if (utf16AsUtf8(bytes, text_)) {
    options |= XML_PARSE_IGNORE_ENC;  // the text is UTF-8 now, whatever its declaration says
  } else {
    text_ = bytes;
    offsetsExact_ = !declaresOtherEncoding(text_);
  }
  lineStarts_ = {0};
  for (std::size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == '\n') lineStarts_.push_back(i + 1);
  }

  xmlParserCtxtPtr context =
      xmlCreateMemoryParserCtxt(text_.data(), static_cast<int>(text_.size()));
  if (context == nullptr) return false;
  Recorder recorder{&text_, {}};
  context->_private = &recorder;
  context->sax->startElementNs = onStartElement;
  xmlCtxtUseOptions(context, options);
  bool parsed = xmlParseDocument(context) == 0 && context->wellFormed && context->myDoc != nullptr;
  if (parsed) {
    // Start tags are reported in document order, which is the order of the elements.
    for (const auto& [node, start] : recorder.starts) {
      Element element{reinterpret_cast<const char*>(node->name), start,
                      static_cast<std::size_t>(xmlGetLineNo(node))};
      if (start == std::string::npos || !offsetsExact_) {
        element.offset = std::string::npos;
      }
      elements_.push_back(element);
    }
  }
  if (context->myDoc != nullptr) xmlFreeDoc(context->myDoc);
  xmlFreeParserCtxt(context);
  return parsed;
}

SourcePosition SourcePositions::at(std::size_t offset) const {
  auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  std::size_t line = static_cast<std::size_t>(after - lineStarts_.begin());
  std::size_t column = 1;
  std::size_t from = lineStarts_[line - 1];
  if (from == 0 && text_.compare(0, 3, "\xEF\xBB\xBF") == 0) from = 3;  // the byte-order mark
  for (std::size_t i = from; i < offset; ++i) {
    if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) ++column;  // not a continuation byte
  }
  return {line, column};
}

SourcePosition SourcePositions::element(std::size_t index) const {
  if (index >= elements_.size()) return {};
  const Element& e = elements_[index];
  if (e.offset == std::string::npos) return {e.line, e.line ? 1u : 0u};
  return at(e.offset);
}

SourcePosition SourcePositions::attribute(std::size_t index, const std::string& wanted) const {
  if (index >= elements_.size() || elements_[index].offset == std::string::npos)
    return element(index);
  // The start tag is well formed (the parser took it): names, blanks, '=' and quoted values.
  std::size_t p = elements_[index].offset + 1;
  const std::size_t n = text_.size();
  while (p < n && !isBlank(text_[p]) && text_[p] != '>' && text_[p] != '/') ++p;
  for (;;) {
    while (p < n && isBlank(text_[p])) ++p;
    if (p >= n || text_[p] == '>' || text_[p] == '/') break;
    std::size_t nameStart = p;
    while (p < n && !isBlank(text_[p]) && text_[p] != '=') ++p;
    std::string name = text_.substr(nameStart, p - nameStart);
    while (p < n && text_[p] != '"' && text_[p] != '\'') ++p;
    if (p >= n) break;
    std::size_t close = text_.find(text_[p], p + 1);
    if (close == std::string::npos) break;
    if (name == wanted) return at(nameStart);
    p = close + 1;
  }
  return element(index);
}
