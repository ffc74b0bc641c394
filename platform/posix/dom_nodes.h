// The XML DOM's node tree on POSIX: node objects, their COM faces, and how their lifetimes hang
// together; shared by the tree, the parser and the writer.
#pragma once

#include "platform/xmldom.h"

#include <new>
#include <string>
#include <utility>
#include <vector>

namespace qrvdom {

class Document;

enum class Kind { Element, Text, CData, Comment, ProcessingInstruction, Document };

struct Attribute {
  Text name;
  Text value;
};

// One node of a document. The document owns every node it created: those of its tree, and the
// roots of fragments taken out of it (removed, or created and not yet placed). A fragment is
// freed as soon as none of its nodes is referenced from outside; everything else goes with the
// document, which lives while any of its nodes (itself included) is referenced.
class Node {
 public:
  Node(Kind kind, Document* owner) : kind_(kind), owner_(owner) {}
  virtual ~Node() = default;
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  // The node's COM face; the same object, seen through the interface of its kind.
  virtual IXMLDOMNode* face() = 0;

  Kind kind() const { return kind_; }
  Document* owner() const { return owner_; }

  void addRef();
  void release();
  ULONG refs() const { return refs_; }

  // Element: tag name. Processing instruction: target. Others: unused.
  Text name;
  // Text, CDATA, comment, processing-instruction data.
  Text value;
  // Element only, in the order they were set.
  std::vector<Attribute> attributes;

  Node* parent = nullptr;
  // Owned: a node is deleted with its parent. Changed only through attachLast and
  // detachFromParent, which keep each child's slot.
  std::vector<Node*> children;
  // The node's position in its parent's children, so that its siblings are found at once.
  std::size_t slot = 0;

 private:
  const Kind kind_;
  Document* const owner_;
  ULONG refs_ = 0;
};

// Makes room for one more node, growing the vector by half again when it is full (an exact
// reserve would copy the whole vector on every append). Throws std::bad_alloc.
void reserveOneMore(std::vector<Node*>& nodes);
// Makes `child` (which has no parent) the last child of `parent`. Throws std::bad_alloc, with
// nothing changed, when the children cannot grow.
void attachLast(Node* parent, Node* child);
// Takes `child` out of its parent's children; the siblings after it move up one place.
void detachFromParent(Node* child);

// The node behind a COM pointer handed back to the DOM, or null when it is none of ours.
Node* nodeOf(IUnknown* object);

// Deletes a node with its whole subtree, without recursion.
void destroySubtree(Node* root);

// Number of element levels in the subtree below and including `node` (0 for a non-element).
int subtreeHeight(const Node* node);
// Number of elements from `node` up to its fragment's top, `node` included.
int elementDepth(const Node* node);

// Text and element names arrive as zero-terminated UTF-16 (callers often pass plain text where
// a BSTR is declared); these check them against what an XML document can carry.
bool isXmlName(const WCHAR* name);
bool isXmlText(const WCHAR* text, std::size_t length);

// Factories for the node kinds; each node starts with no reference.
Node* newElement(Document* owner, Text name);
Node* newLeaf(Document* owner, Kind kind, Text name, Text value);

// The text of all text and CDATA descendants, in document order.
Text textContent(const Node* node);

// Why a load failed. code 0 means it did not.
struct ParseProblem {
  long code = 0;
  std::string reason;
  long line = 0;
  long column = 0;
};

// Reads XML text into new top-level nodes of `owner` (not yet attached). bytes: the document
// as stored (encoding from its byte-order mark or declaration); fromText: the bytes are UTF-8
// made from a UTF-16 string, so any encoding the declaration names is ignored. On failure
// nothing is returned and `problem` says why.
bool parseXml(Document* owner, const std::string& bytes, bool fromText, std::vector<Node*>& topLevel,
              ParseProblem& problem);

// Serialises a node as UTF-8. A document gets an XML declaration and indented element-only
// content when `forFile`; otherwise the text is compact, as get_xml gives it.
bool writeXml(const Node* node, bool forFile, std::string& out);

// Runs a DOM method body: an allocation failure becomes E_OUTOFMEMORY, never an exception.
template <typename Body>
HRESULT guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

// Hands a text out as a new BSTR.
HRESULT giveText(const Text& text, BSTR* out);

}  // namespace qrvdom
