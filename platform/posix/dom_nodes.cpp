// The XML DOM's nodes on POSIX: interface identities, reference counting, the node and element
// methods, and the node lists.
#include "platform/posix/dom_faces.h"

#include <libxml/tree.h>

#include <algorithm>
#include <cstring>

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IXMLDOMNode = {0x5A1E0C01, 0x3B7D, 0x4E21, {0x9F, 0x10, 0x6C, 0x2B, 0x51, 0xD0, 0x00, 0x01}};
const IID IID_IXMLDOMElement = {0x5A1E0C01, 0x3B7D, 0x4E21, {0x9F, 0x10, 0x6C, 0x2B, 0x51, 0xD0, 0x00, 0x02}};
const IID IID_IXMLDOMDocument = {0x5A1E0C01, 0x3B7D, 0x4E21, {0x9F, 0x10, 0x6C, 0x2B, 0x51, 0xD0, 0x00, 0x03}};
const IID IID_IXMLDOMNodeList = {0x5A1E0C01, 0x3B7D, 0x4E21, {0x9F, 0x10, 0x6C, 0x2B, 0x51, 0xD0, 0x00, 0x04}};
const IID IID_IXMLDOMParseError = {0x5A1E0C01, 0x3B7D, 0x4E21, {0x9F, 0x10, 0x6C, 0x2B, 0x51, 0xD0, 0x00, 0x05}};

