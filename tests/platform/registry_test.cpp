// Registry calls: value types and sizes, names without regard to case, results for errors.
#include "platform/registry.h"

#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const WCHAR kTestKey[] = WSTR("Software\\Corvane\\PlatformTest");

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key_, &disposition),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
  }
  LONG set(const WCHAR* name, DWORD type, const std::vector<BYTE>& data) {
    return RegSetValueExW(key_, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
  }
  LONG setText(const WCHAR* name, const WCHAR* text) {
    return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>((textLength(text) + 1) * sizeof(WCHAR)));
  }

  TempDevice device_;
  HKEY key_ = nullptr;
};

std::vector<BYTE> bytesOf(const WCHAR* text) {
  auto p = reinterpret_cast<const BYTE*>(text);
  return std::vector<BYTE>(p, p + (textLength(text) + 1) * sizeof(WCHAR));
}

TEST_F(Registry, ValuesOfEachTypeReadBackAsSet) {
  struct Case {
    const char* name;
    const WCHAR* valueName;
    DWORD type;
    std::vector<BYTE> data;
  };
  const Case cases[] = {
      {"text", WSTR("APPS"), REG_SZ, bytesOf(WSTR("\\Program Files\\Agent"))},
      {"text with quotes and non-ASCII", WSTR("Say \"hi\""), REG_SZ,
       bytesOf(WSTR("\"quoted\" \\ caf\u00E9 \u20AC"))},
      {"empty text", WSTR("Empty"), REG_SZ, bytesOf(WSTR(""))},
      {"text with a line break", WSTR("Lines"), REG_SZ, bytesOf(WSTR("one\r\ntwo"))},
      {"text without terminator", WSTR("Cut"), REG_SZ, {'a', 0, 'b', 0}},
      {"number", WSTR("ConfigFiltersOff"), REG_DWORD, {0x0a, 0, 0, 0}},
      {"large number", WSTR("Big"), REG_DWORD, {0xff, 0xff, 0xff, 0xff}},
      {"binary", WSTR("Blob"), REG_BINARY, {1, 2, 0, 0xfe}},
      {"empty binary", WSTR("Nothing"), REG_BINARY, {}},
      {"other type", WSTR("Multi"), 7, {'a', 0, 0, 0, 0, 0}},
      {"default value", WSTR(""), REG_SZ, bytesOf(WSTR("default"))},
  };
  for (const auto& c : cases) ASSERT_EQ(set(c.valueName, c.type, c.data), ERROR_SUCCESS) << c.name;
  for (const auto& c : cases) {
    BYTE buffer[256];
    DWORD size = sizeof buffer, type = 0xdead;
    ASSERT_EQ(RegQueryValueExW(key_, c.valueName, nullptr, &type, buffer, &size), ERROR_SUCCESS)
        << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + size), c.data) << c.name;
  }
  // A null name is the default value too.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key_, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, bytesOf(WSTR("default")).size());
}

