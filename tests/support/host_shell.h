// Host-side helpers of the tests that run programs through the shell: quoting an argument for
// it, and reading and writing whole host files.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// `text` as one shell word, whatever it holds.
inline std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

inline std::string readHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void writeHostFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}
