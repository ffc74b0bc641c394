// Fuzz target: the launcher's command line (the input's bytes as UTF-16 code units, little
// end first, ending at the first zero unit). The argument table must be exactly what the
// splitting rules give: the count between 1 and 5, every slot terminated, nothing written past
// a slot or past the last argument; and a line rebuilt from its arguments (quoted where they
// hold a blank or are empty) splits the same, unless an argument was cut to fit its slot.
#include "fuzz/fuzz_check.h"
#include "launcher/command_line.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The arguments as the rules give them, uncut.
std::vector<Text> modelSplit(const Text& line) {
  std::vector<Text> arguments;
  Text current;
  bool quoted = false;
  for (WCHAR unit : line) {
    if (unit == u' ' && !quoted) {
      arguments.push_back(current);
      current.clear();
      if (arguments.size() == kArgumentSlots - 1) return arguments;  // the rest is ignored
    } else if (unit == u'"') {
      quoted = !quoted;
    } else {
      current += unit;
    }
  }
  if (!current.empty()) arguments.push_back(current);
  return arguments;
}

// Checks every unit of the table against the model.
void checkTable(const ArgumentTable& table, const std::vector<Text>& arguments) {
  FUZZ_CHECK(table.count >= 1 && table.count <= kArgumentSlots,
             "the count " + std::to_string(table.count) + " lies between 1 and 5");
  FUZZ_CHECK(table.count == static_cast<std::int32_t>(arguments.size() + 1),
             "the count is one more than the " + std::to_string(arguments.size()) + " arguments");
  for (int slot = 0; slot < kArgumentSlots; ++slot) {
    Text expected = slot == 0 ? Text(WSTR("Tolvex.exe"))
                    : static_cast<std::size_t>(slot) <= arguments.size() ? arguments[slot - 1]
                                                                          : Text();
    const bool cut = expected.size() >= kArgumentCapacity;
    if (cut) expected.resize(kArgumentCapacity - 1);
    expected.resize(kArgumentCapacity, 0);  // terminated, and nothing written after that
    FUZZ_CHECK(std::memcmp(table.slots[slot], expected.data(), kArgumentCapacity * sizeof(WCHAR)) == 0,
               "slot " + std::to_string(slot) + " holds its argument, terminated, and nothing after it");
    FUZZ_CHECK(table.cut[slot] == cut, "slot " + std::to_string(slot) + " is marked cut exactly when it is");
  }
}

// A line that splits into `arguments` again.
Text rebuilt(const std::vector<Text>& arguments) {
  Text line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) line += u' ';
    const bool quote = arguments[i].empty() || arguments[i].find(u' ') != Text::npos;
    if (quote) line += u'"';
    line += arguments[i];
    if (quote) line += u'"';
  }
  // An empty last argument counts only when a blank has ended it.
  if (!arguments.empty() && arguments.back().empty()) line += u' ';
  return line;
}

void split(const Text& line, ArgumentTable& table) {
  // Whatever the table held before is no part of the result.
  std::memset(static_cast<void*>(&table), 0x5A, sizeof table);
  splitCommandLine(line.c_str(), table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Text line;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    WCHAR unit = static_cast<WCHAR>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    line += unit;
  }
  // On the heap, exactly its size, so that a write past the table is caught as well.
  auto table = std::make_unique<ArgumentTable>();
  split(line, *table);
  const std::vector<Text> arguments = modelSplit(line);
  checkTable(*table, arguments);

  bool anyCut = false;
  for (const Text& argument : arguments) anyCut = anyCut || argument.size() >= kArgumentCapacity;
  if (!anyCut) {
    auto again = std::make_unique<ArgumentTable>();
    split(rebuilt(arguments), *again);
    FUZZ_CHECK(std::memcmp(again->slots, table->slots, sizeof table->slots) == 0 &&
                   again->count == table->count,
               "the line rebuilt from its arguments splits the same");
  }
  return 0;
}