TEST_F(Registry, SizesAndTooSmallBuffers) {
  ASSERT_EQ(setText(WSTR("APPS"), WSTR("\\Agent")), ERROR_SUCCESS);
  const DWORD needed = 7 * sizeof(WCHAR);  // six units and the terminator

  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key_, WSTR("APPS"), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, needed);

  WCHAR small[3] = {'x', 'x', 'x'};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(key_, WSTR("APPS"), nullptr, &type,
                             reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, needed);
  EXPECT_EQ(small[2], 'x');  // nothing written past the buffer's end

  WCHAR exact[7];
  size = needed;
  EXPECT_EQ(RegQueryValueExW(key_, WSTR("APPS"), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(exact), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(Text(exact), WSTR("\\Agent"));

  DWORD number = 0;
  EXPECT_EQ(RegQueryValueExW(key_, WSTR("APPS"), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&number), nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, NamesMatchWithoutCaseAndKeepTheirCase) {
  HKEY sub = nullptr;
  ASSERT_EQ(RegCreateKeyExW(key_, WSTR("Components\\61000"), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &sub, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(sub);
  ASSERT_EQ(setText(WSTR("ConfigFiltersOff"), WSTR("1")), ERROR_SUCCESS);
  ASSERT_EQ(setText(WSTR("CONFIGFILTERSOFF"), WSTR("2")), ERROR_SUCCESS);  // the same value

  HKEY other = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("SOFTWARE\\corvane\\platformTEST"), 0,
                          KEY_READ, &other),
            ERROR_SUCCESS);
  WCHAR name[64];
  DWORD length = 64;
  BYTE data[16];
  DWORD size = sizeof data, type = 0;
  ASSERT_EQ(RegEnumValueW(other, 0, name, &length, nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(Text(name), WSTR("ConfigFiltersOff"));
  EXPECT_EQ(length, 16u);
  EXPECT_EQ(Text(reinterpret_cast<WCHAR*>(data)), WSTR("2"));
  length = 64;
  EXPECT_EQ(RegEnumValueW(other, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);

  length = 64;
  ASSERT_EQ(RegEnumKeyExW(other, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(Text(name), WSTR("Components"));
  length = 5;  // "Components" does not fit
  EXPECT_EQ(RegEnumKeyExW(other, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  EXPECT_EQ(length, 10u);
  RegCloseKey(other);

  EXPECT_EQ(RegDeleteKeyW(key_, WSTR("components\\61000")), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key_, WSTR("COMPONENTS")), ERROR_SUCCESS);
}

TEST_F(Registry, CreateReportsDispositionAndMakesIntermediateKeys) {
  HKEY deep = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(key_, WSTR("a\\b\\c"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &deep,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(deep);
  ASSERT_EQ(RegCreateKeyExW(key_, WSTR("A\\B\\C"), 0, nullptr, 0, KEY_READ, nullptr, &deep,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(deep);
  HKEY middle = nullptr;
  EXPECT_EQ(RegOpenKeyExW(key_, WSTR("a\\b"), 0, KEY_READ, &middle), ERROR_SUCCESS);
  RegCloseKey(middle);
  // A key with subkeys stays; its leaves go first.
  EXPECT_EQ(RegDeleteKeyW(key_, WSTR("a")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(key_, WSTR("a\\b\\c")), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key_, WSTR("a\\b")), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key_, WSTR("a")), ERROR_SUCCESS);
}

TEST_F(Registry, ErrorResults) {
  HKEY out = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(key_, WSTR("Missing"), 0, KEY_READ, &out), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(out, nullptr);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key_, WSTR("Missing"), nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueW(key_, WSTR("Missing")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(key_, WSTR("Missing")), ERROR_FILE_NOT_FOUND);

  HKEY bogus = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u));
  EXPECT_EQ(RegOpenKeyExW(bogus, WSTR("Software"), 0, KEY_READ, &out), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExW(bogus, WSTR("x"), nullptr, nullptr, nullptr, &size),
            ERROR_INVALID_HANDLE);

  HKEY closed = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &closed), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExW(closed, WSTR("x"), nullptr, nullptr, nullptr, &size),
            ERROR_INVALID_HANDLE);

  HKEY readOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  DWORD one = 1;
  EXPECT_EQ(RegSetValueExW(readOnly, WSTR("x"), 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegFlushKey(readOnly), ERROR_SUCCESS);
  RegCloseKey(readOnly);
  EXPECT_EQ(RegFlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(Registry, EachCallNeedsTheAccessTheKeyWasOpenedWith) {
  ASSERT_EQ(setText(WSTR("Name"), WSTR("kept")), ERROR_SUCCESS);
  HKEY sub = nullptr;
  ASSERT_EQ(RegCreateKeyExW(key_, WSTR("Sub"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(sub);
  struct Case {
    const char* name;
    REGSAM access;
    LONG query, enumValue, enumKey, set;
  };
  const Case cases[] = {
      {"read", KEY_READ, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
      {"write", KEY_WRITE, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
       ERROR_SUCCESS},
      {"query only", KEY_QUERY_VALUE, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_ACCESS_DENIED,
       ERROR_ACCESS_DENIED},
      {"all", KEY_ALL_ACCESS, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, c.access, &opened), ERROR_SUCCESS)
        << c.name;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(opened, WSTR("Name"), nullptr, nullptr, nullptr, &size), c.query)
        << c.name;
    WCHAR name[64];
    DWORD length = 64;
    EXPECT_EQ(RegEnumValueW(opened, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              c.enumValue)
        << c.name;
    length = 64;
    EXPECT_EQ(RegEnumKeyExW(opened, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              c.enumKey)
        << c.name;
    EXPECT_EQ(RegSetValueExW(opened, WSTR("Name"), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(WSTR("kept")), 5 * sizeof(WCHAR)),
              c.set)
        << c.name;
    RegCloseKey(opened);
  }
  RegDeleteKeyW(key_, WSTR("Sub"));
}

TEST_F(Registry, ChangesAreVisibleThroughOtherHandlesAndDeletesStick) {
  ASSERT_EQ(setText(WSTR("Name"), WSTR("first")), ERROR_SUCCESS);
  HKEY other = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_ALL_ACCESS, &other), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(other, WSTR("NAME")), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key_, WSTR("Name"), nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(other);
}

}  // namespace
