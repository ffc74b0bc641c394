// Discovery of package files through the APPS registry value.
#include "launcher/package_files.h"
#include "platform/registry.h"
#include "support/row_names.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// How the APPS value is stored for one case.
struct AppsValue {
  bool present;
  DWORD type;
  std::vector<BYTE> data;
};

std::vector<BYTE> bytesOf(const std::string& utf8, bool terminated) {
  Text text = textFromUtf8(utf8);
  std::vector<BYTE> bytes((text.size() + (terminated ? 1 : 0)) * sizeof(WCHAR), 0);
  if (!text.empty()) std::memcpy(bytes.data(), text.data(), text.size() * sizeof(WCHAR));
  return bytes;
}

void storeApps(const AppsValue& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Trellmar\\Dizezurov"), 0, nullptr,
                            0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (value.present) {
    ASSERT_EQ(RegSetValueExW(key, WSTR("APPS"), 0, value.type, value.data.data(),
                             DWORD(value.data.size())),
              ERROR_SUCCESS);
  }
  RegCloseKey(key);
}

const std::string kLongFolder(240, 'f');

struct AppsCase {
  const char* name;
  AppsValue apps;
  std::string hostFile;  // created below files/
  bool found;
  std::string path;  // slot 2 when found
};
const AppsCase kAppsCases[] = {
    {"absent", {false, REG_SZ, {}}, "Program Files/Agent/Mirdak/QRVall.cfg", false, ""},
    {"text", {true, REG_SZ, bytesOf("\\Program Files\\Agent", true)},
     "Program Files/Agent/Mirdak/QRVall.cfg", true, "\\Program Files\\Agent\\Mirdak\\QRVall.cfg"},
    {"text, file missing", {true, REG_SZ, bytesOf("\\Program Files\\Agent", true)},
     "Program Files/Agent/Mirdak/QRVwm.cfg", false, ""},
    {"text of 260 characters", {true, REG_SZ, bytesOf("\\" + std::string(259, 'a'), true)},
     std::string(259, 'a').substr(0, 200) + "/Mirdak/QRVall.cfg", false, ""},
    {"full path longer than a slot", {true, REG_SZ, bytesOf("\\" + kLongFolder, true)},
     kLongFolder + "/Mirdak/QRVall.cfg", false, ""},
    // A number's bytes read as text only as far as the registry returned them: 5C 00 41 00
    // is "\A", and nothing after it is looked at.
    {"number", {true, REG_DWORD, {0x5C, 0x00, 0x41, 0x00}}, "A/Mirdak/QRVall.cfg", true,
     "\\A\\Mirdak\\QRVall.cfg"},
    {"binary without terminator", {true, REG_BINARY, bytesOf("\\A", false)},
     "A/Mirdak/QRVall.cfg", true, "\\A\\Mirdak\\QRVall.cfg"},
    {"odd byte count", {true, REG_BINARY, {0x5C, 0x00, 0x41}}, "A/Mirdak/QRVall.cfg", false, ""},
    {"binary filling the whole buffer", {true, REG_BINARY, std::vector<BYTE>(520, 0x41)},
     "Mirdak/QRVall.cfg", false, ""},
};

class FindPackageFileRows : public ::testing::TestWithParam<AppsCase> {};

TEST_P(FindPackageFileRows, ReadsTheFolderFromApps) {
  const AppsCase& c = GetParam();
  TempDevice device;
  storeApps(c.apps);
  device.writeFile(c.hostFile, "<x/>");
  ArgumentTable table;
  const bool found = FindPackageFile(WSTR("QRVall.cfg"), table);
  EXPECT_EQ(found, c.found);
  if (found) {
    EXPECT_EQ(table.count, 3);
    EXPECT_EQ(textToUtf8(table[1]), "/i");
    EXPECT_EQ(textToUtf8(table[2]), c.path);
  } else {
    EXPECT_EQ(table.count, 1);
    EXPECT_EQ(textToUtf8(table[2]), "");
  }
}

INSTANTIATE_TEST_SUITE_P(, FindPackageFileRows, ::testing::ValuesIn(kAppsCases),
                         RowsNamedBy<&AppsCase::name>());

}  // namespace
