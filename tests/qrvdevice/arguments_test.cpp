// Taking a command's arguments apart: options with and without values, help, "--", and the
// launcher's arguments that run hands on as they stand.
#include "tools/qrvdevice/arguments.h"
#include "support/row_names.h"

#include <gtest/gtest.h>

namespace {

const CommandSpec kCheck = {
    "check", "FILE", "", "", {{"--state", "STATE.json", ""}, {"--json", nullptr, ""}}, 1, 1, false};
const CommandSpec kRun = {
    "run", "", "", "", {{"--strict", nullptr, ""}, {"--line", "TEXT", ""}}, 0, kAnyNumber, true};

struct Case {
  const char* name;
  const CommandSpec* spec;
  std::vector<std::string> args;
  bool ok;
  std::vector<std::string> plain;
  std::map<std::string, std::string> options;
  bool help;
  const char* problem;  // part of the message when not ok
};

const Case kCases[] = {
    {"a file and a switch",
     &kCheck,
     {"a.xml", "--json"},
     true,
     {"a.xml"},
     {{"--json", ""}},
     false,
     ""},
    {"a value after a blank",
     &kCheck,
     {"--state", "s.json", "a.xml"},
     true,
     {"a.xml"},
     {{"--state", "s.json"}},
     false,
     ""},
    {"a value after =",
     &kCheck,
     {"a.xml", "--state=s.json"},
     true,
     {"a.xml"},
     {{"--state", "s.json"}},
     false,
     ""},
    {"help wherever it stands, without the arguments", &kCheck, {"-h"}, true, {}, {}, true, ""},
    {"-- ends the options", &kCheck, {"--", "--json"}, true, {"--json"}, {}, false, ""},
    {"a lone dash is an argument", &kCheck, {"-"}, true, {"-"}, {}, false, ""},
    {"an unknown option",
     &kCheck,
     {"a.xml", "--jsn"},
     false,
     {},
     {},
     false,
     "unknown option '--jsn' for check"},
    {"a value missing",
     &kCheck,
     {"a.xml", "--state"},
     false,
     {},
     {},
     false,
     "--state needs a value (STATE.json)"},
    {"a value given to a switch",
     &kCheck,
     {"a.xml", "--json=yes"},
     false,
     {},
     {},
     false,
     "--json takes no value"},
    {"too many arguments",
     &kCheck,
     {"a.xml", "b.xml"},
     false,
     {},
     {},
     false,
     "check takes one argument, not 2"},
    {"too few arguments", &kCheck, {}, false, {}, {}, false, "check takes one argument, not 0"},
    {"run's options come first",
     &kRun,
     {"--strict", "/i", "x"},
     true,
     {"/i", "x"},
     {{"--strict", ""}},
     false,
     ""},
    {"the launcher's arguments stand as they are",
     &kRun,
     {"/e", "--help", "-h"},
     true,
     {"/e", "--help", "-h"},
     {},
     false,
     ""},
    {"-- before the launcher's arguments",
     &kRun,
     {"--", "--strict"},
     true,
     {"--strict"},
     {},
     false,
     ""},
    {"run --help asks for help", &kRun, {"--help"}, true, {}, {}, true, ""},
    {"an unknown option of run", &kRun, {"-x"}, false, {}, {}, false, "go after --"},
};

class ArgumentsRows : public ::testing::TestWithParam<Case> {};

TEST_P(ArgumentsRows, OptionsPlainArgumentsAndHelp) {
  const Case& c = GetParam();
  ParsedArguments parsed;
  std::string problem;
  ASSERT_EQ(parseArguments(*c.spec, c.args, parsed, problem), c.ok) << problem;
  if (!c.ok) {
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    return;
  }
  EXPECT_EQ(parsed.plain, c.plain);
  EXPECT_EQ(parsed.options, c.options);
  EXPECT_EQ(parsed.help, c.help);
}

INSTANTIATE_TEST_SUITE_P(, ArgumentsRows, ::testing::ValuesIn(kCases),
                         RowsNamedBy<&Case::name>());

}  // namespace
