// ConfigNode over a DOM that fails on demand: failed calls, refused attributes and documents
// nested deeper than any search may go. Built where the DOM interfaces are the project's own.
#include "plugin/entry/report.h"
#include "plugin/node/config_node.h"

#include "node_fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using namespace nodetest;

// What a FakeElement refuses.
struct Faults {
  bool childNodes = false;   // get_childNodes fails
  int nextNodeAt = -1;       // nextNode fails at this position
  bool getAttribute = false;
  bool setAttribute = false;
  int removeChildFailures = 0;  // this many removeChild calls fail before one succeeds
};

class FakeElement;

class FakeList final : public IXMLDOMNodeList {
 public:
  FakeList(std::vector<IXMLDOMNode*> nodes, int failAt) : nodes_(std::move(nodes)), failAt_(failAt) {
    for (IXMLDOMNode* n : nodes_) n->AddRef();
  }
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0) {
      for (IXMLDOMNode* node : nodes_) node->Release();
      delete this;
    }
    return n;
  }
  HRESULT get_item(long, IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT get_length(long* length) override {
    *length = static_cast<long>(nodes_.size());
    return S_OK;
  }
  HRESULT nextNode(IXMLDOMNode** next) override {
    *next = nullptr;
    if (static_cast<int>(position_) == failAt_) return E_FAIL;
    if (position_ >= nodes_.size()) return S_FALSE;
    *next = nodes_[position_++];
    (*next)->AddRef();
    return S_OK;
  }
  HRESULT reset() override {
    position_ = 0;
    return S_OK;
  }

 private:
  std::vector<IXMLDOMNode*> nodes_;
  int failAt_;
  std::size_t position_ = 0;
  ULONG refs_ = 1;
};

