// Saved trees compared with golden XML files kept beside the tests (golden/*.xml): the file
// is read, laid out by the platform's DOM and compared with the saved text as sameTree does.
// QRV_UPDATE_GOLDEN=1 in the environment rewrites a file that differs with the saved tree.
#pragma once

#include "plugin_test_support.h"
#include "support/host_shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace plugintest {

inline std::string goldenPath(const std::string& name) { return std::string(QRV_GOLDEN_DIR) + "/" + name; }

// The leading comment of a golden file says what it holds; it is no part of the tree.
inline std::string goldenComment(const std::string& text) {
  std::smatch m;
  if (std::regex_search(text, m, std::regex(R"(^\s*<!--[\s\S]*?-->\s*)"))) return m.str();
  return "";
}

// The tree of a golden file, as the platform writes it and normalised.
inline std::string goldenTree(const std::string& name) {
  std::string text = readHostFile(goldenPath(name));
  EXPECT_FALSE(text.empty()) << "no golden file " << goldenPath(name);
  return canonical(text.substr(goldenComment(text).size()));
}

// Normalised XML with each element on a line of its own, indented by depth: how golden files
// are written, and how two trees are shown line by line.
inline std::string laidOut(const std::string& xml) {
  std::string out;
  int depth = 0;
  for (std::size_t i = 0; i < xml.size(); ++i) {
    if (xml[i] == '<') {
      if (i + 1 < xml.size() && xml[i + 1] == '/') --depth;
      if (i > 0 && xml[i - 1] == '>') {
        out += '\n';
        out.append(std::size_t(depth > 0 ? depth : 0) * 2, ' ');
      }
    }
    out += xml[i];
    if (xml[i] == '>') {
      // An opening tag (neither "</...>" nor "<.../>") starts a level.
      std::size_t open = xml.rfind('<', i);
      char first = xml[open + 1];
      if (first != '/' && first != '?' && first != '!' && xml[i - 1] != '/') ++depth;
    }
  }
  return out + "\n";
}

inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Compares a saved configuration text with the golden file `name`; a difference names the
// file, its first differing line, and how to refresh the file.
inline ::testing::AssertionResult matchesGolden(const std::string& name, const std::string& saved) {
  std::string expected = goldenTree(name), actual = normalised(saved);
  if (expected == actual) return ::testing::AssertionSuccess();
  std::string path = goldenPath(name);
  const char* update = std::getenv("QRV_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    writeHostFile(path, goldenComment(readHostFile(path)) + laidOut(actual));
    std::cout << "rewrote the golden file " << path << "\n";
    return ::testing::AssertionSuccess();
  }
  std::vector<std::string> want = linesOf(laidOut(expected)), got = linesOf(laidOut(actual));
  std::size_t line = 0;
  while (line < want.size() && line < got.size() && want[line] == got[line]) ++line;
  return ::testing::AssertionFailure()
         << "the saved tree differs from the golden file " << path << ", first at element line "
         << line + 1 << " of the tree laid out one element a line\n"
         << "golden: " << (line < want.size() ? want[line] : "<end of tree>") << "\n"
         << "saved:  " << (line < got.size() ? got[line] : "<end of tree>") << "\n"
         << "if the change is meant, rerun with QRV_UPDATE_GOLDEN=1 to rewrite the file";
}

}  // namespace plugintest
