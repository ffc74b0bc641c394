// The launcher's argument table and the splitting of the device's command line into it.
#pragma once

#include "platform/text.h"

#include <cstddef>
#include <cstdint>

constexpr int kArgumentSlots = 5;
// Code units per slot, terminator included.
constexpr std::size_t kArgumentCapacity = 256;

// Slot 0 holds the program's own name; slots 1 to 4 the arguments in command-line order.
struct ArgumentTable {
  WCHAR slots[kArgumentSlots][kArgumentCapacity] = {};
  // An argument longer than its slot is kept cut; the flag lets the flows refuse to use a
  // path that no longer names what the user typed.
  bool cut[kArgumentSlots] = {};
  // Slots in use, slot 0 included: 1 means no arguments.
  std::int32_t count = 1;

  ArgumentTable();
  const WCHAR* operator[](int slot) const { return slots[slot]; }
};

// Fills `table` from `line` (the command line without the program's name; null reads as "").
// A blank outside quotes ends an argument, so two blanks make an empty one; a double quote
// toggles quoting and is dropped; tabs are ordinary. The walk stops after the fourth separating
// blank (count 5), and an empty argument at the end of the line is not counted.
void splitCommandLine(const WCHAR* line, ArgumentTable& table);