// An element with attributes and element children; `bottomless` makes every element grow one
// child on demand, a nesting without end.
class FakeElement final : public IXMLDOMElement {
 public:
  static FakeElement* make(std::map<Text, Text> attributes, Faults faults = {}) {
    return new FakeElement(std::move(attributes), faults);
  }
  void add(FakeElement* child) { children_.push_back(child); }  // adopts the reference
  bool bottomless = false;
  int removed = 0;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IXMLDOMElement || riid == IID_IXMLDOMNode || riid == IID_IUnknown) {
      *object = static_cast<IXMLDOMElement*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT get_nodeName(BSTR*) override { return E_NOTIMPL; }
  HRESULT get_nodeType(DOMNodeType* type) override {
    *type = NODE_ELEMENT;
    return S_OK;
  }
  HRESULT get_parentNode(IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT get_childNodes(IXMLDOMNodeList** children) override {
    *children = nullptr;
    if (faults_.childNodes) return E_FAIL;
    if (bottomless && children_.empty()) {
      FakeElement* child = make({{u"TYPE", u"NODE"}});
      child->bottomless = true;
      add(child);
    }
    std::vector<IXMLDOMNode*> nodes(children_.begin(), children_.end());
    *children = new FakeList(nodes, faults_.nextNodeAt);
    return S_OK;
  }
  HRESULT get_firstChild(IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT get_nextSibling(IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT get_ownerDocument(IXMLDOMDocument**) override { return E_NOTIMPL; }
  HRESULT appendChild(IXMLDOMNode*, IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** old) override {
    if (old) *old = nullptr;
    if (faults_.removeChildFailures > 0) {
      --faults_.removeChildFailures;
      return E_FAIL;
    }
    for (auto it = children_.begin(); it != children_.end(); ++it) {
      if (static_cast<IXMLDOMNode*>(*it) == child) {
        ++removed;
        if (old) {
          *old = child;
        } else {
          child->Release();
        }
        children_.erase(it);
        return S_OK;
      }
    }
    return E_INVALIDARG;
  }
  HRESULT get_text(BSTR*) override { return E_NOTIMPL; }
  HRESULT put_text(BSTR) override { return E_NOTIMPL; }
  HRESULT put_nodeTypedValue(VARIANT) override { return E_NOTIMPL; }
  HRESULT get_xml(BSTR*) override { return E_NOTIMPL; }
  HRESULT get_tagName(BSTR*) override { return E_NOTIMPL; }
  HRESULT getAttribute(BSTR name, VARIANT* value) override {
    VariantInit(value);
    if (faults_.getAttribute) return E_FAIL;
    auto it = attributes_.find(Text(name ? name : u""));
    if (it == attributes_.end()) {
      value->vt = VT_NULL;
      return S_FALSE;
    }
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(it->second.c_str());
    return S_OK;
  }
  HRESULT setAttribute(BSTR name, VARIANT value) override {
    if (faults_.setAttribute) return E_FAIL;
    attributes_[Text(name ? name : u"")] = Text(value.bstrVal ? value.bstrVal : u"");
    return S_OK;
  }
  HRESULT removeAttribute(BSTR) override { return E_NOTIMPL; }
  HRESULT getElementsByTagName(BSTR, IXMLDOMNodeList**) override { return E_NOTIMPL; }

 private:
  FakeElement(std::map<Text, Text> attributes, Faults faults)
      : attributes_(std::move(attributes)), faults_(faults) {}
  ~FakeElement() {
    for (FakeElement* child : children_) child->Release();
  }

  std::map<Text, Text> attributes_;
  Faults faults_;
  std::vector<FakeElement*> children_;
  ULONG refs_ = 1;
};

// Holds a fake element in a ConfigNode and drops the construction reference.
void hold(ConfigNode* node, FakeElement* element) {
  node->assign(element);
  element->Release();
}

TEST(DomFailure, LookupsThrowWhenTheChildListFails) {
  struct Case {
    const char* name;
    Faults faults;
    const char* message;
  };
  Faults noList;
  noList.childNodes = true;
  Faults badStep;
  badStep.nextNodeAt = 1;
  const Case cases[] = {
      {"no child list", noList, "Failed to get node list"},
      {"stepping fails", badStep, "Failed to get the next node in list"},
  };
  for (const Case& c : cases) {
    ConfigNode parent, result;
    FakeElement* element = FakeElement::make({{u"NAME", u"P"}}, c.faults);
    element->add(FakeElement::make({{u"NAME", u"a"}, {u"TYPE", u"NODE"}}));
    element->add(FakeElement::make({{u"NAME", u"b"}, {u"TYPE", u"NODE"}}));
    hold(&parent, element);
    EXPECT_EQ(thrownMessage([&] { parent.getChildByName(u"b", true, &result); }), c.message)
        << c.name;
    // A match before the failing step is still found.
    EXPECT_EQ(thrownMessage([&] { parent.getChildByName(u"a", true, &result); }),
              c.faults.childNodes ? c.message : "<no exception>")
        << c.name;
  }
}

TEST(DomFailure, ChildWhoseAttributesCannotBeReadIsSkippedWithItsSubtree) {
  Faults unreadable;
  unreadable.getAttribute = true;
  ConfigNode parent, result;
  FakeElement* element = FakeElement::make({{u"NAME", u"P"}});
  FakeElement* blind = FakeElement::make({{u"NAME", u"x"}, {u"TYPE", u"NODE"}}, unreadable);
  blind->add(FakeElement::make({{u"NAME", u"inside"}, {u"TYPE", u"NODE"}}));
  element->add(blind);
  element->add(FakeElement::make({{u"NAME", u"x"}, {u"TYPE", u"NODE"}, {u"id", u"2"}}));
  hold(&parent, element);
  parent.getChildByName(u"x", true, &result);
  EXPECT_EQ(result.getId(), 2);
  EXPECT_THROW(parent.getChildByName(u"inside", true, &result), CVCException);
}

TEST(DomFailure, SearchStopsAtTheNestingLimit) {
  ConfigNode parent, result;
  FakeElement* element = FakeElement::make({{u"NAME", u"P"}, {u"TYPE", u"NODE"}});
  element->bottomless = true;
  hold(&parent, element);
  EXPECT_EQ(thrownMessage([&] { parent.getChildByIndex(1, &result); }),
            "Search below node 'P' exceeds the nesting limit of 256 levels");
  EXPECT_TRUE(result.empty());
}

TEST(DomFailure, RefusedAttributeNamesNodeAndAttribute) {
  Faults refusing;
  refusing.setAttribute = true;
  ConfigNode node;
  hold(&node, FakeElement::make({{u"NAME", u"Pwd"}}, refusing));
  EXPECT_EQ(thrownMessage([&] { node.setAttrib_(u"VALUE", u"x"); }),
            "'Pwd' failed to set attribute 'VALUE'");
  EXPECT_EQ(thrownMessage([&] { node.setTypeByString(u"STRING", nullptr); }),
            "'Pwd' failed to set attribute 'TYPE'");
}

class RemoveFailure : public NodeTest {
 protected:
  void SetUp() override {
    NodeTest::SetUp();
    setDocuments(nullptr, report_.get());
    hold(&other_, FakeElement::make({{u"NAME", u"X"}, {u"TYPE", u"NODE"}}));
  }
  ConfigNode other_;
};

TEST_F(RemoveFailure, ReportsInsteadOfThrowing) {
  struct Case {
    const char* name;
    Faults faults;
    std::vector<std::string> errors;
  };
  Faults noList;
  noList.childNodes = true;
  Faults badStep;
  badStep.nextNodeAt = 0;
  const Case cases[] = {
      {"no child list", noList,
       {"removeChild() Failed to get node list", "Failed to remove 'P''s child node 'X'"}},
      {"stepping fails", badStep,
       {"removeChild() Failed to get the next node in list", "Failed to remove 'P''s child node 'X'"}},
  };
  for (const Case& c : cases) {
    report_.load("<REPORT><ERRORS/><WARNINGS/></REPORT>");
    setDocuments(nullptr, report_.get());
    ConfigNode parent;
    FakeElement* element = FakeElement::make({{u"NAME", u"P"}}, c.faults);
    element->add(FakeElement::make({{u"NAME", u"X"}, {u"TYPE", u"NODE"}}));
    hold(&parent, element);
    parent.removeChild(&other_);
    EXPECT_EQ(errors(), c.errors) << c.name;
    EXPECT_EQ(element->removed, 0) << c.name;
  }
}

TEST_F(RemoveFailure, FailedRemovalMovesOnToTheNextMatch) {
  Faults oneFailure;
  oneFailure.removeChildFailures = 1;
  ConfigNode parent;
  FakeElement* element = FakeElement::make({{u"NAME", u"P"}}, oneFailure);
  element->add(FakeElement::make({{u"NAME", u"X"}, {u"TYPE", u"NODE"}, {u"id", u"1"}}));
  element->add(FakeElement::make({{u"NAME", u"X"}, {u"TYPE", u"node"}, {u"id", u"2"}}));
  hold(&parent, element);
  parent.removeChild(&other_);
  EXPECT_EQ(element->removed, 1);
  EXPECT_TRUE(errors().empty());
  ConfigNode left;
  parent.getChildByName(u"X", false, &left);
  EXPECT_EQ(left.getId(), 1);
}

TEST_F(RemoveFailure, EveryRemovalRefusedIsReported) {
  Faults refusing;
  refusing.removeChildFailures = 5;
  ConfigNode parent;
  FakeElement* element = FakeElement::make({{u"NAME", u"P"}}, refusing);
  element->add(FakeElement::make({{u"NAME", u"X"}, {u"TYPE", u"NODE"}}));
  hold(&parent, element);
  parent.removeChild(&other_);
  EXPECT_EQ(errors(), std::vector<std::string>{"Failed to remove 'P''s child node 'X'"});
}

}  // namespace
