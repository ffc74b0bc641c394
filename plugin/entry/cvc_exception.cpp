// CVCException: a formatted message in a buffer of its own, deep-copied when thrown.
#include "plugin/entry/cvc_exception.h"

#include <cstdarg>
#include <new>

namespace {
// Stands in for a message whose buffer could not be had, so that an exception never fails.
const WCHAR kNoMessage[] = WSTR("");
}  // namespace

CVCException::CVCException(const WCHAR* format, ...) : message_(new (std::nothrow) WCHAR[kCapacity]) {
  if (!message_) return;
  va_list args;
  va_start(args, format);
  // A message longer than the buffer is cut; the formatter always terminates it.
  textFormatV(message_, kCapacity, format, args);
  va_end(args);
}

CVCException::CVCException(const CVCException& other) : message_(nullptr) {
  if (!other.message_) return;
  std::size_t length = textLength(other.message_);
  message_ = new (std::nothrow) WCHAR[length + 1];
  if (message_) textCopy(message_, length + 1, other.message_);
}

CVCException::~CVCException() { delete[] message_; }

const WCHAR* CVCException::getMessage() const { return message_ ? message_ : kNoMessage; }
