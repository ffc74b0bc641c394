// UTF-16 text: the code-unit type, literals, bounded string operations and the formatter.
#pragma once

#include "platform/types.h"

#include <cstdarg>
#include <cstddef>
#include <string>

#if defined(_WIN32)
// WCHAR is the system's 16-bit wchar_t.
#define WSTR(s) L##s
#else
// wchar_t is 32 bits here and never carries text: UTF-16 lives in char16_t.
typedef char16_t WCHAR;
#define WSTR(s) u##s
#endif
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;

// Owned UTF-16 text, for code that keeps text beyond a fixed buffer.
typedef std::basic_string<WCHAR> Text;

// Number of code units before the terminator; 0 for a null pointer.
std::size_t textLength(const WCHAR* s);

// Every bounded operation below cuts a text so that it never ends in the high half of a
// surrogate pair: that half goes with the low half that did not fit, and valid UTF-16 stays
// valid.

// Copies src into dst of `capacity` units, cutting it to fit; dst is always terminated when
// capacity > 0. Returns true when the whole text fitted.
bool textCopy(WCHAR* dst, std::size_t capacity, const WCHAR* src);

// As textCopy, taking at most `count` units of src (stopping early at its terminator).
bool textCopyN(WCHAR* dst, std::size_t capacity, const WCHAR* src, std::size_t count);

// Appends src to the text in dst, cutting it to fit; dst stays terminated. Returns true when
// the whole text fitted. A dst without a terminator inside its capacity is left unchanged and
// gives false.
bool textAppend(WCHAR* dst, std::size_t capacity, const WCHAR* src);

// The position of the first unit of s[0..length) that an XML document cannot carry (a control
// character other than tab, line feed and carriage return, U+FFFE, U+FFFF, or half of a
// surrogate pair without its other half); length when every character can be carried.
std::size_t textFindNonXml(const WCHAR* s, std::size_t length);

// Ordinal comparison by code unit: negative, zero or positive. Null sorts as "".
int textCompare(const WCHAR* a, const WCHAR* b);

// As textCompare with letter case ignored (ASCII and Latin-1 letters), as the device compares
// option words, TYPE texts, file and registry names.
int textCompareNoCase(const WCHAR* a, const WCHAR* b);
// The one code unit as textCompareNoCase sees it: capitals of ASCII and Latin-1 made small.
inline WCHAR textFoldCase(WCHAR c) {
  if (c >= 'A' && c <= 'Z') return static_cast<WCHAR>(c + 32);
  // Latin-1 capitals, except the multiplication sign.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<WCHAR>(c + 32);
  return c;
}

// printf-style formatting into dst of `capacity` units. Conversions: %s (UTF-16 text; null
// prints "(null)"), %c (one code unit, passed as int), %i and %d (signed 32-bit), %u (unsigned
// 32-bit), %% (a percent sign); anything else is copied as it stands. Never writes past the
// capacity and always terminates when capacity > 0. Returns the length written, or -1 when the
// output was cut.
int textFormat(WCHAR* dst, std::size_t capacity, const WCHAR* format, ...);
int textFormatV(WCHAR* dst, std::size_t capacity, const WCHAR* format, va_list args);

// Conversions to and from UTF-8. Unpaired surrogates and invalid UTF-8 become U+FFFD.
std::string textToUtf8(const WCHAR* s);
std::string textToUtf8(const WCHAR* s, std::size_t length);
Text textFromUtf8(const std::string& s);
Text textFromUtf8(const char* s, std::size_t length);
// Whether the bytes are UTF-8 that textFromUtf8 reads without replacing anything.
bool textIsUtf8(const char* s, std::size_t length);

// Strict conversion: false (and nothing converted) when the text holds an unpaired surrogate.
bool textToUtf8Strict(const WCHAR* s, std::size_t length, std::string& out);
