// The registry's text form: reading and writing registry-export files, and the key tree.
#include "platform/posix/registry_file.h"

#include "platform/posix/device_internal.h"

#include <cstdio>
#include <cstring>

namespace regfile {
namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";
const char* const kRootNames[kRootCount] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"};
const char* const kRootShortNames[kRootCount] = {"HKLM", "HKCU"};

// Registry types as stored.
constexpr DWORD kString = 1;
constexpr DWORD kBinary = 3;
constexpr DWORD kDword = 4;

// Keys are indexed by a hash of their root and folded path (FNV-1a over code units), which
// runs along the path: its state at a separator is the hash of the key above.
constexpr std::uint64_t kHashStart = 14695981039346656037ull;
constexpr std::uint64_t kHashFactor = 1099511628211ull;

std::uint64_t hashUnit(std::uint64_t hash, WCHAR unit) {
  return (hash ^ static_cast<std::uint16_t>(textFoldCase(unit))) * kHashFactor;
}

std::uint64_t rootHash(int root) {
  return (kHashStart ^ static_cast<std::uint64_t>(root + 1)) * kHashFactor;
}

std::uint64_t pathHash(int root, const Text& path) {
  std::uint64_t hash = rootHash(root);
  for (WCHAR unit : path) hash = hashUnit(hash, unit);
  return hash;
}

bool equalsNoCase(const std::string& a, const char* b) {
  std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool startsWithNoCase(const std::string& s, std::size_t at, const char* prefix) {
  std::size_t n = std::strlen(prefix);
  return s.size() >= at + n && equalsNoCase(s.substr(at, n), prefix);
}

std::string trimRight(const std::string& s) {
  std::size_t end = s.size();
  while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\t' || s[end - 1] == '\r')) --end;
  return s.substr(0, end);
}

std::size_t skipBlanks(const std::string& s, std::size_t at) {
  while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
  return at;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool validUtf8(const std::string& s) { return textIsUtf8(s.data(), s.size()); }

// A quoted text starting at `at` (the opening quote): \\ and \" are the escapes.
bool readQuoted(const std::string& s, std::size_t& at, std::string& out) {
  ++at;
  out.clear();
  while (at < s.size()) {
    // The run of plain characters up to the next quote or backslash goes in at once.
    std::size_t special = at;
    while (special < s.size() && s[special] != '"' && s[special] != '\\') ++special;
    out.append(s, at, special - at);
    at = special;
    if (at == s.size()) break;
    char c = s[at];
    if (c == '"') {
      ++at;
      return true;
    }
    if (at + 1 < s.size() && (s[at + 1] == '\\' || s[at + 1] == '"')) {
      out += s[at + 1];
      at += 2;
      continue;
    }
    out += c;
    ++at;
  }
  return false;
}

std::vector<BYTE> utf16Bytes(const Text& text, bool terminate) {
  std::vector<BYTE> bytes((text.size() + (terminate ? 1 : 0)) * 2, 0);
  BYTE* at = bytes.data();
  for (WCHAR c : text) {
    *at++ = static_cast<BYTE>(c & 0xFF);
    *at++ = static_cast<BYTE>(c >> 8);
  }
  return bytes;
}

// The data of a REG_SZ value as text, when quoting can carry it exactly: one terminator at
// the end, none inside, no line breaks, no unpaired surrogates.
bool stringAsText(const std::vector<BYTE>& data, std::string& utf8) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  std::size_t units = data.size() / 2 - 1;
  Text text;
  text.reserve(units);
  for (std::size_t i = 0; i <= units; ++i) {
    WCHAR c = static_cast<WCHAR>(data[2 * i] | (data[2 * i + 1] << 8));
    if (i == units) return c == 0 && textToUtf8Strict(text.c_str(), text.size(), utf8);
    if (c == 0 || c == '\n' || c == '\r') return false;
    text += c;
  }
  return false;
}

std::string quote(const std::string& s) {
  std::string out;
  out.reserve(s.size() + 8);
  out += '"';
  std::size_t from = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' && s[i] != '"') continue;
    out.append(s, from, i - from);
    out += '\\';
    from = i;  // the character itself follows its escape
  }
  out.append(s, from, std::string::npos);
  out += '"';
  return out;
}

void appendHex(std::string& out, std::size_t lineStart, const std::vector<BYTE>& data) {
  static const char digits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < data.size(); ++i) {
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
    if (i + 1 < data.size()) {
      out += ',';
      // Long lists continue on the next line, as exports wrap them.
      if (out.size() - lineStart > 76) {
        out += "\\\n  ";
        lineStart = out.size() - 2;
      }
    }
  }
}

