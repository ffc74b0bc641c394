// CVCException: the plug-in's one exception type, carrying a formatted UTF-16 message.
#pragma once

#include "platform/text.h"

class CVCException {
 public:
  // Longest message, terminator included; a longer one is cut.
  static constexpr std::size_t kCapacity = 2048;

  // printf-style: %s UTF-16 text, %c one code unit, %i signed, %u unsigned.
  explicit CVCException(const WCHAR* format, ...);
  CVCException(const CVCException& other);
  CVCException& operator=(const CVCException&) = delete;
  ~CVCException();

  // Borrowed from the exception; never null.
  const WCHAR* getMessage() const;

 private:
  WCHAR* message_;
};
