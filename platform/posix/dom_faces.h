// The COM faces of the XML DOM on POSIX: elements, the other node kinds, and the document.
#pragma once

#include "platform/posix/dom_nodes.h"

#include <unordered_set>

namespace qrvdom {

class TagSearch;

// A COM object of its own, not a node of the tree (a node list, the parse error): it answers
// for IUnknown and its one interface, and deletes itself when its last reference goes.
template <typename Interface, const IID& kInterfaceId>
class CountedObject : public Interface {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == kInterfaceId) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~CountedObject() = default;

 private:
  ULONG refs_ = 1;
};

// The IXMLDOMNode methods, shared by every kind of node; Interface is the kind's own interface.
template <typename Interface>
class NodeFace : public Interface, public Node {
 public:
  NodeFace(Kind kind, Document* owner) : Node(kind, owner) {}

  IXMLDOMNode* face() override { return this; }

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT get_nodeName(BSTR* name) override;
  HRESULT get_nodeType(DOMNodeType* type) override;
  HRESULT get_parentNode(IXMLDOMNode** parent) override;
  HRESULT get_childNodes(IXMLDOMNodeList** children) override;
  HRESULT get_firstChild(IXMLDOMNode** child) override;
  HRESULT get_nextSibling(IXMLDOMNode** sibling) override;
  HRESULT get_ownerDocument(IXMLDOMDocument** document) override;
  HRESULT appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) override;
  HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** oldChild) override;
  HRESULT get_text(BSTR* text) override;
  HRESULT put_text(BSTR text) override;
  HRESULT put_nodeTypedValue(VARIANT value) override;
  HRESULT get_xml(BSTR* xml) override;

 protected:
  // The interface this node answers for riid beyond IUnknown and IXMLDOMNode, or null.
  virtual void* ownInterface(REFIID riid) = 0;
};

class Element final : public NodeFace<IXMLDOMElement> {
 public:
  Element(Document* owner, Text tagName) : NodeFace(Kind::Element, owner) { name = std::move(tagName); }

  HRESULT get_tagName(BSTR* name) override;
  HRESULT getAttribute(BSTR name, VARIANT* value) override;
  HRESULT setAttribute(BSTR name, VARIANT value) override;
  HRESULT removeAttribute(BSTR name) override;
  HRESULT getElementsByTagName(BSTR name, IXMLDOMNodeList** list) override;

 protected:
  void* ownInterface(REFIID riid) override;
};

// Text, CDATA section, comment or processing instruction.
class Leaf final : public NodeFace<IXMLDOMNode> {
 public:
  Leaf(Document* owner, Kind kind) : NodeFace(kind, owner) {}

 protected:
  void* ownInterface(REFIID) override { return nullptr; }
};

class Document final : public NodeFace<IXMLDOMDocument> {
 public:
  Document() : NodeFace(Kind::Document, this) {}
  ~Document() override;

  HRESULT get_documentElement(IXMLDOMElement** element) override;
  HRESULT createElement(BSTR tagName, IXMLDOMElement** element) override;
  HRESULT getElementsByTagName(BSTR name, IXMLDOMNodeList** list) override;
  HRESULT load(VARIANT source, VARIANT_BOOL* ok) override;
  HRESULT loadXML(BSTR xml, VARIANT_BOOL* ok) override;
  HRESULT save(VARIANT destination) override;
  HRESULT get_parseError(IXMLDOMParseError** error) override;
  HRESULT put_async(VARIANT_BOOL async) override;

  // Lifetime bookkeeping, driven by Node::addRef and Node::release.
  ULONG liveRefs = 0;
  // Takes `node` out of its parent into a fragment of its own. Throws only std::bad_alloc, and
  // then changes nothing.
  void detach(Node* node);
  // Frees the fragment holding `node` when it is detached and none of its nodes is referenced.
  void collect(Node* node);
  // Registers a node that starts out detached (created, not yet placed).
  void adopt(Node* node) { detached_.insert(node); }
  // A detached fragment root that is being placed into a tree.
  void placed(Node* node) { detached_.erase(node); }

  // Searches still walking this document's tree; each is told before the tree changes, so
  // that it can take the rest of its result from the tree as it was.
  void watch(TagSearch* search) { searches_.push_back(search); }
  void unwatch(TagSearch* search);
  void treeChanging();

 protected:
  void* ownInterface(REFIID riid) override;

 private:
  // Replaces the content with the parse of `bytes`; false with problem_ set on failure, and
  // then the document is empty.
  bool replaceContent(const std::string& bytes, bool fromText);
  void clearContent();
  void fail(long code, std::string reason);

  std::unordered_set<Node*> detached_;
  std::vector<TagSearch*> searches_;
  ParseProblem problem_;
};

// The element face of a node known to be an element.
inline IXMLDOMElement* asElement(Node* node) { return static_cast<Element*>(node); }

// The elements below `root` (not itself) named `name` ("*": all), in document order, as the
// tree was when the list was made. The list finds them as they are asked for; a change of the
// tree before the list has found them all makes it take the rest first.
HRESULT newTagSearch(Node* root, const WCHAR* name, IXMLDOMNodeList** list);

}  // namespace qrvdom