class Parser {
 public:
  Parser(const std::string& content, Tree& tree, ParseError& error)
      : content_(content), tree_(tree), error_(error) {}

  bool run() {
    splitLines();
    std::size_t i = 0;
    while (i < lines_.size() && trimRight(lines_[i]).empty()) ++i;
    if (i == lines_.size()) return true;  // nothing at all: an empty registry
    if (i != 0 || trimRight(lines_[0]) != kHeader) {
      return fail(static_cast<int>(i) + 1,
                  std::string("the first line must read \"") + kHeader + "\"");
    }
    Key* current = nullptr;
    for (i = 1; i < lines_.size(); ++i) {
      int lineNumber = static_cast<int>(i) + 1;
      if (!validUtf8(lines_[i])) return fail(lineNumber, "the text is not UTF-8");
      std::string line = trimRight(lines_[i]);
      std::size_t at = skipBlanks(line, 0);
      if (at == line.size() || line[at] == ';') continue;
      if (line[at] == '[') {
        if (!readSection(line, at, lineNumber, current)) return false;
        continue;
      }
      if (line[at] != '"' && line[at] != '@') {
        return fail(lineNumber, "expected a [key] or a \"name\"=value line");
      }
      if (!current) return fail(lineNumber, "a value before the first [key]");
      // Hex lists may continue over several lines, each but the last ending in a backslash;
      // a backslash at the end of any other value is its own text (or a mistake readValue
      // reports), never a join. Each joined line is checked as every line is.
      const bool hex = isHexValue(line, at);
      while (hex && !line.empty() && line.back() == '\\' && i + 1 < lines_.size()) {
        line.pop_back();
        ++i;
        const int continued = static_cast<int>(i) + 1;
        if (!validUtf8(lines_[i])) return fail(continued, "the text is not UTF-8");
        std::string next = trimRight(lines_[i]);
        const std::size_t from = skipBlanks(next, 0);
        if (from == next.size() || hexDigit(next[from]) < 0) {
          return fail(continued, "a hex list continued by a line without hex bytes");
        }
        line += next.substr(from);
      }
      if (!readValue(line, at, lineNumber, *current)) return false;
    }
    return true;
  }

