// Display names of hotkeys and the ordering of the hotkey table by them.
#include "plugin/settings/hotkey_names.h"

#include <utility>

namespace {

constexpr std::size_t kNameCapacity = 32;

// The device's own codes for its F1 to F10 keys.
const KeyTableRow KeyNames[kBuiltInHotkeyCount] = {
    {WSTR("F1"), 179, 0}, {WSTR("F2"), 180, 0}, {WSTR("F3"), 181, 0}, {WSTR("F4"), 182, 0},
    {WSTR("F5"), 183, 0}, {WSTR("F6"), 184, 0}, {WSTR("F7"), 185, 0}, {WSTR("F8"), 186, 0},
    {WSTR("F9"), 187, 0}, {WSTR("F10"), 188, 0}};

WCHAR nameBuffer[kNameCapacity];

// a before b: by name, then by key code and modifiers, so that the order of the table is the
// same whatever order the records came in.
bool sortsBefore(const HotkeyEntry& a, const HotkeyEntry& b) {
  WCHAR nameOfA[kNameCapacity];
  textCopy(nameOfA, kNameCapacity, HotkeyKeyName(a.keyCode, a.modifiers));
  int byName = textCompare(nameOfA, HotkeyKeyName(b.keyCode, b.modifiers));
  if (byName != 0) return byName < 0;
  if (a.keyCode != b.keyCode) return a.keyCode < b.keyCode;
  return a.modifiers < b.modifiers;
}

// Places the pivot (moved to `first`) between the records that sort before it and those that
// sort after it and returns its position. Both scans stop at records equal to the pivot and
// exchange them, so every pass moves both ends and the sort ends for any contents.
int partition(HotkeyEntry* table, int first, int last) {
  int i = first;
  int j = last + 1;
  for (;;) {
    while (sortsBefore(table[++i], table[first])) {
      if (i == last) break;
    }
    while (sortsBefore(table[first], table[--j])) {
      if (j == first) break;
    }
    if (i >= j) break;
    std::swap(table[i], table[j]);
  }
  std::swap(table[first], table[j]);
  return j;
}

}  // namespace

const WCHAR* HotkeyKeyName(std::uint32_t keyCode, std::uint32_t modifiers) {
  nameBuffer[0] = 0;
  if (modifiers & 2) textAppend(nameBuffer, kNameCapacity, WSTR("Ctrl + "));
  if (modifiers & 1) textAppend(nameBuffer, kNameCapacity, WSTR("Alt + "));

  WCHAR key[kNameCapacity] = {0};
  if ((keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9')) {
    key[0] = static_cast<WCHAR>(keyCode);
  } else if (keyCode >= 122 && keyCode <= 135) {
    textFormat(key, kNameCapacity, WSTR("F%u"), keyCode - 122 + 11);
  } else {
    textCopy(key, kNameCapacity, WSTR("Unrecognized Key"));
    for (const KeyTableRow& row : KeyNames) {
      if (row.code == keyCode) {
        textCopy(key, kNameCapacity, row.name);
        break;
      }
    }
  }
  textAppend(nameBuffer, kNameCapacity, key);
  return nameBuffer;
}

bool CompareHotkeys(const HotkeyEntry& a, const HotkeyEntry& b) { return sortsBefore(a, b); }

void SortHotkeys(HotkeyEntry* table, int first, int last) {
  if (!table) return;
  // The smaller side is sorted by recursion and the larger one by the loop, so the depth of
  // recursion stays logarithmic.
  while (first < last) {
    int middle = first + (last - first) / 2;
    std::swap(table[first], table[middle]);
    int p = partition(table, first, last);
    if (p - first < last - p) {
      SortHotkeys(table, first, p - 1);
      first = p + 1;
    } else {
      SortHotkeys(table, p + 1, last);
      last = p - 1;
    }
  }
}