bool operator==(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace qrvdom {

// ---- lifetimes -------------------------------------------------------------------------------

void Node::addRef() {
  ++refs_;
  ++owner_->liveRefs;
}

void Node::release() {
  Document* document = owner_;
  --refs_;
  --document->liveRefs;
  if (refs_ == 0 && static_cast<Node*>(document) != this) document->collect(this);
  if (document->liveRefs == 0) delete document;
}

void destroySubtree(Node* root) {
  std::vector<Node*> pending{root};
  while (!pending.empty()) {
    Node* node = pending.back();
    pending.pop_back();
    for (Node* child : node->children) pending.push_back(child);
    node->children.clear();
    delete node;
  }
}

Node* nodeOf(IUnknown* object) { return object == nullptr ? nullptr : dynamic_cast<Node*>(object); }

int subtreeHeight(const Node* node) {
  if (node->kind() != Kind::Element) return 0;
  int height = 0;
  std::vector<std::pair<const Node*, int>> pending{{node, 1}};
  while (!pending.empty()) {
    auto [current, level] = pending.back();
    pending.pop_back();
    height = std::max(height, level);
    for (const Node* child : current->children)
      if (child->kind() == Kind::Element) pending.push_back({child, level + 1});
  }
  return height;
}

int elementDepth(const Node* node) {
  int depth = 0;
  for (; node != nullptr; node = node->parent)
    if (node->kind() == Kind::Element) ++depth;
  return depth;
}

// ---- text checks -----------------------------------------------------------------------------

// The names markup mostly uses are ASCII, and for those the XML rule is short: a letter, '_'
// or ':' first, then letters, digits, '.', '-', '_' and ':'. Others go to the library.
bool isAsciiXmlName(const WCHAR* name) {
  auto letter = [](WCHAR c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':'; };
  if (!letter(name[0])) return false;
  for (const WCHAR* c = name + 1; *c; ++c) {
    if (!letter(*c) && !(*c >= '0' && *c <= '9') && *c != '.' && *c != '-') return false;
  }
  return true;
}

bool isXmlName(const WCHAR* name) {
  if (name != nullptr && *name != 0 && isAsciiXmlName(name)) return true;
  std::string utf8;
  if (name == nullptr || *name == 0 || !textToUtf8Strict(name, textLength(name), utf8)) return false;
  return xmlValidateName(reinterpret_cast<const xmlChar*>(utf8.c_str()), 0) == 0;
}

bool isXmlText(const WCHAR* text, std::size_t length) {
  return textFindNonXml(text, length) == length;
}

Node* newElement(Document* owner, Text name) { return new Element(owner, std::move(name)); }

Node* newLeaf(Document* owner, Kind kind, Text name, Text value) {
  Node* leaf = new Leaf(owner, kind);
  leaf->name = std::move(name);
  leaf->value = std::move(value);
  return leaf;
}

Text textContent(const Node* node) {
  if (node->kind() != Kind::Element && node->kind() != Kind::Document) return node->value;
  Text text;
  std::vector<const Node*> pending{node};
  while (!pending.empty()) {
    const Node* current = pending.back();
    pending.pop_back();
    if (current->kind() == Kind::Text || current->kind() == Kind::CData) text += current->value;
    for (auto child = current->children.rbegin(); child != current->children.rend(); ++child)
      pending.push_back(*child);
  }
  return text;
}

HRESULT giveText(const Text& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

namespace {

// Hands a node out with a new reference; S_FALSE and null when there is none.
template <typename Out>
HRESULT giveNode(Node* node, Out** out) {
  if (out == nullptr) return E_POINTER;
  if (node == nullptr) {
    *out = nullptr;
    return S_FALSE;
  }
  node->addRef();
  *out = static_cast<Out*>(node->face());
  return S_OK;
}

const WCHAR* orEmpty(const WCHAR* text) { return text != nullptr ? text : WSTR(""); }

// The text of a variant as the DOM stores it. A VT_BSTR is read up to its terminator.
HRESULT variantText(const VARIANT& value, Text& text) {
  if (value.vt == VT_BSTR) {
    text = orEmpty(value.bstrVal);
    return S_OK;
  }
  VARIANT converted;
  VariantInit(&converted);
  HRESULT hr = VariantChangeType(&converted, &value, 0, VT_BSTR);
  if (FAILED(hr)) return hr;
  text = orEmpty(converted.bstrVal);
  VariantClear(&converted);
  return S_OK;
}

bool mayHold(const Node* parent, const Node* child) {
  if (child->kind() == Kind::Document) return false;
  if (parent->kind() == Kind::Element) return true;
  if (parent->kind() != Kind::Document) return false;
  if (child->kind() == Kind::Comment || child->kind() == Kind::ProcessingInstruction) return true;
  if (child->kind() != Kind::Element) return false;
  // One document element at most.
  return std::none_of(parent->children.begin(), parent->children.end(), [child](const Node* n) {
    return n->kind() == Kind::Element && n != child;
  });
}

bool isAncestorOrSelf(const Node* candidate, const Node* node) {
  for (; node != nullptr; node = node->parent)
    if (node == candidate) return true;
  return false;
}

// The fragment top above a node (the document for nodes of its tree).
Node* topOf(Node* node) {
  while (node->parent != nullptr) node = node->parent;
  return node;
}

// ---- node lists ------------------------------------------------------------------------------

using ListBase = CountedObject<IXMLDOMNodeList, IID_IXMLDOMNodeList>;

// The children of a node as they are at each call. nextNode steps from the node it gave last,
// so removing that node while walking does not skip the one after it.
class ChildList final : public ListBase {
 public:
  explicit ChildList(Node* parent) : parent_(parent) { parent_->addRef(); }
  ~ChildList() override {
    if (last_ != nullptr) last_->release();
    parent_->release();
  }

  HRESULT get_item(long index, IXMLDOMNode** item) override {
    if (item == nullptr) return E_POINTER;
    const auto& children = parent_->children;
    return giveNode(index >= 0 && static_cast<std::size_t>(index) < children.size() ? children[index] : nullptr,
                    item);
  }
  HRESULT get_length(long* length) override {
    if (length == nullptr) return E_POINTER;
    *length = static_cast<long>(parent_->children.size());
    return S_OK;
  }
  HRESULT nextNode(IXMLDOMNode** next) override {
    if (next == nullptr) return E_POINTER;
    const auto& children = parent_->children;
    std::size_t position = 0;
    if (last_ != nullptr && last_->parent == parent_) {
      position = last_->slot + 1;
    } else if (last_ != nullptr) {
      position = std::min(lastIndex_, children.size());
    }
    if (position >= children.size()) return giveNode<IXMLDOMNode>(nullptr, next);
    Node* found = children[position];
    found->addRef();
    if (last_ != nullptr) last_->release();
    last_ = found;
    lastIndex_ = position;
    return giveNode(found, next);
  }
  HRESULT reset() override {
    if (last_ != nullptr) last_->release();
    last_ = nullptr;
    lastIndex_ = 0;
    return S_OK;
  }

 private:
  Node* parent_;
  Node* last_ = nullptr;
  std::size_t lastIndex_ = 0;
};

}  // namespace

// Elements by tag name, found as they are asked for. Those found are held by a reference each
// for the list's lifetime; `cursor_` is the last one, where the walk goes on. The document
// tells the list before its tree changes, and the list then finds the rest at once, so that
// it answers as a snapshot of the tree as it was when it was made.
class TagSearch final : public ListBase {
 public:
  TagSearch(Node* root, Text name) : root_(root), name_(std::move(name)), all_(name_ == WSTR("*")) {
    root_->owner()->watch(this);  // may throw, before anything is held
    root_->addRef();
  }
  ~TagSearch() override {
    if (!complete_) root_->owner()->unwatch(this);
    for (Node* node : found_) node->release();
    root_->release();
  }

  HRESULT get_item(long index, IXMLDOMNode** item) override {
    if (item == nullptr) return E_POINTER;
    return guarded([&] {
      Node* node = nullptr;
      if (index >= 0 && findUpTo(static_cast<std::size_t>(index))) node = found_[index];
      return giveNode(node, item);
    });
  }
  HRESULT get_length(long* length) override {
    if (length == nullptr) return E_POINTER;
    return guarded([&] {
      findAll();
      *length = static_cast<long>(found_.size());
      return S_OK;
    });
  }
  HRESULT nextNode(IXMLDOMNode** next) override {
    if (next == nullptr) return E_POINTER;
    return guarded([&] {
      Node* node = findUpTo(next_) ? found_[next_++] : nullptr;
      return giveNode(node, next);
    });
  }
  HRESULT reset() override {
    next_ = 0;
    return S_OK;
  }

  // Finds everything that is left, from the tree as it still is.
  void findAll() {
    while (!complete_) findNext();
  }

 private:
  // True when the result has an element at `index`.
  bool findUpTo(std::size_t index) {
    while (found_.size() <= index && !complete_) findNext();
    return index < found_.size();
  }

  // The node after `node` in document order below the root, or null at the end. The tree has
  // not changed since `node` was found, or the rest would have been found before the change.
  Node* following(Node* node) const {
    if (!node->children.empty()) return node->children.front();
    while (node != root_) {
      Node* parent = node->parent;
      if (node->slot + 1 < parent->children.size()) return parent->children[node->slot + 1];
      node = parent;
    }
    return nullptr;
  }

  void findNext() {
    reserveOneMore(found_);
    for (Node* node = following(cursor_ != nullptr ? cursor_ : root_); node != nullptr;
         node = following(node)) {
      if (node->kind() == Kind::Element && (all_ || node->name == name_)) {
        node->addRef();
        found_.push_back(node);
        cursor_ = node;
        return;
      }
    }
    complete_ = true;
    root_->owner()->unwatch(this);
  }

  Node* const root_;
  const Text name_;
  const bool all_;
  std::vector<Node*> found_;
  Node* cursor_ = nullptr;
  bool complete_ = false;
  std::size_t next_ = 0;
};

void Document::unwatch(TagSearch* search) {
  searches_.erase(std::find(searches_.begin(), searches_.end(), search));
}

void Document::treeChanging() {
  // A search that has found everything leaves the list, so this ends.
  while (!searches_.empty()) searches_.back()->findAll();
}

HRESULT newTagSearch(Node* root, const WCHAR* name, IXMLDOMNodeList** list) {
  if (list == nullptr) return E_POINTER;
  *list = new TagSearch(root, orEmpty(name));
  return S_OK;
}

void reserveOneMore(std::vector<Node*>& nodes) {
  if (nodes.size() < nodes.capacity()) return;
  nodes.reserve(std::max<std::size_t>(8, nodes.size() + nodes.size() / 2));
}

void attachLast(Node* parent, Node* child) {
  parent->owner()->treeChanging();
  parent->children.push_back(child);
  child->slot = parent->children.size() - 1;
  child->parent = parent;
}

void detachFromParent(Node* child) {
  child->owner()->treeChanging();
  auto& siblings = child->parent->children;
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(child->slot));
  for (std::size_t i = child->slot; i < siblings.size(); ++i) siblings[i]->slot = i;
  child->parent = nullptr;
  child->slot = 0;
}

// ---- IXMLDOMNode -----------------------------------------------------------------------------

template <typename I>
HRESULT NodeFace<I>::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  void* found = nullptr;
  if (riid == IID_IUnknown || riid == IID_IXMLDOMNode)
    found = static_cast<IXMLDOMNode*>(this);
  else
    found = ownInterface(riid);
  *object = found;
  if (found == nullptr) return E_NOINTERFACE;
  addRef();
  return S_OK;
}

template <typename I>
ULONG NodeFace<I>::AddRef() {
  addRef();
  return refs();
}

template <typename I>
ULONG NodeFace<I>::Release() {
  const ULONG left = refs() - 1;
  release();
  return left;
}

template <typename I>
HRESULT NodeFace<I>::get_nodeName(BSTR* out) {
  return guarded([&] {
    switch (kind()) {
      case Kind::Element:
      case Kind::ProcessingInstruction: return giveText(name, out);
      case Kind::Text: return giveText(WSTR("#text"), out);
      case Kind::CData: return giveText(WSTR("#cdata-section"), out);
      case Kind::Comment: return giveText(WSTR("#comment"), out);
      case Kind::Document: break;
    }
    return giveText(WSTR("#document"), out);
  });
}

template <typename I>
HRESULT NodeFace<I>::get_nodeType(DOMNodeType* type) {
  if (type == nullptr) return E_POINTER;
  switch (kind()) {
    case Kind::Element: *type = NODE_ELEMENT; break;
    case Kind::Text: *type = NODE_TEXT; break;
    case Kind::CData: *type = NODE_CDATA_SECTION; break;
    case Kind::Comment: *type = NODE_COMMENT; break;
    case Kind::ProcessingInstruction: *type = NODE_PROCESSING_INSTRUCTION; break;
    case Kind::Document: *type = NODE_DOCUMENT; break;
  }
  return S_OK;
}

template <typename I>
HRESULT NodeFace<I>::get_parentNode(IXMLDOMNode** out) {
  return giveNode(parent, out);
}

template <typename I>
HRESULT NodeFace<I>::get_childNodes(IXMLDOMNodeList** out) {
  if (out == nullptr) return E_POINTER;
  return guarded([&] {
    *out = new ChildList(this);
    return S_OK;
  });
}

template <typename I>
HRESULT NodeFace<I>::get_firstChild(IXMLDOMNode** out) {
  return giveNode(children.empty() ? nullptr : children.front(), out);
}

template <typename I>
HRESULT NodeFace<I>::get_nextSibling(IXMLDOMNode** out) {
  Node* next = nullptr;
  if (parent != nullptr && slot + 1 < parent->children.size()) next = parent->children[slot + 1];
  return giveNode(next, out);
}

template <typename I>
HRESULT NodeFace<I>::get_ownerDocument(IXMLDOMDocument** out) {
  if (out == nullptr) return E_POINTER;
  if (kind() == Kind::Document) {
    *out = nullptr;
    return S_FALSE;
  }
  owner()->addRef();
  *out = owner();
  return S_OK;
}

template <typename I>
HRESULT NodeFace<I>::appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) {
  if (outNewChild != nullptr) *outNewChild = nullptr;
  Node* child = nodeOf(newChild);
  if (child == nullptr || child->owner() != owner()) return E_INVALIDARG;
  if (!mayHold(this, child) || isAncestorOrSelf(child, this)) return E_FAIL;
  if (elementDepth(this) + subtreeHeight(child) > kXmlMaxDepth) return E_FAIL;
  return guarded([&] {
    reserveOneMore(children);
    // Hold the child while it moves, so that no collection can take it in between.
    child->addRef();
    Node* oldParent = child->parent;
    Node* oldTop = oldParent != nullptr ? topOf(oldParent) : nullptr;
    if (oldParent != nullptr) {
      detachFromParent(child);
    } else {
      owner()->placed(child);
    }
    attachLast(this, child);  // cannot throw: the room was reserved above
    // What the move left behind may now be an unreferenced fragment.
    if (oldTop != nullptr && oldTop != topOf(this)) owner()->collect(oldTop);
    if (outNewChild != nullptr) {
      *outNewChild = child->face();
      return S_OK;
    }
    child->release();
    return S_OK;
  });
}

