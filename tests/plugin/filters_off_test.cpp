// With the filter switch on, a save includes every entry of the schema.
#include "golden_tree.h"
#include "plugin_test_support.h"
#include "platform/registry.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

namespace plugintest {
namespace {

TEST(FiltersOff, SaveIncludesTheHiddenEntries) {
  TempDevice device;
  ASSERT_TRUE(writeDeviceSettings(sampleDevice()));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Corvane"), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD on = 1;
  ASSERT_EQ(RegSetValueExW(key, WSTR("ConfigFiltersOff"), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&on), sizeof(on)),
            ERROR_SUCCESS);
  RegCloseKey(key);

  EXPECT_TRUE(matchesGolden("sample_save_filters_off.xml", saveDevice(WSTR(""))));
}

}  // namespace
}  // namespace plugintest
