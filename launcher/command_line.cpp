// Splitting of the device's command line into the launcher's argument table.
#include "launcher/command_line.h"

ArgumentTable::ArgumentTable() { textCopy(slots[0], kArgumentCapacity, WSTR("Tolvex.exe")); }

void splitCommandLine(const WCHAR* line, ArgumentTable& table) {
  table = ArgumentTable();
  if (line == nullptr) return;

  bool inQuotes = false;
  int slot = 1;
  std::size_t length = 0;  // units of the current argument, also those cut off
  for (const WCHAR* p = line; *p != 0; ++p) {
    const WCHAR unit = *p;
    if (unit == u' ' && !inQuotes) {
      table.slots[slot][length < kArgumentCapacity ? length : kArgumentCapacity - 1] = 0;
      ++table.count;
      ++slot;
      length = 0;
      if (slot == kArgumentSlots) return;  // a fifth argument has no slot: the rest is ignored
      continue;
    }
    if (unit == u'"') {
      inQuotes = !inQuotes;
      continue;
    }
    if (length < kArgumentCapacity - 1) {
      table.slots[slot][length] = unit;
    } else {
      table.cut[slot] = true;
    }
    ++length;
  }
  if (length > 0) {
    table.slots[slot][length < kArgumentCapacity ? length : kArgumentCapacity - 1] = 0;
    ++table.count;
  }
}
