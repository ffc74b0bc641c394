// Hotkey names and the ordering of the hotkey table by them.
#include "plugin/settings/hotkey_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string name(std::uint32_t key, std::uint32_t mods) { return textToUtf8(HotkeyKeyName(key, mods)); }

HotkeyEntry entry(std::uint32_t key, std::uint32_t mods, std::int32_t tag = 0) {
  HotkeyEntry e;
  std::memset(&e, 0, sizeof(e));
  e.keyCode = key;
  e.modifiers = mods;
  e.index = tag;
  return e;
}

std::vector<std::string> names(const std::vector<HotkeyEntry>& table) {
  std::vector<std::string> out;
  for (const HotkeyEntry& e : table) out.push_back(name(e.keyCode, e.modifiers));
  return out;
}

TEST(HotkeyNames, NameOfEachKindOfKey) {
  struct Case {
    std::uint32_t key, mods;
    const char* expected;
  } cases[] = {
      {65, 3, "Ctrl + Alt + A"},
      {65, 2, "Ctrl + A"},
      {65, 1, "Alt + A"},
      {65, 4, "A"},
      {90, 0, "Z"},
      {48, 0, "0"},
      {57, 0, "9"},
      {122, 0, "F11"},
      {135, 0, "F24"},
      {136, 0, "Unrecognized Key"},
      {179, 0, "F1"},
      {188, 0, "F10"},
      {112, 0, "Unrecognized Key"},
      {97, 0, "Unrecognized Key"},
      {0, 0, "Unrecognized Key"},
      {0xFFFFFFFFu, 0xFFFFFFFFu, "Ctrl + Alt + Unrecognized Key"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(name(c.key, c.mods), c.expected) << c.key << " with " << c.mods;
  }
}

TEST(HotkeyNames, SortsByNameThenByKeyAndModifiers) {
  std::vector<HotkeyEntry> table = {entry(90, 0),  entry(188, 0), entry(48, 0), entry(66, 0),
                                    entry(65, 2),  entry(179, 0), entry(200, 0), entry(57, 0),
                                    entry(49, 1),  entry(180, 0), entry(65, 0), entry(122, 0)};
  SortHotkeys(table.data(), 0, static_cast<int>(table.size()) - 1);
  std::vector<std::string> expected = {"0", "9", "A", "Alt + 1", "B", "Ctrl + A",
                                       "F1", "F10", "F11", "F2", "Unrecognized Key", "Z"};
  EXPECT_EQ(names(table), expected);
}

TEST(HotkeyNames, EqualNamesFinishAndComeOutTheSameWhateverTheInputOrder) {
  // Keys without a name share "Unrecognized Key"; duplicates share everything.
  std::vector<HotkeyEntry> table;
  for (std::uint32_t k = 0; k < 40; ++k) table.push_back(entry(200 + k % 7, k % 3 == 0 ? 4 : 0, k));
  for (int k = 0; k < 20; ++k) table.push_back(entry(65, 2, 100 + k));

  std::vector<HotkeyEntry> first = table;
  SortHotkeys(first.data(), 0, static_cast<int>(first.size()) - 1);
  ASSERT_TRUE(std::is_sorted(first.begin(), first.end(), CompareHotkeys));
  for (unsigned seed = 1; seed <= 5; ++seed) {
    std::vector<HotkeyEntry> shuffled = table;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(seed));
    SortHotkeys(shuffled.data(), 0, static_cast<int>(shuffled.size()) - 1);
    for (std::size_t i = 0; i < first.size(); ++i) {
      EXPECT_EQ(shuffled[i].keyCode, first[i].keyCode) << "seed " << seed << " position " << i;
      EXPECT_EQ(shuffled[i].modifiers, first[i].modifiers) << "seed " << seed << " position " << i;
    }
  }
  // The 20 identical records are all still there.
  EXPECT_EQ(std::count_if(first.begin(), first.end(),
                          [](const HotkeyEntry& e) { return e.index >= 100; }),
            20);
}

TEST(HotkeyNames, EmptyAndSingleRangesAreLeftAlone) {
  std::vector<HotkeyEntry> table = {entry(90, 0, 1), entry(65, 0, 2)};
  SortHotkeys(table.data(), 0, 0);
  SortHotkeys(table.data(), 1, 0);
  SortHotkeys(table.data(), 1, -5);
  EXPECT_EQ(table[0].index, 1);
  EXPECT_EQ(table[1].index, 2);
  SortHotkeys(nullptr, 0, 3);
}

}  // namespace