 private:
  void splitLines() {
    std::size_t start = 0;
    if (content_.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;  // a byte-order mark
    while (start <= content_.size()) {
      std::size_t end = content_.find('\n', start);
      if (end == std::string::npos) end = content_.size();
      lines_.push_back(content_.substr(start, end - start));
      start = end + 1;
    }
  }

  bool fail(int line, const std::string& message) {
    error_.line = line;
    error_.message = message;
    return false;
  }

  // Whether the value line whose name starts at `at` holds hex data: the '=' that counts is
  // the one after the name, never one inside a quoted name or text.
  static bool isHexValue(const std::string& line, std::size_t at) {
    if (line[at] == '@') {
      ++at;
    } else {
      std::string name;
      if (!readQuoted(line, at, name)) return false;
    }
    at = skipBlanks(line, at);
    return at < line.size() && line[at] == '=' &&
           startsWithNoCase(line, skipBlanks(line, at + 1), "hex");
  }

  bool readSection(const std::string& line, std::size_t at, int lineNumber, Key*& current) {
    std::size_t close = line.rfind(']');
    if (close == std::string::npos || close < at) return fail(lineNumber, "a [key] without ']'");
    if (skipBlanks(line, close + 1) != line.size()) {
      return fail(lineNumber, "text after the closing ']'");
    }
    std::string name = line.substr(at + 1, close - at - 1);
    if (!name.empty() && name[0] == '-') return fail(lineNumber, "key deletions are not kept here");
    std::size_t slash = name.find('\\');
    std::string rootName = name.substr(0, slash);
    int root = -1;
    for (int r = 0; r < kRootCount; ++r) {
      if (equalsNoCase(rootName, kRootNames[r]) || equalsNoCase(rootName, kRootShortNames[r])) {
        root = r;
      }
    }
    if (root < 0) return fail(lineNumber, "unknown registry root \"" + rootName + "\"");
    Text path = slash == std::string::npos ? Text() : textFromUtf8(name.substr(slash + 1));
    path = normalizeKeyPath(path);
    if (!keyDepthAllowed(path)) {
      return fail(lineNumber, "the key lies more than " + std::to_string(kMaxKeyDepth) +
                                  " levels below its root");
    }
    current = &tree_.create(root, path);
    return true;
  }

  bool readValue(const std::string& line, std::size_t at, int lineNumber, Key& key) {
    std::string name;
    if (line[at] == '@') {
      ++at;
    } else if (!readQuoted(line, at, name)) {
      return fail(lineNumber, "a value name without its closing quote");
    }
    at = skipBlanks(line, at);
    if (at >= line.size() || line[at] != '=') return fail(lineNumber, "expected '=' after the name");
    at = skipBlanks(line, at + 1);

    Value value;
    value.name = textFromUtf8(name);
    if (at < line.size() && line[at] == '"') {
      std::string text;
      if (!readQuoted(line, at, text)) return fail(lineNumber, "a text without its closing quote");
      if (skipBlanks(line, at) != line.size()) return fail(lineNumber, "text after the value");
      value.type = kString;
      value.data = utf16Bytes(textFromUtf8(text), true);
    } else if (startsWithNoCase(line, at, "dword:")) {
      at += 6;
      std::string digits = trimRight(line.substr(at));
      if (digits.empty() || digits.size() > 8) {
        return fail(lineNumber, "a dword needs one to eight hex digits");
      }
      DWORD number = 0;
      for (char c : digits) {
        int d = hexDigit(c);
        if (d < 0) return fail(lineNumber, "a dword needs one to eight hex digits");
        number = (number << 4) | static_cast<DWORD>(d);
      }
      value.type = kDword;
      for (int b = 0; b < 4; ++b) value.data.push_back(static_cast<BYTE>(number >> (8 * b)));
    } else if (startsWithNoCase(line, at, "hex")) {
      at += 3;
      value.type = kBinary;
      if (at < line.size() && line[at] == '(') {
        std::size_t close = line.find(')', at);
        if (close == std::string::npos || close == at + 1 || close - at - 1 > 8) {
          return fail(lineNumber, "a hex(type) needs a hex type number");
        }
        DWORD type = 0;
        for (std::size_t k = at + 1; k < close; ++k) {
          int d = hexDigit(line[k]);
          if (d < 0) return fail(lineNumber, "a hex(type) needs a hex type number");
          type = (type << 4) | static_cast<DWORD>(d);
        }
        value.type = type;
        at = close + 1;
      }
      if (at >= line.size() || line[at] != ':') return fail(lineNumber, "expected ':' after hex");
      if (!readBytes(line, at + 1, lineNumber, value.data)) return false;
    } else if (at < line.size() && line[at] == '-') {
      return fail(lineNumber, "value deletions are not kept here");
    } else {
      return fail(lineNumber, "expected \"text\", dword: or hex: after '='");
    }
    if (Value* existing = key.findValue(value.name)) {
      *existing = std::move(value);  // a later line for the same name wins
    } else {
      key.values.push_back(std::move(value));
    }
    return true;
  }

  bool readBytes(const std::string& line, std::size_t at, int lineNumber, std::vector<BYTE>& out) {
    at = skipBlanks(line, at);
    if (at == line.size()) return true;
    for (;;) {
      at = skipBlanks(line, at);
      int hi = at < line.size() ? hexDigit(line[at]) : -1;
      if (hi < 0) return fail(lineNumber, "expected a hex byte");
      ++at;
      int lo = at < line.size() ? hexDigit(line[at]) : -1;
      if (lo >= 0) {
        out.push_back(static_cast<BYTE>(hi * 16 + lo));
        ++at;
      } else {
        out.push_back(static_cast<BYTE>(hi));
      }
      at = skipBlanks(line, at);
      if (at == line.size()) return true;
      if (line[at] != ',') return fail(lineNumber, "expected ',' between hex bytes");
      ++at;
      if (skipBlanks(line, at) == line.size()) return true;  // a trailing comma
    }
  }

  const std::string& content_;
  Tree& tree_;
  ParseError& error_;
  std::vector<std::string> lines_;
};

}  // namespace

Value* Key::findValue(const Text& name) {
  for (auto& v : values) {
    if (textCompareNoCase(v.name.c_str(), name.c_str()) == 0) return &v;
  }
  return nullptr;
}

const Value* Key::findValue(const Text& name) const {
  return const_cast<Key*>(this)->findValue(name);
}

Tree::Tree() {
  for (int r = 0; r < kRootCount; ++r) {
    Key root;
    root.root = r;
    keys_.push_back(root);
  }
  reindex();
}

void Tree::reindex() {
  index_.clear();
  for (std::size_t i = 0; i < keys_.size(); ++i) index_.emplace(pathHash(keys_[i].root, keys_[i].path), i);
}

