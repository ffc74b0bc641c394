// The registry as held in memory, and its text form: a file in the format of registry exports.
#pragma once

#include "platform/text.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace regfile {

// The two roots a registry file holds.
enum Root { kLocalMachine = 0, kCurrentUser = 1, kRootCount = 2 };

struct Value {
  Text name;  // empty: the key's default value
  DWORD type = 0;
  std::vector<BYTE> data;
};

struct Key {
  int root = kLocalMachine;
  Text path;  // names below the root, separated by backslashes; empty for the root itself
  std::vector<Value> values;

  // The value whose name equals `name` without regard to case; null when absent.
  Value* findValue(const Text& name);
  const Value* findValue(const Text& name) const;
};

// The deepest a key may lie below its root, as on the device.
constexpr std::size_t kMaxKeyDepth = 512;
// Whether a key path (names separated by backslashes) lies at most kMaxKeyDepth levels deep.
bool keyDepthAllowed(const Text& path);

// Keys in stored order; each root is always present. Finding a key takes one pass over its
// path, and so does creating one with the missing keys above it (each new key then keeps a
// copy of its own path), never a step per level that looks at the whole path again.
class Tree {
 public:
  Tree();

  Key* find(int root, const Text& path);
  // Finds or creates the key and every key above it; `created` says whether it was new.
  Key& create(int root, const Text& path, bool* created = nullptr);
  // Removes one key (never a root); its subkeys are the caller's concern.
  bool remove(int root, const Text& path);
  // The direct subkeys of a key, in stored order.
  std::vector<const Key*> children(int root, const Text& path) const;
  const std::vector<Key>& keys() const { return keys_; }

 private:
  // The position of the key whose path is the first `length` units of `path`, given the hash
  // of those units (pathHash); keys_.size() when there is none.
  std::size_t locate(int root, const Text& path, std::size_t length, std::uint64_t hash) const;
  void reindex();
  std::vector<Key> keys_;
  // Hash of the root and the folded path -> position; each hit is checked against the key.
  std::unordered_multimap<std::uint64_t, std::size_t> index_;
};

// Key paths as given by callers: separators collapsed, no empty names.
Text normalizeKeyPath(const Text& path);
// The last name of a key path.
Text lastName(const Text& path);

struct ParseError {
  int line = 0;
  std::string message;
};

// Reads the text of a registry file. An empty file is an empty registry. False (with the line
// and the reason) when the text is not a registry file this system can read.
bool parse(const std::string& content, Tree& tree, ParseError& error);

// The text of a registry file for `tree`, UTF-8, values that text cannot carry exactly as hex.
std::string serialize(const Tree& tree);

}  // namespace regfile
