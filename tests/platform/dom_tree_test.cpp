// Tests of the XML DOM's tree: attributes, searches, child lists, moving and removing nodes,
// text, interface queries and reference counting.
#include "platform/xmldom.h"
#include "support/xml_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char16_t kReport[] =
    u"<REPORT><ERRORS><ERROR>first</ERROR></ERRORS><WARNINGS/>"
    u"<PARAM NAME=\"a\"><ERROR>nested</ERROR></PARAM><ERROR>last</ERROR></REPORT>";

std::vector<std::u16string> textsOf(IXMLDOMNodeList* list) {
  std::vector<std::u16string> texts;
  ComRef<IXMLDOMNode> node;
  while (list->nextNode(node.out()) == S_OK) texts.push_back(textOf(node.get()));
  return texts;
}

TEST(DomAttributes, AbsentAttributeAnswersFalseWithNull) {
  auto document = documentFrom(u"<PARAM NAME=\"x\"/>");
  ASSERT_TRUE(document);
  auto root = rootOf(document.get());
  BString name = bstrOf(u"VALUE");
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;  // whatever the caller had is overwritten
  EXPECT_EQ(root->getAttribute(name.get(), &value), S_FALSE);
  EXPECT_EQ(value.vt, VT_NULL);
  // Names match with their letter case.
  EXPECT_EQ(attributeOf(root.get(), u"name"), u"<absent>");
  EXPECT_EQ(attributeOf(root.get(), u"NAME"), u"x");
}

TEST(DomAttributes, ExistingKeepsItsPlaceAndNewOnesGoLast) {
  auto document = documentFrom(u"<PARAM NAME=\"n\" TYPE=\"STRING\" id=\"1\"/>");
  ASSERT_TRUE(document);
  auto root = rootOf(document.get());
  ASSERT_EQ(setAttributeOf(root.get(), u"VALUE", u"v"), S_OK);
  ASSERT_EQ(setAttributeOf(root.get(), u"NAME", u"renamed"), S_OK);
  EXPECT_EQ(xmlOf(root.get()), u"<PARAM NAME=\"renamed\" TYPE=\"STRING\" id=\"1\" VALUE=\"v\"/>");

  BString type = bstrOf(u"TYPE");
  EXPECT_EQ(root->removeAttribute(type.get()), S_OK);
  EXPECT_EQ(attributeOf(root.get(), u"TYPE"), u"<absent>");
  ASSERT_EQ(setAttributeOf(root.get(), u"TYPE", u"INTEGER"), S_OK);
  EXPECT_EQ(xmlOf(root.get()), u"<PARAM NAME=\"renamed\" id=\"1\" VALUE=\"v\" TYPE=\"INTEGER\"/>");
}

TEST(DomAttributes, NumbersAreStoredAsText) {
  auto document = documentFrom(u"<A/>");
  auto root = rootOf(document.get());
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = -7;
  BString name = bstrOf(u"id");
  ASSERT_EQ(root->setAttribute(name.get(), number), S_OK);
  EXPECT_EQ(attributeOf(root.get(), u"id"), u"-7");
}