template <typename I>
HRESULT NodeFace<I>::removeChild(IXMLDOMNode* childNode, IXMLDOMNode** oldChild) {
  if (oldChild != nullptr) *oldChild = nullptr;
  Node* child = nodeOf(childNode);
  if (child == nullptr || child->parent != this) return E_INVALIDARG;
  return guarded([&] {
    Node* formerTop = topOf(this);
    owner()->detach(child);
    if (oldChild != nullptr) {
      child->addRef();
      *oldChild = child->face();
    } else {
      owner()->collect(child);
    }
    owner()->collect(formerTop);
    return S_OK;
  });
}

template <typename I>
HRESULT NodeFace<I>::get_text(BSTR* out) {
  if (out == nullptr) return E_POINTER;
  return guarded([&] { return giveText(textContent(this), out); });
}

template <typename I>
HRESULT NodeFace<I>::put_text(BSTR text) {
  const WCHAR* input = orEmpty(text);
  const std::size_t length = textLength(input);
  if (!isXmlText(input, length)) return E_INVALIDARG;
  return guarded([&] {
    const Text content(input, length);
    switch (kind()) {
      case Kind::Document: return E_FAIL;
      case Kind::Comment:
        if (content.find(WSTR("--")) != Text::npos || (!content.empty() && content.back() == '-')) return E_FAIL;
        break;
      case Kind::ProcessingInstruction:
        if (content.find(WSTR("?>")) != Text::npos) return E_FAIL;
        break;
      case Kind::Element: {
        Node* textNode = content.empty() ? nullptr : newLeaf(owner(), Kind::Text, Text(), content);
        try {
          reserveOneMore(children);
          while (!children.empty()) {
            Node* old = children.back();
            owner()->detach(old);
            owner()->collect(old);
          }
        } catch (...) {
          delete textNode;
          throw;
        }
        if (textNode != nullptr) attachLast(this, textNode);  // room reserved above
        return S_OK;
      }
      case Kind::Text:
      case Kind::CData:
        break;
    }
    Node::value = content;
    return S_OK;
  });
}

