// The registry as held in memory, and its text form: a file in the format of registry exports.
#pragma once

#include "platform/text.h"

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

// Keys in stored order; each root is always present.
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
  void reindex();
  std::vector<Key> keys_;
  std::unordered_map<Text, std::size_t> index_;  // folded root and path -> position
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
