// Where each element of a document stands in its file: the line and column of its '<' and of
// its attributes, read with libxml2 from the file's own bytes, in document order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct SourcePosition {
  std::size_t line = 0;    // from 1; 0 when unknown
  std::size_t column = 0;  // from 1, in characters
};

class SourcePositions {
 public:
  // Reads the document; false when libxml2 cannot parse it. Columns are exact for UTF-8 and
  // UTF-16 documents; in a file of another encoding an element's column is given as 1.
  bool read(const std::string& bytes);

  // Elements in document order, the document element first.
  std::size_t size() const { return elements_.size(); }
  const std::string& name(std::size_t element) const { return elements_[element].name; }
  SourcePosition element(std::size_t element) const;
  // Where attribute `attribute` of the element's start tag begins; the element's own
  // position when the tag has no such attribute.
  SourcePosition attribute(std::size_t element, const std::string& attribute) const;

 private:
  struct Element {
    std::string name;
    std::size_t offset;  // of its '<' in text_; npos when unknown
    std::size_t line;
  };
  SourcePosition at(std::size_t offset) const;

  std::string text_;  // UTF-8, as parsed
  bool offsetsExact_ = false;
  std::vector<std::size_t> lineStarts_;
  std::vector<Element> elements_;
};