template <typename I>
HRESULT NodeFace<I>::put_nodeTypedValue(VARIANT variant) {
  return guarded([&] {
    Text text;
    HRESULT hr = variantText(variant, text);
    if (FAILED(hr)) return hr;
    // put_text reads its argument up to the terminator, as it does for any caller's text.
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (copy == nullptr) return E_OUTOFMEMORY;
    hr = put_text(copy);
    SysFreeString(copy);
    return hr;
  });
}

template <typename I>
HRESULT NodeFace<I>::get_xml(BSTR* out) {
  if (out == nullptr) return E_POINTER;
  return guarded([&] {
    std::string utf8;
    if (!writeXml(this, false, utf8)) return E_FAIL;
    return giveText(textFromUtf8(utf8), out);
  });
}

template class NodeFace<IXMLDOMNode>;
template class NodeFace<IXMLDOMElement>;
template class NodeFace<IXMLDOMDocument>;

// ---- IXMLDOMElement --------------------------------------------------------------------------

void* Element::ownInterface(REFIID riid) {
  return riid == IID_IXMLDOMElement ? static_cast<IXMLDOMElement*>(this) : nullptr;
}

HRESULT Element::get_tagName(BSTR* out) {
  return guarded([&] { return giveText(name, out); });
}

HRESULT Element::getAttribute(BSTR attributeName, VARIANT* value) {
  if (value == nullptr) return E_POINTER;
  VariantInit(value);
  const WCHAR* wanted = orEmpty(attributeName);
  for (const Attribute& attribute : attributes) {
    if (textCompare(attribute.name.c_str(), wanted) != 0) continue;
    BSTR text = SysAllocStringLen(attribute.value.data(), static_cast<UINT>(attribute.value.size()));
    if (text == nullptr) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    value->bstrVal = text;
    return S_OK;
  }
  value->vt = VT_NULL;
  return S_FALSE;
}

