// Decimal texts of numbers, in two module-wide rings, and the decimal parsing of ids and values.
#include "plugin/node/config_node.h"

namespace {

constexpr std::size_t kNumberRingSlots = 8;
constexpr std::size_t kNumberCapacity = 32;

WCHAR gIntRing[kNumberRingSlots][kNumberCapacity];
std::size_t gIntNext = 0;
WCHAR gUIntRing[kNumberRingSlots][kNumberCapacity];
std::size_t gUIntNext = 0;

bool isBlank(WCHAR c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

const WCHAR* formatInt(std::int32_t value) {
  WCHAR* buffer = gIntRing[gIntNext];
  gIntNext = (gIntNext + 1) % kNumberRingSlots;
  textFormat(buffer, kNumberCapacity, WSTR("%i"), value);
  return buffer;
}

const WCHAR* formatUInt(std::uint32_t value) {
  WCHAR* buffer = gUIntRing[gUIntNext];
  gUIntNext = (gUIntNext + 1) % kNumberRingSlots;
  textFormat(buffer, kNumberCapacity, WSTR("%u"), value);
  return buffer;
}

std::int32_t parseDecimal(const WCHAR* text) {
  if (!text) return 0;
  const WCHAR* p = text;
  while (isBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // Unsigned arithmetic wraps modulo 2^32: a long number gives its low 32 bits, never an
  // overflow.
  std::uint32_t magnitude = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    magnitude = magnitude * 10u + static_cast<std::uint32_t>(*p - '0');
  }
  std::uint32_t bits = negative ? 0u - magnitude : magnitude;
  // Read the 32 bits as two's complement without an implementation-defined conversion.
  return bits <= 0x7FFFFFFFu ? static_cast<std::int32_t>(bits)
                             : -static_cast<std::int32_t>(~bits) - 1;
}