TEST(DomAttributes, RefusesWhatADocumentCannotCarry) {
  auto document = documentFrom(u"<A B=\"kept\"/>");
  auto root = rootOf(document.get());
  struct Case {
    const char* what;
    std::u16string name;
    std::u16string value;
  } cases[] = {
      {"empty name", u"", u"x"},
      {"name with a blank", u"A B", u"x"},
      {"name starting with a digit", u"1A", u"x"},
      {"control character in the value", u"B", std::u16string(u"a\u0001b")},
      {"unpaired surrogate in the value", u"B", std::u16string(1, char16_t(0xD800))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(FAILED(setAttributeOf(root.get(), c.name, c.value)));
  }
  EXPECT_EQ(xmlOf(root.get()), u"<A B=\"kept\"/>");
  VARIANT null;
  VariantInit(&null);
  null.vt = VT_NULL;
  BString name = bstrOf(u"B");
  EXPECT_EQ(root->setAttribute(name.get(), null), DISP_E_TYPEMISMATCH);
}

TEST(DomSearch, ElementsByTagNameInDocumentOrder) {
  auto document = documentFrom(kReport);
  ASSERT_TRUE(document);
  BString error = bstrOf(u"ERROR");
  ComRef<IXMLDOMNodeList> list;
  ASSERT_EQ(document->getElementsByTagName(error.get(), list.out()), S_OK);
  EXPECT_EQ(textsOf(list.get()), (std::vector<std::u16string>{u"first", u"nested", u"last"}));

  // From an element: its descendants only; "*" takes every element.
  auto root = rootOf(document.get());
  BString all = bstrOf(u"*");
  ASSERT_EQ(root->getElementsByTagName(all.get(), list.out()), S_OK);
  long length = 0;
  list->get_length(&length);
  EXPECT_EQ(length, 6);
  ComRef<IXMLDOMNode> node;
  ASSERT_EQ(list->get_item(3, node.out()), S_OK);
  EXPECT_EQ(xmlOf(node.get()), u"<PARAM NAME=\"a\"><ERROR>nested</ERROR></PARAM>");
  EXPECT_EQ(list->get_item(6, node.out()), S_FALSE);
  EXPECT_EQ(node.get(), nullptr);
}

TEST(DomSearch, ResultIsASnapshotThatOutlivesRemoval) {
  auto document = documentFrom(kReport);
  auto root = rootOf(document.get());
  BString error = bstrOf(u"ERROR");
  ComRef<IXMLDOMNodeList> list;
  ASSERT_EQ(document->getElementsByTagName(error.get(), list.out()), S_OK);
  ComRef<IXMLDOMNode> errors;
  root->get_firstChild(errors.out());
  ASSERT_EQ(root->removeChild(errors.get(), nullptr), S_OK);
  errors.reset();
  document.reset();
  root.reset();
  // The list still holds all three, the removed one included.
  EXPECT_EQ(textsOf(list.get()), (std::vector<std::u16string>{u"first", u"nested", u"last"}));
  list->reset();
  EXPECT_EQ(textsOf(list.get()).size(), 3u);
}

TEST(DomChildList, WalksTextCommentsAndElementsAndEndsWithFalse) {
  auto document = documentFrom(u"<A>text<!--note--><B/><?pi data?></A>");
  ASSERT_TRUE(document);
  auto root = rootOf(document.get());
  ComRef<IXMLDOMNodeList> children;
  ASSERT_EQ(root->get_childNodes(children.out()), S_OK);
  std::vector<DOMNodeType> types;
  std::vector<bool> elements;
  ComRef<IXMLDOMNode> child;
  HRESULT hr;
  while ((hr = children->nextNode(child.out())) == S_OK) {
    DOMNodeType type;
    child->get_nodeType(&type);
    types.push_back(type);
    ComRef<IXMLDOMElement> element;
    elements.push_back(child->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.out())) == S_OK);
  }
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(child.get(), nullptr);
  EXPECT_EQ(types, (std::vector<DOMNodeType>{NODE_TEXT, NODE_COMMENT, NODE_ELEMENT, NODE_PROCESSING_INSTRUCTION}));
  EXPECT_EQ(elements, (std::vector<bool>{false, false, true, false}));
}

TEST(DomChildList, IsLiveAndSurvivesRemovalOfTheCurrentNode) {
  auto document = documentFrom(u"<A><B/><C/><D/></A>");
  auto root = rootOf(document.get());
  ComRef<IXMLDOMNodeList> children;
  ASSERT_EQ(root->get_childNodes(children.out()), S_OK);
  ComRef<IXMLDOMNode> b;
  ASSERT_EQ(children->nextNode(b.out()), S_OK);
  // Removing the node just visited does not skip the one after it.
  ASSERT_EQ(root->removeChild(b.get(), nullptr), S_OK);
  ComRef<IXMLDOMNode> next;
  ASSERT_EQ(children->nextNode(next.out()), S_OK);
  EXPECT_EQ(xmlOf(next.get()), u"<C/>");
  // A child appended later shows up in the same list.
  auto e = createElement(document.get(), u"E");
  ASSERT_EQ(root->appendChild(e.get(), nullptr), S_OK);
  long length = 0;
  children->get_length(&length);
  EXPECT_EQ(length, 3);
  std::vector<std::u16string> rest;
  while (children->nextNode(next.out()) == S_OK) rest.push_back(xmlOf(next.get()));
  EXPECT_EQ(rest, (std::vector<std::u16string>{u"<D/>", u"<E/>"}));
}

