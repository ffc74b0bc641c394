// Writing the DOM's tree as XML text, through libxml2's text writer (see dom_parser.cpp for why
// libxml2): UTF-8, attributes in the order they were set, and, in files, element-only content
// indented by two spaces for a person reading them. Text content is written exactly as it is.
#include "platform/posix/dom_faces.h"

#include <libxml/xmlwriter.h>

#include <memory>

namespace qrvdom {
namespace {

struct WriterDeleter {
  void operator()(xmlTextWriter* writer) const { xmlFreeTextWriter(writer); }
};
struct BufferDeleter {
  void operator()(xmlBuffer* buffer) const { xmlBufferFree(buffer); }
};

const xmlChar* x(const std::string& text) { return reinterpret_cast<const xmlChar*>(text.c_str()); }

// Indentation only where it cannot change what the document says: inside an element whose
// children are all markup (no text), which a reader drops again as white space.
bool onlyMarkupInside(const Node* element) {
  if (element->children.empty()) return false;
  for (const Node* child : element->children)
    if (child->kind() == Kind::Text || child->kind() == Kind::CData) return false;
  return true;
}

// Markup characters become references; everything else stays itself in UTF-8, so that a person
// reads "Gerät" where the library's own escaping would write a numeric reference for every
// character outside ASCII. In attribute values the white space that a reader would otherwise
// turn into blanks is kept as references too.
bool needsReference(char c, bool inAttribute) {
  switch (c) {
    case '&': case '<': case '>': case '\r': return true;
    case '"': case '\t': case '\n': return inAttribute;
    default: return false;
  }
}

std::string escaped(const Text& text, bool inAttribute) {
  std::string utf8 = textToUtf8(text.c_str(), text.size());
  std::size_t at = 0;
  while (at < utf8.size() && !needsReference(utf8[at], inAttribute)) ++at;
  if (at == utf8.size()) return utf8;  // the usual text: nothing to replace
  std::string out;
  out.reserve(utf8.size() + 16);
  std::size_t from = 0;
  for (; at < utf8.size(); ++at) {
    const char c = utf8[at];
    if (!needsReference(c, inAttribute)) continue;
    out.append(utf8, from, at - from);
    from = at + 1;
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\r': out += "&#13;"; break;
      case '"': out += "&quot;"; break;
      case '\t': out += "&#9;"; break;
      default: out += "&#10;"; break;
    }
  }
  out.append(utf8, from, std::string::npos);
  return out;
}

class Writer {
 public:
  Writer(xmlTextWriter* writer, bool indent) : writer_(writer), indent_(indent) {}

  // Nesting is bounded by kXmlMaxDepth: deeper documents are refused on load and on appendChild.
  bool node(const Node* node, int level) {
    switch (node->kind()) {
      case Kind::Element: return element(node, level);
      case Kind::Text: return xmlTextWriterWriteRaw(writer_, x(escaped(node->value, false))) >= 0;
      case Kind::CData: return cdata(textToUtf8(node->value.c_str(), node->value.size()));
      case Kind::Comment: return xmlTextWriterWriteComment(writer_, x(textToUtf8(node->value.c_str(), node->value.size()))) >= 0;
      case Kind::ProcessingInstruction: {
        const std::string target = textToUtf8(node->name.c_str(), node->name.size());
        const std::string data = textToUtf8(node->value.c_str(), node->value.size());
        return xmlTextWriterWritePI(writer_, x(target), data.empty() ? nullptr : x(data)) >= 0;
      }
      case Kind::Document: break;
    }
    return false;
  }

  bool newline(int level) {
    if (!indent_) return true;
    std::string gap = "\n" + std::string(static_cast<std::size_t>(level) * 2, ' ');
    return xmlTextWriterWriteRaw(writer_, x(gap)) >= 0;
  }

 private:
  bool element(const Node* element, int level) {
    if (xmlTextWriterStartElement(writer_, x(textToUtf8(element->name.c_str(), element->name.size()))) < 0)
      return false;
    for (const Attribute& attribute : element->attributes) {
      if (xmlTextWriterStartAttribute(writer_, x(textToUtf8(attribute.name.c_str(), attribute.name.size()))) < 0 ||
          xmlTextWriterWriteRaw(writer_, x(escaped(attribute.value, true))) < 0 ||
          xmlTextWriterEndAttribute(writer_) < 0)
        return false;
    }
    const bool indented = onlyMarkupInside(element);
    for (const Node* child : element->children) {
      if (indented && !newline(level + 1)) return false;
      if (!node(child, level + 1)) return false;
    }
    if (indented && !newline(level)) return false;
    return xmlTextWriterEndElement(writer_) >= 0;
  }

  // A section cannot hold its own end marker: "]]>" is split across two sections.
  bool cdata(const std::string& text) {
    std::size_t from = 0;
    for (;;) {
      const std::size_t end = text.find("]]>", from);
      const std::string part = text.substr(from, end == std::string::npos ? std::string::npos : end + 2 - from);
      if (xmlTextWriterWriteCDATA(writer_, x(part)) < 0) return false;
      if (end == std::string::npos) return true;
      from = end + 2;
    }
  }

  xmlTextWriter* writer_;
  bool indent_;
};

}  // namespace

bool writeXml(const Node* root, bool forFile, std::string& out) {
  std::unique_ptr<xmlBuffer, BufferDeleter> buffer(xmlBufferCreate());
  if (!buffer) return false;
  std::unique_ptr<xmlTextWriter, WriterDeleter> writer(xmlNewTextWriterMemory(buffer.get(), 0));
  if (!writer) return false;
  Writer write(writer.get(), forFile);

  if (root->kind() != Kind::Document) {
    if (!write.node(root, 0)) return false;
  } else {
    if (forFile && xmlTextWriterStartDocument(writer.get(), "1.0", "UTF-8", nullptr) < 0) return false;
    bool first = true;
    for (const Node* child : root->children) {
      // Top-level nodes each start a line, in files and in get_xml alike.
      if (!first && xmlTextWriterWriteRaw(writer.get(), x("\n")) < 0) return false;
      first = false;
      if (!write.node(child, 0)) return false;
    }
    if (forFile && xmlTextWriterEndDocument(writer.get()) < 0) return false;
  }
  if (xmlTextWriterFlush(writer.get()) < 0) return false;
  out.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
             static_cast<std::size_t>(xmlBufferLength(buffer.get())));
  return true;
}

}  // namespace qrvdom
