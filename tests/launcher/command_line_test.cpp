// Splitting of the launcher's command line and comparison of device paths.
#include "launcher/command_line.h"
#include "launcher/device_paths.h"

#include "support/row_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitCase {
  const char* name;
  std::string line;
  int count;
  std::vector<std::string> slots;  // slots 1 to 4
};

std::string slotText(const ArgumentTable& table, int slot) { return textToUtf8(table[slot]); }

const std::string kLongWord(300, 'x');

const SplitCase kSplitCases[] = {
    {"empty line", "", 1, {"", "", "", ""}},
    {"one word", "/i", 2, {"/i", "", "", ""}},
    {"option and path", "/i \\Temp\\a.cfg", 3, {"/i", "\\Temp\\a.cfg", "", ""}},
    {"single blank", " ", 2, {"", "", "", ""}},
    {"two blanks", "  ", 3, {"", "", "", ""}},
    {"two blanks between words", "/i  \\a.cfg", 4, {"/i", "", "\\a.cfg", ""}},
    {"trailing blank", "/e ", 2, {"/e", "", "", ""}},
    {"trailing empty quotes", "/e \"\"", 2, {"/e", "", "", ""}},
    {"empty quotes inside", "\"\" x", 3, {"", "x", "", ""}},
    {"quoted path with blank", "/i \"\\My Files\\a.cfg\"", 3, {"/i", "\\My Files\\a.cfg", "", ""}},
    {"quotes inside a word", "/i \\My\" Fi\"les\\a\" \"b", 3, {"/i", "\\My Files\\a b", "", ""}},
    {"unclosed quote", "/i \"a b", 3, {"/i", "a b", "", ""}},
    {"tabs are ordinary", "/i\t\\a.cfg", 2, {"/i\t\\a.cfg", "", "", ""}},
    {"four words", "a b c d", 5, {"a", "b", "c", "d"}},
    {"more than four words", "a b c d e f", 5, {"a", "b", "c", "d"}},
    {"fourth blank ends the walk", "a b c d ", 5, {"a", "b", "c", "d"}},
    {"over-long word", kLongWord + " y", 3, {std::string(255, 'x'), "y", "", ""}},
};

class CommandLineRows : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineRows, SplitsAsTheDeviceDoes) {
  const SplitCase& c = GetParam();
  ArgumentTable table;
  Text line = textFromUtf8(c.line);
  splitCommandLine(line.c_str(), table);
  EXPECT_EQ(table.count, c.count);
  EXPECT_EQ(slotText(table, 0), "Tolvex.exe");
  for (int slot = 1; slot <= 4; ++slot) EXPECT_EQ(slotText(table, slot), c.slots[slot - 1]);
}

INSTANTIATE_TEST_SUITE_P(, CommandLineRows, ::testing::ValuesIn(kSplitCases),
                         RowsNamedBy<&SplitCase::name>());

TEST(CommandLine, MarksOnlyArgumentsThatWereCut) {
  ArgumentTable table;
  Text line = textFromUtf8("/i " + std::string(255, 'a') + " " + std::string(256, 'b'));
  splitCommandLine(line.c_str(), table);
  EXPECT_EQ(table.count, 4);
  EXPECT_FALSE(table.cut[1]);
  EXPECT_FALSE(table.cut[2]);
  EXPECT_TRUE(table.cut[3]);
  EXPECT_EQ(textLength(table[3]), 255u);
}

TEST(CommandLine, NullLineIsEmpty) {
  ArgumentTable table;
  splitCommandLine(nullptr, table);
  EXPECT_EQ(table.count, 1);
}

struct PathPair {
  const char* name;
  const char* a;
  const char* b;
  bool same;
};

const PathPair kPathPairs[] = {
    {"the same", "\\Temp\\CVConfiguration.xml", "\\Temp\\CVConfiguration.xml", true},
    {"letter case", "\\Temp\\CVConfiguration.xml", "\\temp\\cvconfiguration.XML", true},
    {"forward slashes", "\\Temp\\CVConfiguration.xml", "/Temp/CVConfiguration.xml", true},
    {"doubled separators and dot", "\\Temp\\CVConfiguration.xml", "\\\\Temp\\\\.\\CVConfiguration.xml", true},
    {"dot dot", "\\Temp\\CVConfiguration.xml", "\\Windows\\..\\Temp\\CVConfiguration.xml", true},
    {"without the root", "\\Temp\\CVConfiguration.xml", "Temp\\CVConfiguration.xml", true},
    {"longer name", "\\Temp\\CVConfiguration.xml", "\\Temp\\CVConfiguration.xml.bak", false},
    {"deeper folder", "\\Temp\\CVConfiguration.xml", "\\Temp\\Sub\\CVConfiguration.xml", false},
    {"a file and its folder", "\\Temp\\a", "\\Temp", false},
};

class DevicePathRows : public ::testing::TestWithParam<PathPair> {};

TEST_P(DevicePathRows, ComparesAsTheDeviceResolves) {
  const PathPair& c = GetParam();
  SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
  Text a = textFromUtf8(c.a), b = textFromUtf8(c.b);
  EXPECT_EQ(sameDevicePath(a.c_str(), b.c_str()), c.same);
  EXPECT_EQ(sameDevicePath(b.c_str(), a.c_str()), c.same);
}

INSTANTIATE_TEST_SUITE_P(, DevicePathRows, ::testing::ValuesIn(kPathPairs),
                         RowsNamedBy<&PathPair::name>());

}  // namespace