TEST(DomLifetime, RemovedNodeStaysUsableAfterEverythingElseIsReleased) {
  ComRef<IXMLDOMNode> removed;
  {
    auto document = documentFrom(u"<A><B X=\"1\"><C>deep</C></B></A>");
    ASSERT_TRUE(document);
    auto root = rootOf(document.get());
    ComRef<IXMLDOMNode> b;
    root->get_firstChild(b.out());
    ASSERT_EQ(root->removeChild(b.get(), removed.out()), S_OK);
    EXPECT_EQ(removed.get(), b.get());
    EXPECT_EQ(xmlOf(root.get()), u"<A/>");
  }
  // The document is gone from the caller's hands but lives on for its node.
  ComRef<IXMLDOMNode> parent;
  EXPECT_EQ(removed->get_parentNode(parent.out()), S_FALSE);
  EXPECT_EQ(xmlOf(removed.get()), u"<B X=\"1\"><C>deep</C></B>");
  auto element = asElement(removed.get());
  ASSERT_TRUE(element);
  ASSERT_EQ(setAttributeOf(element.get(), u"Y", u"2"), S_OK);
  ComRef<IXMLDOMDocument> owner;
  ASSERT_EQ(removed->get_ownerDocument(owner.out()), S_OK);
  auto fresh = createElement(owner.get(), u"D");
  ASSERT_EQ(removed->appendChild(fresh.get(), nullptr), S_OK);
  EXPECT_EQ(xmlOf(removed.get()), u"<B X=\"1\" Y=\"2\"><C>deep</C><D/></B>");
}

// A list answers for the tree as it was when it was made, also when the tree changes before
// the list has been read: a node added later is not in it, a node removed later still is.
TEST(DomSearch, ResultIsTheTreeAsItWasWhenTheListWasMade) {
  auto document = documentFrom(kReport);
  auto root = rootOf(document.get());
  BString error = bstrOf(u"ERROR");
  ComRef<IXMLDOMNodeList> before;
  ASSERT_EQ(document->getElementsByTagName(error.get(), before.out()), S_OK);
  ComRef<IXMLDOMNode> first;
  ASSERT_EQ(before->nextNode(first.out()), S_OK);  // read in part before the change
  auto added = createElement(document.get(), u"ERROR");
  BString text = bstrOf(u"added");
  ASSERT_EQ(added->put_text(text.get()), S_OK);
  ASSERT_EQ(root->appendChild(added.get(), nullptr), S_OK);
  ComRef<IXMLDOMNodeList> after;
  ASSERT_EQ(document->getElementsByTagName(error.get(), after.out()), S_OK);
  ASSERT_EQ(root->removeChild(added.get(), nullptr), S_OK);
  before->reset();
  EXPECT_EQ(textsOf(before.get()), (std::vector<std::u16string>{u"first", u"nested", u"last"}));
  EXPECT_EQ(textsOf(after.get()),
            (std::vector<std::u16string>{u"first", u"nested", u"last", u"added"}));
}

// Siblings are right after children are removed from the middle and added at the end.
TEST(DomTree, SiblingsFollowRemovalsAndAppends) {
  auto document = documentFrom(u"<A><B/><C/><D/><E/></A>");
  auto root = rootOf(document.get());
  auto siblingNames = [&] {
    std::u16string names;
    ComRef<IXMLDOMNode> node;
    root->get_firstChild(node.out());
    while (node) {
      names += xmlOf(node.get());
      ComRef<IXMLDOMNode> next;
      node->get_nextSibling(next.out());
      node = std::move(next);
    }
    return names;
  };
  ComRef<IXMLDOMNode> b, c;
  root->get_firstChild(b.out());
  b->get_nextSibling(c.out());
  ASSERT_EQ(root->removeChild(c.get(), nullptr), S_OK);
  EXPECT_EQ(siblingNames(), u"<B/><D/><E/>");
  ComRef<IXMLDOMNode> none;
  EXPECT_EQ(c->get_nextSibling(none.out()), S_FALSE);
  ASSERT_EQ(root->appendChild(c.get(), nullptr), S_OK);
  ASSERT_EQ(root->appendChild(b.get(), nullptr), S_OK);
  EXPECT_EQ(siblingNames(), u"<D/><E/><C/><B/>");
}

TEST(DomLifetime, ADescendantKeepsItsDetachedAncestorsAlive) {
  ComRef<IXMLDOMNode> c;
  {
    auto document = documentFrom(u"<A><B><C/></B></A>");
    auto root = rootOf(document.get());
    BString name = bstrOf(u"C");
    ComRef<IXMLDOMNodeList> found;
    root->getElementsByTagName(name.get(), found.out());
    found->nextNode(c.out());
    ComRef<IXMLDOMNode> b;
    root->get_firstChild(b.out());
    ASSERT_EQ(root->removeChild(b.get(), nullptr), S_OK);
  }
  ComRef<IXMLDOMNode> b;
  ASSERT_EQ(c->get_parentNode(b.out()), S_OK);
  EXPECT_EQ(xmlOf(b.get()), u"<B><C/></B>");
}