HRESULT Element::setAttribute(BSTR attributeName, VARIANT value) {
  if (!isXmlName(attributeName)) return E_FAIL;
  return guarded([&] {
    Text text;
    HRESULT hr = variantText(value, text);
    if (FAILED(hr)) return hr;
    if (!isXmlText(text.data(), text.size())) return E_INVALIDARG;
    for (Attribute& attribute : attributes) {
      if (textCompare(attribute.name.c_str(), attributeName) == 0) {
        attribute.value = std::move(text);
        return S_OK;
      }
    }
    attributes.push_back(Attribute{Text(attributeName), std::move(text)});
    return S_OK;
  });
}

HRESULT Element::removeAttribute(BSTR attributeName) {
  const WCHAR* wanted = orEmpty(attributeName);
  auto at = std::find_if(attributes.begin(), attributes.end(),
                         [wanted](const Attribute& a) { return textCompare(a.name.c_str(), wanted) == 0; });
  if (at == attributes.end()) return S_FALSE;
  attributes.erase(at);
  return S_OK;
}

HRESULT Element::getElementsByTagName(BSTR tagName, IXMLDOMNodeList** list) {
  if (list == nullptr) return E_POINTER;
  *list = nullptr;
  return guarded([&] { return newTagSearch(this, tagName, list); });
}

}  // namespace qrvdom
