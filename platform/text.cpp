// UTF-16 text operations and the bounded formatter, the same on every target.
#include "platform/text.h"

#include <cstdint>

namespace {

const WCHAR kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};

bool isHighSurrogate(WCHAR c) {
  return static_cast<std::uint16_t>(c) >= 0xD800 && static_cast<std::uint16_t>(c) <= 0xDBFF;
}

bool isLowSurrogate(WCHAR c) {
  return static_cast<std::uint16_t>(c) >= 0xDC00 && static_cast<std::uint16_t>(c) <= 0xDFFF;
}

// Appends units to a bounded buffer; remembers when something did not fit.
struct Sink {
  WCHAR* dst;
  std::size_t capacity;
  std::size_t length = 0;
  bool cut = false;

  // Once something did not fit nothing more is written, and a high half left last goes too.
  void put(WCHAR c) {
    if (cut) return;
    if (length + 1 < capacity) {
      dst[length++] = c;
    } else {
      cut = true;
      if (length > 0 && isHighSurrogate(dst[length - 1])) --length;
    }
  }
  void puts(const WCHAR* s) {
    for (; *s; ++s) put(*s);
  }
  void putDecimal(std::uint32_t magnitude, bool negative) {
    WCHAR digits[16];
    int n = 0;
    do {
      digits[n++] = static_cast<WCHAR>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    if (negative) put('-');
    while (n > 0) put(digits[--n]);
  }
};

// Writes one code point as UTF-8 at `out`; returns the end of what it wrote.
char* putUtf8(char* out, std::uint32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Converts; returns false at the first unpaired surrogate when strict, else replaces it.
// Each code unit gives at most three bytes (a pair gives four for its two units).
bool convertToUtf8(const WCHAR* s, std::size_t length, std::string& out, bool strict) {
  out.resize(length * 3);
  char* const start = &out[0];
  char* at = start;
  for (std::size_t i = 0; i < length; ++i) {
    std::uint32_t c = static_cast<std::uint16_t>(s[i]);
    if (c < 0x80) {
      *at++ = static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length) {
      std::uint32_t low = static_cast<std::uint16_t>(s[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        at = putUtf8(at, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (strict) {
        out.clear();
        return false;
      }
      c = 0xFFFD;
    }
    at = putUtf8(at, c);
  }
  out.resize(static_cast<std::size_t>(at - start));
  return true;
}

}  // namespace


std::size_t textLength(const WCHAR* s) {
  if (!s) return 0;
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

bool textCopyN(WCHAR* dst, std::size_t capacity, const WCHAR* src, std::size_t count) {
  if (!dst || capacity == 0) return false;
  std::size_t n = 0;
  bool fitted = true;
  if (src) {
    for (; n < count && src[n]; ++n) {
      if (n + 1 >= capacity) {
        fitted = false;
        break;
      }
      dst[n] = src[n];
    }
    // Cut by the capacity or the count (src is not read past either) right after a high half:
    // that half is left out too.
    if ((!fitted || n == count) && n > 0 && isHighSurrogate(dst[n - 1])) --n;
  }
  dst[n] = 0;
  return fitted;
}

bool textCopy(WCHAR* dst, std::size_t capacity, const WCHAR* src) {
  return textCopyN(dst, capacity, src, static_cast<std::size_t>(-1));
}

bool textAppend(WCHAR* dst, std::size_t capacity, const WCHAR* src) {
  if (!dst) return false;
  std::size_t used = 0;
  while (used < capacity && dst[used]) ++used;
  if (used >= capacity) return false;
  return textCopy(dst + used, capacity - used, src);
}

std::size_t textFindNonXml(const WCHAR* s, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint16_t c = static_cast<std::uint16_t>(s[i]);
    if (c >= 0x20 && c < 0xD800) continue;  // most text
    if (isHighSurrogate(s[i])) {
      if (i + 1 >= length || !isLowSurrogate(s[i + 1])) return i;
      ++i;
      continue;
    }
    const bool carried = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                         (c >= 0xE000 && c <= 0xFFFD);
    if (!carried) return i;
  }
  return length;
}

int textCompare(const WCHAR* a, const WCHAR* b) {
  static const WCHAR empty[] = {0};
  if (!a) a = empty;
  if (!b) b = empty;
  for (;; ++a, ++b) {
    std::uint16_t x = static_cast<std::uint16_t>(*a), y = static_cast<std::uint16_t>(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

int textCompareNoCase(const WCHAR* a, const WCHAR* b) {
  static const WCHAR empty[] = {0};
  if (!a) a = empty;
  if (!b) b = empty;
  for (;; ++a, ++b) {
    std::uint16_t x = static_cast<std::uint16_t>(textFoldCase(*a));
    std::uint16_t y = static_cast<std::uint16_t>(textFoldCase(*b));
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

int textFormatV(WCHAR* dst, std::size_t capacity, const WCHAR* format, va_list args) {
  if (!dst || capacity == 0) return -1;
  Sink out{dst, capacity};
  for (const WCHAR* p = format ? format : kNull + 6; *p; ++p) {
    if (*p != '%') {
      out.put(*p);
      continue;
    }
    WCHAR conv = p[1];
    if (conv == 0) {
      out.put('%');  // a lone percent sign at the end stands for itself
      break;
    }
    switch (conv) {
      case 's': {
        const WCHAR* s = va_arg(args, const WCHAR*);
        out.puts(s ? s : kNull);
        break;
      }
      case 'c':
        out.put(static_cast<WCHAR>(va_arg(args, int)));
        break;
      case 'i':
      case 'd': {
        std::int32_t v = va_arg(args, std::int32_t);
        std::uint32_t magnitude =
            v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
        out.putDecimal(magnitude, v < 0);
        break;
      }
      case 'u':
        out.putDecimal(va_arg(args, std::uint32_t), false);
        break;
      case '%':
        out.put('%');
        break;
      default:
        out.put('%');
        out.put(conv);
        break;
    }
    ++p;
  }
  dst[out.length] = 0;
  return out.cut ? -1 : static_cast<int>(out.length);
}

int textFormat(WCHAR* dst, std::size_t capacity, const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  int n = textFormatV(dst, capacity, format, args);
  va_end(args);
  return n;
}

std::string textToUtf8(const WCHAR* s, std::size_t length) {
  std::string out;
  convertToUtf8(s, length, out, false);
  return out;
}

std::string textToUtf8(const WCHAR* s) { return textToUtf8(s, textLength(s)); }

bool textToUtf8Strict(const WCHAR* s, std::size_t length, std::string& out) {
  std::string converted;
  if (!convertToUtf8(s, length, converted, true)) return false;
  out.swap(converted);
  return true;
}

Text textFromUtf8(const std::string& s) { return textFromUtf8(s.data(), s.size()); }

namespace {

// Decodes the multi-byte sequence at p[i] (p[i] >= 0x80) of n bytes: its length, with the code
// point in `cp`, or 0 when it is not UTF-8 (overlong forms, surrogates and values past
// U+10FFFF are not).
std::size_t decodeUtf8(const unsigned char* p, std::size_t n, std::size_t i, std::uint32_t& cp) {
  const unsigned char b = p[i];
  std::size_t extra;
  if (b >= 0xC2 && b <= 0xDF) {
    cp = b & 0x1F;
    extra = 1;
  } else if (b >= 0xE0 && b <= 0xEF) {
    cp = b & 0x0F;
    extra = 2;
  } else if (b >= 0xF0 && b <= 0xF4) {
    cp = b & 0x07;
    extra = 3;
  } else {
    return 0;
  }
  if (i + extra >= n) return 0;
  for (std::size_t k = 1; k <= extra; ++k) {
    const unsigned char c = p[i + k];
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
      (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
    return 0;
  }
  return extra + 1;
}

}  // namespace

Text textFromUtf8(const char* s, std::size_t length) {
  // Each byte gives at most one code unit (four bytes give a pair).
  Text out(length, 0);
  WCHAR* const start = out.empty() ? nullptr : &out[0];
  WCHAR* at = start;
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  std::size_t i = 0;
  while (i < length) {
    if (p[i] < 0x80) {
      *at++ = static_cast<WCHAR>(p[i++]);
      continue;
    }
    std::uint32_t cp = 0;
    const std::size_t size = decodeUtf8(p, length, i, cp);
    if (size == 0) {
      *at++ = static_cast<WCHAR>(0xFFFD);
      ++i;
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      *at++ = static_cast<WCHAR>(0xD800 + (cp >> 10));
      *at++ = static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
      i += size;
    } else {
      *at++ = static_cast<WCHAR>(cp);
      i += size;
    }
  }
  out.resize(static_cast<std::size_t>(at - start));
  return out;
}

bool textIsUtf8(const char* s, std::size_t length) {
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  for (std::size_t i = 0; i < length;) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    std::uint32_t cp = 0;
    const std::size_t size = decodeUtf8(p, length, i, cp);
    if (size == 0) return false;
    i += size;
  }
  return true;
}