TEST(DomLifetime, ReferenceCountsRiseAndFallWithHolders) {
  auto document = newDocument();
  ASSERT_TRUE(document);
  EXPECT_EQ(document->AddRef(), 2u);
  EXPECT_EQ(document->Release(), 1u);
  auto element = createElement(document.get(), u"A");
  ComRef<IXMLDOMNode> asNode;
  ASSERT_EQ(element->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(asNode.out())), S_OK);
  EXPECT_EQ(static_cast<void*>(asNode.get()), static_cast<void*>(static_cast<IXMLDOMNode*>(element.get())));
  EXPECT_EQ(element->AddRef(), 3u);
  element->Release();
  // Releasing in any order frees everything (checked by the sanitizer build).
  document.reset();
  asNode.reset();
  element.reset();
}

TEST(DomInterfaces, QueryAnswersOnlyForWhatTheNodeIs) {
  auto document = documentFrom(u"<A>text</A>");
  auto root = rootOf(document.get());
  ComRef<IXMLDOMNode> text;
  root->get_firstChild(text.out());
  ComRef<IXMLDOMElement> element;
  EXPECT_EQ(text->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.out())), E_NOINTERFACE);
  EXPECT_EQ(element.get(), nullptr);
  ComRef<IXMLDOMDocument> asDocument;
  EXPECT_EQ(root->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(asDocument.out())), E_NOINTERFACE);
  ComRef<IXMLDOMNodeList> list;
  EXPECT_EQ(document->QueryInterface(IID_IXMLDOMNodeList, reinterpret_cast<void**>(list.out())), E_NOINTERFACE);
  EXPECT_EQ(document->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(asDocument.out())), S_OK);
  ComRef<IUnknown> unknown;
  EXPECT_EQ(text->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.out())), S_OK);
  EXPECT_TRUE(IID_IXMLDOMNode == IID_IXMLDOMNode);
  EXPECT_FALSE(IID_IXMLDOMNode == IID_IXMLDOMElement);
}

TEST(DomTree, AppendChildMovesANodeThatIsInATree) {
  auto document = documentFrom(u"<A><B><C/></B><D/></A>");
  auto root = rootOf(document.get());
  BString name = bstrOf(u"C");
  ComRef<IXMLDOMNodeList> found;
  document->getElementsByTagName(name.get(), found.out());
  ComRef<IXMLDOMNode> c;
  ASSERT_EQ(found->nextNode(c.out()), S_OK);
  ComRef<IXMLDOMNode> moved;
  ASSERT_EQ(root->appendChild(c.get(), moved.out()), S_OK);
  EXPECT_EQ(moved.get(), c.get());
  EXPECT_EQ(xmlOf(root.get()), u"<A><B/><D/><C/></A>");
}

