// The XML DOM's document on POSIX: creation, loading and saving by device path, the parse
// error, and the bookkeeping that frees fragments taken out of the tree.
#include "platform/device.h"
#include "platform/posix/dom_faces.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace qrvdom {
namespace {

// Load failures outside the XML text itself.
constexpr long kFileNotFound = static_cast<long>(0x80070002);
constexpr long kPathRefused = static_cast<long>(0x80070005);
constexpr long kBadSource = static_cast<long>(0x80070057);
constexpr long kUnpairedSurrogate = static_cast<long>(0xC00CE508);

class ParseError final : public CountedObject<IXMLDOMParseError, IID_IXMLDOMParseError> {
 public:
  explicit ParseError(const ParseProblem& problem)
      : code_(problem.code), reason_(textFromUtf8(problem.reason)), line_(problem.line), column_(problem.column) {}

  HRESULT get_errorCode(long* code) override { return give(code_, code); }
  HRESULT get_reason(BSTR* reason) override { return guarded([&] { return giveText(reason_, reason); }); }
  HRESULT get_line(long* line) override { return give(line_, line); }
  HRESULT get_linepos(long* column) override { return give(column_, column); }

 private:
  ~ParseError() override = default;
  static HRESULT give(long value, long* out) {
    if (out == nullptr) return E_POINTER;
    *out = value;
    return S_OK;
  }

  long code_;
  Text reason_;
  long line_;
  long column_;
};

bool anyReferenced(const Node* top) {
  std::vector<const Node*> pending{top};
  while (!pending.empty()) {
    const Node* node = pending.back();
    pending.pop_back();
    if (node->refs() > 0) return true;
    pending.insert(pending.end(), node->children.begin(), node->children.end());
  }
  return false;
}

const WCHAR* devicePathOf(const VARIANT& v) {
  if (v.vt != VT_BSTR || v.bstrVal == nullptr || *v.bstrVal == 0) return nullptr;
  return v.bstrVal;
}

bool readFile(const std::string& path, std::string& bytes) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return false;
  bytes = content.str();
  return true;
}

// Writes beside the destination and renames over it, so that a failed save leaves the file
// that was there untouched.
bool writeFileReplacing(const std::string& path, const std::string& bytes) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  if (fs::is_directory(target)) return false;
  fs::path temporary = target;
  temporary += ".saving";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code renamed;
  fs::rename(temporary, target, renamed);
  if (renamed) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace

Document::~Document() {
  for (Node* child : children) destroySubtree(child);
  children.clear();
  for (Node* top : detached_) destroySubtree(top);
}

void* Document::ownInterface(REFIID riid) {
  return riid == IID_IXMLDOMDocument ? static_cast<IXMLDOMDocument*>(this) : nullptr;
}

void Document::detach(Node* node) {
  detached_.insert(node);
  detachFromParent(node);
}

void Document::collect(Node* node) {
  Node* top = node;
  while (top->parent != nullptr) top = top->parent;
  if (top == this || detached_.count(top) == 0 || anyReferenced(top)) return;
  detached_.erase(top);
  destroySubtree(top);
}

void Document::clearContent() {
  while (!children.empty()) {
    Node* old = children.back();
    detach(old);
    collect(old);
  }
}

void Document::fail(long code, std::string reason) {
  problem_ = ParseProblem{};
  problem_.code = code;
  problem_.reason = std::move(reason);
}

bool Document::replaceContent(const std::string& bytes, bool fromText) {
  clearContent();
  problem_ = ParseProblem{};
  std::vector<Node*> topLevel;
  if (!parseXml(this, bytes, fromText, topLevel, problem_)) return false;
  children.reserve(topLevel.size());
  for (Node* node : topLevel) attachLast(this, node);  // room reserved above
  return true;
}

HRESULT Document::get_documentElement(IXMLDOMElement** element) {
  if (element == nullptr) return E_POINTER;
  for (Node* child : children) {
    if (child->kind() != Kind::Element) continue;
    child->addRef();
    *element = asElement(child);
    return S_OK;
  }
  *element = nullptr;
  return S_FALSE;
}

HRESULT Document::createElement(BSTR tagName, IXMLDOMElement** element) {
  if (element == nullptr) return E_POINTER;
  *element = nullptr;
  if (!isXmlName(tagName)) return E_FAIL;
  return guarded([&] {
    Node* created = newElement(this, Text(tagName));
    try {
      adopt(created);
    } catch (...) {
      delete created;
      throw;
    }
    created->addRef();
    *element = asElement(created);
    return S_OK;
  });
}

HRESULT Document::getElementsByTagName(BSTR name, IXMLDOMNodeList** list) {
  if (list == nullptr) return E_POINTER;
  *list = nullptr;
  return guarded([&] { return newTagSearch(this, name, list); });
}

HRESULT Document::load(VARIANT source, VARIANT_BOOL* ok) {
  if (ok == nullptr) return E_POINTER;
  *ok = VARIANT_FALSE;
  return guarded([&] {
    clearContent();
    const WCHAR* devicePath = devicePathOf(source);
    if (devicePath == nullptr) {
      fail(kBadSource, "no file was named to load");
      return S_FALSE;
    }
    const std::string shown = textToUtf8(devicePath);
    std::string host;
    if (!device::hostPath(devicePath, host)) {
      fail(kPathRefused, "the path '" + shown + "' does not name a file of the device");
      return S_FALSE;
    }
    std::string bytes;
    if (!readFile(host, bytes)) {
      fail(kFileNotFound, "the file '" + shown + "' cannot be found or read");
      return S_FALSE;
    }
    if (!replaceContent(bytes, false)) return S_FALSE;
    *ok = VARIANT_TRUE;
    return S_OK;
  });
}

HRESULT Document::loadXML(BSTR xml, VARIANT_BOOL* ok) {
  if (ok == nullptr) return E_POINTER;
  *ok = VARIANT_FALSE;
  return guarded([&] {
    clearContent();
    const WCHAR* text = xml != nullptr ? xml : WSTR("");
    std::string utf8;
    if (!textToUtf8Strict(text, textLength(text), utf8)) {
      fail(kUnpairedSurrogate, "the text holds a broken surrogate pair, which is no character");
      return S_FALSE;
    }
    if (!replaceContent(utf8, true)) return S_FALSE;
    *ok = VARIANT_TRUE;
    return S_OK;
  });
}

HRESULT Document::save(VARIANT destination) {
  const WCHAR* devicePath = devicePathOf(destination);
  if (devicePath == nullptr) return E_INVALIDARG;
  return guarded([&] {
    std::string host;
    if (!device::hostPath(devicePath, host)) return static_cast<HRESULT>(kPathRefused);
    std::string bytes;
    if (!writeXml(this, true, bytes)) return E_FAIL;
    return writeFileReplacing(host, bytes) ? S_OK : E_FAIL;
  });
}

HRESULT Document::get_parseError(IXMLDOMParseError** error) {
  if (error == nullptr) return E_POINTER;
  *error = nullptr;
  return guarded([&] {
    *error = new ParseError(problem_);
    return S_OK;
  });
}

HRESULT Document::put_async(VARIANT_BOOL) { return S_OK; }

}  // namespace qrvdom

HRESULT CreateXmlDocument(IXMLDOMDocument** document) {
  if (document == nullptr) return E_POINTER;
  *document = nullptr;
  return qrvdom::guarded([&] {
    auto* created = new qrvdom::Document();
    created->addRef();
    *document = created;
    return S_OK;
  });
}
