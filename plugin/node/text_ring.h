// The module-wide ring of 50 texts that ConfigNode operations hand out.
#pragma once

#include "platform/text.h"

#include <cstddef>

constexpr std::size_t kTextRingSlots = 50;

// Stores a copy of `length` units of `text` (plus a terminator) in the next slot, freeing the
// text that slot held, and returns it. A text handed out stays valid through the next 49 texts
// stored. Null, taking no slot, when the copy cannot be allocated.
WCHAR* textRingStore(const WCHAR* text, std::size_t length);