TEST(DomTree, AppendChildRefusesWhatWouldBreakTheTree) {
  auto document = documentFrom(u"<A><B/></A>");
  auto root = rootOf(document.get());
  ComRef<IXMLDOMNode> b;
  root->get_firstChild(b.out());
  ComRef<IXMLDOMNode> out;
  // A node into its own subtree.
  EXPECT_TRUE(FAILED(b->appendChild(root.get(), out.out())));
  EXPECT_EQ(out.get(), nullptr);
  // A second document element.
  auto other = createElement(document.get(), u"Z");
  EXPECT_TRUE(FAILED(document->appendChild(other.get(), nullptr)));
  // A node of another document, and nothing at all.
  auto foreign = documentFrom(u"<F/>");
  auto foreignRoot = rootOf(foreign.get());
  EXPECT_EQ(root->appendChild(foreignRoot.get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(root->appendChild(nullptr, nullptr), E_INVALIDARG);
  // A child to a text node.
  auto withText = documentFrom(u"<T>x</T>");
  ComRef<IXMLDOMNode> text;
  rootOf(withText.get())->get_firstChild(text.out());
  auto orphan = createElement(withText.get(), u"O");
  EXPECT_TRUE(FAILED(text->appendChild(orphan.get(), nullptr)));
  // removeChild of a node that is not a child.
  EXPECT_EQ(b->removeChild(root.get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(xmlOf(root.get()), u"<A><B/></A>");
}

TEST(DomTree, AppendChildKeepsTheNestingLimit) {
  auto document = newDocument();
  auto top = createElement(document.get(), u"L");
  ASSERT_EQ(document->appendChild(top.get(), nullptr), S_OK);
  ComRef<IXMLDOMElement> deepest = createElement(document.get(), u"L");
  ASSERT_EQ(top->appendChild(deepest.get(), nullptr), S_OK);
  for (int level = 3; level <= kXmlMaxDepth; ++level) {
    auto next = createElement(document.get(), u"L");
    ASSERT_EQ(deepest->appendChild(next.get(), nullptr), S_OK) << level;
    deepest = std::move(next);
  }
  auto tooDeep = createElement(document.get(), u"L");
  EXPECT_EQ(deepest->appendChild(tooDeep.get(), nullptr), E_FAIL);
  // The same holds for a subtree placed as a whole.
  auto pair = createElement(document.get(), u"P");
  auto inner = createElement(document.get(), u"Q");
  ASSERT_EQ(pair->appendChild(inner.get(), nullptr), S_OK);
  ComRef<IXMLDOMNode> parent;
  ASSERT_EQ(deepest->get_parentNode(parent.out()), S_OK);
  EXPECT_EQ(parent->appendChild(pair.get(), nullptr), E_FAIL);
}

TEST(DomText, PutTextAndTypedValueReplaceTheChildrenWithOneTextNode) {
  auto document = documentFrom(u"<A><B/>old<!--c--></A>");
  auto root = rootOf(document.get());
  BString text = bstrOf(u"x < y & \"z\"");
  ASSERT_EQ(root->put_text(text.get()), S_OK);
  EXPECT_EQ(xmlOf(root.get()), u"<A>x &lt; y &amp; \"z\"</A>");
  ComRef<IXMLDOMNode> only;
  root->get_firstChild(only.out());
  DOMNodeType type;
  only->get_nodeType(&type);
  EXPECT_EQ(type, NODE_TEXT);

  StringVariant value(u"0");
  ASSERT_EQ(root->put_nodeTypedValue(value.get()), S_OK);
  EXPECT_EQ(xmlOf(root.get()), u"<A>0</A>");
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 12;
  ASSERT_EQ(root->put_nodeTypedValue(number), S_OK);
  EXPECT_EQ(textOf(root.get()), u"12");
  BString empty = bstrOf(u"");
  ASSERT_EQ(root->put_text(empty.get()), S_OK);
  EXPECT_EQ(xmlOf(root.get()), u"<A/>");
  BString bad = bstrOf(std::u16string(u"\u0002"));
  EXPECT_EQ(root->put_text(bad.get()), E_INVALIDARG);
}

TEST(DomText, GetTextJoinsAllDescendantText) {
  auto document = documentFrom(u"<A>one<B>two<!--not text--><C><![CDATA[<three>]]></C></B>four</A>");
  ASSERT_TRUE(document);
  EXPECT_EQ(textOf(rootOf(document.get()).get()), u"onetwo<three>four");
  EXPECT_EQ(textOf(document.get()), u"onetwo<three>four");
}

TEST(DomTree, NamesOfEachKindOfNode) {
  auto document = documentFrom(u"<?pi data?><A>t<![CDATA[c]]><!--n--></A>");
  ASSERT_TRUE(document);
  std::vector<std::u16string> names;
  auto nameOf = [](IXMLDOMNode* node) {
    BString name;
    node->get_nodeName(name.out());
    return u16Of(name);
  };
  names.push_back(nameOf(document.get()));
  ComRef<IXMLDOMNode> pi;
  document->get_firstChild(pi.out());
  names.push_back(nameOf(pi.get()));
  ComRef<IXMLDOMNodeList> children;
  rootOf(document.get())->get_childNodes(children.out());
  ComRef<IXMLDOMNode> child;
  while (children->nextNode(child.out()) == S_OK) names.push_back(nameOf(child.get()));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"#document", u"pi", u"#text", u"#cdata-section", u"#comment"}));
}

TEST(DomTree, CreateElementRefusesNamesThatAreNotXml) {
  auto document = newDocument();
  for (const std::u16string& name : {std::u16string(u""), std::u16string(u"a b"), std::u16string(u"<x>"),
                                     std::u16string(u"-lead")}) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    ComRef<IXMLDOMElement> element;
    BString tag = bstrOf(name);
    EXPECT_EQ(document->createElement(tag.get(), element.out()), E_FAIL);
    EXPECT_EQ(element.get(), nullptr);
  }
  ComRef<IXMLDOMElement> element;
  EXPECT_EQ(document->createElement(nullptr, element.out()), E_FAIL);
  auto accented = createElement(document.get(), u"Ré:sumé");
  EXPECT_TRUE(accented);
}

}  // namespace
