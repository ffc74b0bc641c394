// Fuzz target: the registry file's text. Reading never crashes and a refusal names a line of
// the text; a text that reads writes a text that reads to the same tree, and writing is
// deterministic (the same tree always gives the same text, and the written text is stable).
#include "fuzz/fuzz_check.h"
#include "platform/posix/registry_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The keys of one root, in stored order.
std::vector<const regfile::Key*> keysOf(const regfile::Tree& tree, int root) {
  std::vector<const regfile::Key*> keys;
  for (const regfile::Key& key : tree.keys()) {
    if (key.root == root) keys.push_back(&key);
  }
  return keys;
}

bool sameValues(const regfile::Key& a, const regfile::Key& b) {
  if (a.values.size() != b.values.size()) return false;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    const regfile::Value& x = a.values[i];
    const regfile::Value& y = b.values[i];
    if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
  }
  return true;
}

// The same keys with the same values in the same order, root by root (the text holds the
// keys of one root after the other).
bool sameTree(const regfile::Tree& a, const regfile::Tree& b) {
  for (int root = 0; root < regfile::kRootCount; ++root) {
    std::vector<const regfile::Key*> x = keysOf(a, root), y = keysOf(b, root);
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (x[i]->path != y[i]->path || !sameValues(*x[i], *y[i])) return false;
    }
  }
  return true;
}

std::size_t lineCount(const std::string& text) {
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n';
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  regfile::Tree tree;
  regfile::ParseError error;
  if (!regfile::parse(text, tree, error)) {
    FUZZ_CHECK(error.line >= 1 && static_cast<std::size_t>(error.line) <= lineCount(text),
               "a refusal names line " + std::to_string(error.line) + " of a text of " +
                   std::to_string(lineCount(text)) + " lines");
    FUZZ_CHECK(!error.message.empty(), "a refusal says why");
    return 0;
  }
  const std::string written = regfile::serialize(tree);
  FUZZ_CHECK(regfile::serialize(tree) == written, "writing the same tree twice gives one text");

  regfile::Tree again;
  regfile::ParseError againError;
  FUZZ_CHECK(regfile::parse(written, again, againError),
             "the written text reads again, but line " + std::to_string(againError.line) + ": " +
                 againError.message + "\n--- written text:\n" + written);
  FUZZ_CHECK(sameTree(tree, again), "the written text reads to the same tree\n--- written text:\n" +
                                        written);
  FUZZ_CHECK(regfile::serialize(again) == written, "the tree read back writes the same text");
  return 0;
}