std::size_t Tree::locate(int root, const Text& path, std::size_t length, std::uint64_t hash) const {
  auto range = index_.equal_range(hash);
  for (auto it = range.first; it != range.second; ++it) {
    const Key& key = keys_[it->second];
    if (key.root != root || key.path.size() != length) continue;
    std::size_t i = 0;
    while (i < length && textFoldCase(key.path[i]) == textFoldCase(path[i])) ++i;
    if (i == length) return it->second;
  }
  return keys_.size();
}

Key* Tree::find(int root, const Text& path) {
  std::size_t at = locate(root, path, path.size(), pathHash(root, path));
  return at == keys_.size() ? nullptr : &keys_[at];
}

Key& Tree::create(int root, const Text& path, bool* created) {
  if (created) *created = false;
  // Each key on the way down, as the length of its path and that path's hash, the key itself
  // last; the root, which always exists, is left out.
  std::vector<std::pair<std::size_t, std::uint64_t>> levels;
  std::uint64_t hash = rootHash(root);
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '\\') levels.emplace_back(i, hash);
    hash = hashUnit(hash, path[i]);
  }
  levels.emplace_back(path.size(), hash);
  // The deepest of them that exists already; those below it are new.
  std::size_t level = levels.size();
  while (level > 0) {
    std::size_t at = locate(root, path, levels[level - 1].first, levels[level - 1].second);
    if (at != keys_.size()) {
      if (level == levels.size()) return keys_[at];
      break;
    }
    --level;
  }
  for (; level < levels.size(); ++level) {
    Key key;
    key.root = root;
    key.path = path.substr(0, levels[level].first);
    keys_.push_back(std::move(key));
    index_.emplace(levels[level].second, keys_.size() - 1);
  }
  if (created) *created = true;
  return keys_.back();
}

bool Tree::remove(int root, const Text& path) {
  if (path.empty()) return false;
  std::size_t at = locate(root, path, path.size(), pathHash(root, path));
  if (at == keys_.size()) return false;
  keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(at));
  reindex();
  return true;
}

std::vector<const Key*> Tree::children(int root, const Text& path) const {
  std::vector<const Key*> result;
  Text prefix = device::detail::foldText(path);
  if (!prefix.empty()) prefix += '\\';
  for (const auto& key : keys_) {
    if (key.root != root || key.path.size() <= prefix.size()) continue;
    Text folded = device::detail::foldText(key.path);
    if (folded.compare(0, prefix.size(), prefix) == 0 &&
        folded.find('\\', prefix.size()) == Text::npos) {
      result.push_back(&key);
    }
  }
  return result;
}

Text normalizeKeyPath(const Text& path) {
  Text out;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == Text::npos) end = path.size();
    if (end > start) {
      if (!out.empty()) out += '\\';
      out += path.substr(start, end - start);
    }
    start = end + 1;
  }
  return out;
}

bool keyDepthAllowed(const Text& path) {
  std::size_t depth = 0;
  bool inName = false;
  for (WCHAR unit : path) {
    if (unit == '\\') {
      inName = false;
    } else if (!inName) {
      inName = true;
      if (++depth > kMaxKeyDepth) return false;
    }
  }
  return true;
}

Text lastName(const Text& path) {
  std::size_t slash = path.rfind('\\');
  return slash == Text::npos ? path : path.substr(slash + 1);
}

bool parse(const std::string& content, Tree& tree, ParseError& error) {
  tree = Tree();
  return Parser(content, tree, error).run();
}

std::string serialize(const Tree& tree) {
  std::string out = std::string(kHeader) + "\n\n";
  for (int root = 0; root < kRootCount; ++root) {
    for (const auto& key : tree.keys()) {
      if (key.root != root || (key.path.empty() && key.values.empty())) continue;
      out += '[';
      out += kRootNames[root];
      if (!key.path.empty()) out += "\\" + textToUtf8(key.path.c_str(), key.path.size());
      out += "]\n";
      for (const auto& value : key.values) {
        std::size_t lineStart = out.size();
        out += value.name.empty() ? "@" : quote(textToUtf8(value.name.c_str(), value.name.size()));
        out += '=';
        std::string text;
        if (value.type == kString && stringAsText(value.data, text)) {
          out += quote(text);
        } else if (value.type == kDword && value.data.size() == 4) {
          char digits[16];
          unsigned number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                            (static_cast<unsigned>(value.data[3]) << 24);
          std::snprintf(digits, sizeof digits, "dword:%08x", number);
          out += digits;
        } else {
          if (value.type == kBinary) {
            out += "hex:";
          } else {
            char prefix[24];
            std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
            out += prefix;
          }
          appendHex(out, lineStart, value.data);
        }
        out += '\n';
      }
      out += '\n';
    }
  }
  return out;
}

}  // namespace regfile
