// The registry switch that turns the visibility filters off: its read, its failures and its
// cache.
#include "schema_test_support.h"
#include "support/device_capabilities.h"
#include "support/row_names.h"

using namespace schema_test;

namespace {

const RegistryDwordRef kSwitch = {HKEY_CURRENT_USER, WSTR("Software\\Corvane"),
                                  WSTR("ConfigFiltersOff")};

class FilterSwitch : public WalkTest {
 protected:
  static void deleteSwitch() {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Corvane"), 0,
                                           KEY_ALL_ACCESS, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, WSTR("ConfigFiltersOff")));
    RegCloseKey(key);
  }
};

// The switch as each kind of value leaves it.
enum SwitchSetup { kNoKey, kKeyWithoutValue, kDword, kString, kBinary };
struct SwitchCase {
  const char* label;
  SwitchSetup setup;
  DWORD number;
  bool filtersOff;
};
const SwitchCase kSwitchCases[] = {
    {"no key", kNoKey, 0, false},
    {"key without the value", kKeyWithoutValue, 0, false},
    {"DWORD 0", kDword, 0, false},
    {"DWORD 1", kDword, 1, true},
    {"DWORD 0x80000000", kDword, 0x80000000u, true},
    {"string \"1\"", kString, 0, false},
    {"four binary bytes 1", kBinary, 1, false},
};

class FilterSwitchRows : public FilterSwitch, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(FilterSwitchRows, OnlyANonZeroDwordTurnsTheFiltersOff) {
  if (!deviceHasItsOwnRegistry())
    GTEST_SKIP() << "the registry is the system's, not one new with the test's device: the case "
                    "without the key cannot be had";
  const SwitchCase& c = GetParam();
  TempDevice caseDevice;
  ResetFiltersOffCacheForTesting();
  switch (c.setup) {
    case kNoKey:
      break;
    case kKeyWithoutValue: {
      HKEY key = nullptr;
      ASSERT_EQ(ERROR_SUCCESS,
                RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Corvane"), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
      RegCloseKey(key);
      break;
    }
    case kDword:
      setFilterSwitch(c.number);
      break;
    case kString: {
      const WCHAR one[] = WSTR("1");
      setFilterSwitch(REG_SZ, reinterpret_cast<const BYTE*>(one), sizeof(one));
      break;
    }
    case kBinary:
      setFilterSwitch(REG_BINARY, reinterpret_cast<const BYTE*>(&c.number), sizeof(c.number));
      break;
  }
  EXPECT_EQ(c.filtersOff, FiltersOff());
  if (c.setup == kDword) {
    EXPECT_EQ(c.number, ReadRegistryDword(kSwitch));
  } else {
    try {
      ReadRegistryDword(kSwitch);
      ADD_FAILURE() << "no exception";
    } catch (const CVCException& e) {
      EXPECT_EQ("Failed to read registry (Software\\Corvane\\ConfigFiltersOff).",
                utf8(e.getMessage()));
    }
  }
  // A failed read is swallowed: nothing reaches the report.
  EXPECT_TRUE(warnings().empty()) << joined(warnings());
  EXPECT_TRUE(errors().empty()) << joined(errors());
}

INSTANTIATE_TEST_SUITE_P(, FilterSwitchRows, ::testing::ValuesIn(kSwitchCases),
                         RowsNamedBy<&SwitchCase::label>());

// The first answer holds while the plug-in stays loaded, whatever happens to the value.
TEST_F(FilterSwitch, FirstAnswerIsKeptWithoutReadingAgain) {
  setFilterSwitch(1);
  EXPECT_TRUE(FiltersOff());
  setFilterSwitch(0);
  EXPECT_TRUE(FiltersOff());
  deleteSwitch();
  EXPECT_TRUE(FiltersOff());

  ResetFiltersOffCacheForTesting();
  EXPECT_FALSE(FiltersOff());  // absent now
  setFilterSwitch(1);
  EXPECT_FALSE(FiltersOff());
}

}  // namespace
