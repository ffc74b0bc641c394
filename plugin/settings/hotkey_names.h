// Display names of hotkeys ("Ctrl + F11") and the ordering of the hotkey table by them.
#pragma once

#include "hzkcore/hzkcore.h"

#include <cstdint>

constexpr int kBuiltInHotkeyCount = 10;

// A row of the built-in key tables.
struct KeyTableRow {
  WCHAR name[32];
  std::uint32_t code;  // bit 31 stands for the Alt modifier
  std::int32_t data;
};

// The name in a module-wide buffer of 32 units, valid until the next call.
const WCHAR* HotkeyKeyName(std::uint32_t keyCode, std::uint32_t modifiers);

// True when a sorts before b: by name, equal names by key code, then modifiers (the order
// SortHotkeys gives).
bool CompareHotkeys(const HotkeyEntry& a, const HotkeyEntry& b);

// Sorts records first..last (inclusive) by name; equal names by key code, then modifiers.
void SortHotkeys(HotkeyEntry* table, int first, int last);
