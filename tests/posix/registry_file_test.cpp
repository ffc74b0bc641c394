// The registry file itself: its text, hand-edited files, and files that cannot be read.
#include "platform/device.h"
#include "platform/registry.h"

#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string readHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeHostFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::filesystem::path registryFile(const TempDevice& dev) {
  return dev.root() / "state" / "registry.reg";
}

HKEY create(HKEY root, const WCHAR* path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  return key;
}

LONG setBytes(HKEY key, const WCHAR* name, DWORD type, const std::vector<BYTE>& data) {
  return RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
}

std::vector<BYTE> text16(const WCHAR* text) {
  auto p = reinterpret_cast<const BYTE*>(text);
  return std::vector<BYTE>(p, p + (textLength(text) + 1) * sizeof(WCHAR));
}

struct Read {
  LONG status;
  DWORD type;
  std::vector<BYTE> data;
};

Read query(HKEY root, const WCHAR* path, const WCHAR* name) {
  HKEY key = nullptr;
  Read r{RegOpenKeyExW(root, path, 0, KEY_READ, &key), 0, {}};
  if (r.status != ERROR_SUCCESS) return r;
  BYTE buffer[512];
  DWORD size = sizeof buffer;
  r.status = RegQueryValueExW(key, name, nullptr, &r.type, buffer, &size);
  if (r.status == ERROR_SUCCESS) r.data.assign(buffer, buffer + size);
  RegCloseKey(key);
  return r;
}

TEST(RegistryFile, WritesReadableExportText) {
  TempDevice dev;
  HKEY agent = create(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Trellmar\\Dizezurov"));
  ASSERT_EQ(setBytes(agent, WSTR("APPS"), REG_SZ, text16(WSTR("\\Program Files\\Agent"))),
            ERROR_SUCCESS);
  ASSERT_EQ(setBytes(agent, WSTR("Say \"x\""), REG_SZ, text16(WSTR("caf\u00E9"))), ERROR_SUCCESS);
  ASSERT_EQ(setBytes(agent, WSTR(""), REG_DWORD, {0x0a, 0, 0, 0}), ERROR_SUCCESS);
  ASSERT_EQ(setBytes(agent, WSTR("Blob"), REG_BINARY, {1, 2, 0xab}), ERROR_SUCCESS);
  ASSERT_EQ(setBytes(agent, WSTR("Lines"), REG_SZ, text16(WSTR("a\nb"))), ERROR_SUCCESS);
  ASSERT_EQ(setBytes(agent, WSTR("Expand"), 2, {'%', 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(agent);
  HKEY user = create(HKEY_CURRENT_USER, WSTR("Software\\Corvane"));
  ASSERT_EQ(setBytes(user, WSTR("ConfigFiltersOff"), REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(user);

  EXPECT_EQ(readHostFile(registryFile(dev)),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Trellmar]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Trellmar\\Dizezurov]\n"
            "\"APPS\"=\"\\\\Program Files\\\\Agent\"\n"
            "\"Say \\\"x\\\"\"=\"caf\xC3\xA9\"\n"
            "@=dword:0000000a\n"
            "\"Blob\"=hex:01,02,ab\n"
            "\"Lines\"=hex(1):61,00,0a,00,62,00,00,00\n"
            "\"Expand\"=hex(2):25,00,00,00\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Corvane]\n"
            "\"ConfigFiltersOff\"=dword:00000001\n"
            "\n");
}

TEST(RegistryFile, HandEditedFileParses) {
  TempDevice dev;
  std::string longHex = "hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,"
                        "16,17,18,\\\r\n  19,1a,1b\r\n";
  writeHostFile(registryFile(dev),
                "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                "\r\n"
                "; the agent's folder\r\n"
                "[hkey_local_machine\\Software\\\\Trellmar\\Dizezurov]   \r\n"
                "\"Apps\" = \"\\\\Program Files\\\\Agent\"\r\n"
                "\r\n"
                "   ; a comment after blanks\r\n"
                "[HKCU\\Software\\Corvane]\r\n"
                "\"ConfigFiltersOff\"=DWORD:A\r\n"
                "\"Odd\"=HEX:1,Ab, ff\r\n"
                "\"Long\"=" + longHex +
                "\"Twice\"=dword:1\r\n"
                "\"twice\"=dword:2\r\n");
  struct Case {
    const char* name;
    HKEY root;
    const WCHAR* key;
    const WCHAR* value;
    DWORD type;
    std::vector<BYTE> data;
  };
  std::vector<BYTE> longBytes;
  for (int i = 0; i < 0x1c; ++i) longBytes.push_back(static_cast<BYTE>(i));
  const Case cases[] = {
      {"text under a lower-case root", HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Trellmar\\Dizezurov"),
       WSTR("APPS"), REG_SZ, text16(WSTR("\\Program Files\\Agent"))},
      {"dword in upper case", HKEY_CURRENT_USER, WSTR("Software\\Corvane"),
       WSTR("configfiltersoff"), REG_DWORD, {10, 0, 0, 0}},
      {"hex with odd digits and blanks", HKEY_CURRENT_USER, WSTR("Software\\Corvane"),
       WSTR("Odd"), REG_BINARY, {1, 0xab, 0xff}},
      {"hex over two lines", HKEY_CURRENT_USER, WSTR("Software\\Corvane"), WSTR("Long"),
       REG_BINARY, longBytes},
      {"later line wins", HKEY_CURRENT_USER, WSTR("Software\\Corvane"), WSTR("TWICE"), REG_DWORD,
       {2, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    Read r = query(c.root, c.key, c.value);
    ASSERT_EQ(r.status, ERROR_SUCCESS) << c.name << ": " << device::registryStatus().problem();
    EXPECT_EQ(r.type, c.type) << c.name;
    EXPECT_EQ(r.data, c.data) << c.name;
  }
  // Intermediate keys that the file only implies exist.
  HKEY middle = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("software\\trellmar"), 0, KEY_READ, &middle),
            ERROR_SUCCESS);
  RegCloseKey(middle);
}

// The '=' of a value line is the one after its name: an '=' inside a quoted name or text,
// followed by "hex", makes nothing a hex list, and a backslash ending a text is its own.
TEST(RegistryFile, EqualsSignsInsideQuotesAreText) {
  TempDevice dev;
  writeHostFile(registryFile(dev),
                "Windows Registry Editor Version 5.00\n\n"
                "[HKEY_CURRENT_USER\\Software\\Corvane]\n"
                "\"Path\"=\"\\\\dir=hex\\\\\"\n"
                "\"Name=hex\"=dword:7\n"
                "\"List=1\" = hex:01,\\\n"
                "  02\n"
                "@=hex:0a,\\\n"
                "\t0b\n");
  struct Case {
    const WCHAR* value;
    DWORD type;
    std::vector<BYTE> data;
  };
  const Case cases[] = {
      {WSTR("Path"), REG_SZ, text16(WSTR("\\dir=hex\\"))},
      {WSTR("Name=hex"), REG_DWORD, {7, 0, 0, 0}},
      {WSTR("List=1"), REG_BINARY, {1, 2}},
      {WSTR(""), REG_BINARY, {0x0a, 0x0b}},
  };
  for (const auto& c : cases) {
    Read r = query(HKEY_CURRENT_USER, WSTR("Software\\Corvane"), c.value);
    ASSERT_EQ(r.status, ERROR_SUCCESS)
        << textToUtf8(c.value) << ": " << device::registryStatus().problem();
    EXPECT_EQ(r.type, c.type) << textToUtf8(c.value);
    EXPECT_EQ(r.data, c.data) << textToUtf8(c.value);
  }
}

TEST(RegistryFile, WrittenTextReadsBackExactly) {
  TempDevice dev;
  HKEY key = create(HKEY_CURRENT_USER, WSTR("Software\\Round"));
  const std::vector<std::pair<DWORD, std::vector<BYTE>>> values = {
      {REG_SZ, text16(WSTR("\\\"\u4E2D\U0001F600"))},
      {REG_SZ, {'a', 0}},  // no terminator
      {REG_SZ, {0xd800 & 0xff, 0xd8, 0, 0}},  // an unpaired surrogate
      {REG_DWORD, {1, 2, 3}},  // a short number
      {REG_BINARY, std::vector<BYTE>(200, 0x5a)},
      {0xb, {1, 2, 3, 4, 5, 6, 7, 8}},
  };
  for (std::size_t i = 0; i < values.size(); ++i) {
    Text name = WSTR("v") + Text(1, static_cast<WCHAR>('0' + i));
    ASSERT_EQ(setBytes(key, name.c_str(), values[i].first, values[i].second), ERROR_SUCCESS);
  }
  RegCloseKey(key);
  // Rewritten by hand with the same text: the values come from parsing it again.
  std::string text = readHostFile(registryFile(dev));
  std::filesystem::remove(registryFile(dev));
  writeHostFile(registryFile(dev), text);
  for (std::size_t i = 0; i < values.size(); ++i) {
    Text name = WSTR("v") + Text(1, static_cast<WCHAR>('0' + i));
    Read r = query(HKEY_CURRENT_USER, WSTR("Software\\Round"), name.c_str());
    ASSERT_EQ(r.status, ERROR_SUCCESS) << i << ": " << device::registryStatus().problem();
    EXPECT_EQ(r.type, values[i].first) << i;
    EXPECT_EQ(r.data, values[i].second) << i;
  }
}

// A missing file is an empty registry; an empty file is what a cut-off write leaves, and is
// refused with the other unreadable files below.
TEST(RegistryFile, MissingFileIsAnEmptyRegistry) {
  TempDevice dev;
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE"), 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  writeHostFile(registryFile(dev), "");
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE"), 0, KEY_READ, &key), ERROR_BADDB);
}

TEST(RegistryFile, UnreadableFileIsReportedAndNeverTouched) {
  struct Case {
    const char* name;
    std::string text;
    int line;
  };
  const std::string header = "Windows Registry Editor Version 5.00\n\n";
  const Case cases[] = {
      {"no header", "[HKEY_CURRENT_USER\\Software]\n", 1},
      {"older header", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n", 1},
      {"value before a key", header + "\"a\"=\"b\"\n", 3},
      {"unknown root", header + "[HKEY_CLASSES_ROOT\\x]\n", 3},
      {"unclosed key", header + "[HKEY_CURRENT_USER\\x\n", 3},
      {"unclosed text", header + "[HKEY_CURRENT_USER\\x]\n\"a\"=\"b\n", 4},
      {"bad dword", header + "[HKEY_CURRENT_USER\\x]\n\"a\"=dword:123456789\n", 4},
      {"bad hex", header + "[HKEY_CURRENT_USER\\x]\n\"a\"=hex:01,zz\n", 4},
      {"unknown value form", header + "[HKEY_CURRENT_USER\\x]\n\"a\"=12\n", 4},
      {"stray line", header + "[HKEY_CURRENT_USER\\x]\nname=1\n", 4},
      {"deletion", header + "[HKEY_CURRENT_USER\\x]\n\"a\"=-\n", 4},
      {"not UTF-8", header + "[HKEY_CURRENT_USER\\x]\n\"a\"=\"\xff\"\n", 4},
      {"empty", "", 1},
      {"cut inside a line", header + "[HKEY_CURRENT_USER\\x]\n\"a\"=dword:0000", 4},
      {"cut inside the header", "Windows Registry Ed", 1},
      // A text holding "=hex" and ending in a backslash is no hex list: nothing is joined to it.
      {"text ending in a backslash",
       header + "[HKEY_CURRENT_USER\\x]\n\"a\"=\"b=hex\\\n\\\\c\"\n", 4},
      {"text before a [key] line",
       header + "[HKEY_CURRENT_USER\\x]\n\"a\"=\"=hex\\\n[HKEY_CURRENT_USER\\y]\"\n", 4},
      {"text before a line not UTF-8",
       header + "[HKEY_CURRENT_USER\\x]\n\"a\"=\"=hex\\\n\xff\"\n", 4},
      // A hex list's continuation is checked as a line of its own.
      {"continuation not UTF-8",
       header + "[HKEY_CURRENT_USER\\x]\n\"a\"=hex:01,\\\n  02,\xff\n", 5},
      {"continued by a [key] line",
       header + "[HKEY_CURRENT_USER\\x]\n\"a\"=hex:01,\\\n[HKEY_CURRENT_USER\\y]\n", 5},
      {"continued by nothing", header + "[HKEY_CURRENT_USER\\x]\n\"a\"=hex:01,\\\n\n", 5},
  };
  for (const auto& c : cases) {
    TempDevice dev;
    const auto path = registryFile(dev);
    writeHostFile(path, c.text);
    HKEY key = nullptr;
    DWORD size = 0, one = 1;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("x"), 0, KEY_READ, &key), ERROR_BADDB)
        << c.name;
    std::string problem = device::registryStatus().problem();
    EXPECT_NE(problem.find(path.string() + ":" + std::to_string(c.line) + ":"),
              std::string::npos)
        << c.name << ": " << problem;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("y"), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_BADDB)
        << c.name;
    EXPECT_EQ(RegSetValueExW(HKEY_CURRENT_USER, WSTR("v"), 0, REG_DWORD,
                             reinterpret_cast<BYTE*>(&one), 4),
              ERROR_BADDB)
        << c.name;
    EXPECT_EQ(RegQueryValueExW(HKEY_CURRENT_USER, WSTR("v"), nullptr, nullptr, nullptr, &size),
              ERROR_BADDB)
        << c.name;
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, WSTR("x")), ERROR_BADDB) << c.name;
    EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_BADDB) << c.name;
    EXPECT_EQ(readHostFile(path), c.text) << c.name;
  }
}

// The path of a key `levels` names deep, each name "a".
Text deepPath(std::size_t levels) {
  Text path = WSTR("a");
  for (std::size_t i = 1; i < levels; ++i) path += WSTR("\\a");
  return path;
}

TEST(RegistryFile, KeysLieAtMost512LevelsDeep) {
  // The last case is the one-line file that once cost time and memory with the square of its
  // depth and then overflowed the stack.
  struct Case {
    const char* name;
    std::size_t levels;
    bool read;
  };
  const Case cases[] = {
      {"at the limit", 512, true},
      {"one level deeper", 513, false},
      {"twenty thousand levels", 20000, false},
  };
  for (const auto& c : cases) {
    TempDevice dev;
    const Text path = deepPath(c.levels);
    writeHostFile(registryFile(dev), "Windows Registry Editor Version 5.00\n\n[HKLM\\" +
                                         textToUtf8(path.c_str()) + "]\n\"v\"=dword:7\n");
    Read r = query(HKEY_LOCAL_MACHINE, path.c_str(), WSTR("v"));
    if (c.read) {
      EXPECT_EQ(r.status, ERROR_SUCCESS) << c.name << ": " << device::registryStatus().problem();
      EXPECT_EQ(r.data, (std::vector<BYTE>{7, 0, 0, 0})) << c.name;
    } else {
      EXPECT_EQ(r.status, ERROR_BADDB) << c.name;
      const std::string problem = device::registryStatus().problem();
      EXPECT_NE(problem.find(":3: the key lies more than 512 levels below its root"),
                std::string::npos)
          << c.name << ": " << problem;
    }
  }
}

TEST(RegistryFile, CreatingAKeyDeeperThan512LevelsIsRefused) {
  TempDevice dev;
  auto createBelow = [](HKEY parent, const Text& path, HKEY* key, DWORD* disposition) {
    return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key,
                           disposition);
  };
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(createBelow(HKEY_LOCAL_MACHINE, deepPath(512), &key, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  RegCloseKey(key);
  EXPECT_EQ(createBelow(HKEY_LOCAL_MACHINE, deepPath(513), &key, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(key, nullptr);
  // Counted from the root, also when the call starts at a key that is deep already.
  HKEY middle = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, deepPath(500).c_str(), 0, KEY_ALL_ACCESS, &middle),
            ERROR_SUCCESS);
  EXPECT_EQ(createBelow(middle, deepPath(12), &key, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  RegCloseKey(key);
  EXPECT_EQ(createBelow(middle, deepPath(13), &key, nullptr), ERROR_INVALID_PARAMETER);
  RegCloseKey(middle);
  // The file keeps what was created and reads back.
  std::string text = readHostFile(registryFile(dev));
  std::filesystem::remove(registryFile(dev));
  writeHostFile(registryFile(dev), text);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, deepPath(512).c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS) << device::registryStatus().problem();
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, deepPath(513).c_str(), 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
}

TEST(RegistryFile, StatusExplainsABadFileUntilItIsWholeAgain) {
  TempDevice dev;
  const auto path = registryFile(dev);
  const std::string key = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\x]\n";
  writeHostFile(path, key + "not a value\n");
  EXPECT_EQ(query(HKEY_CURRENT_USER, WSTR("x"), WSTR("v")).status, ERROR_BADDB);
  device::Result bad = device::registryStatus();
  EXPECT_FALSE(bad);
  EXPECT_NE(bad.problem().find(path.string() + ":4:"), std::string::npos) << bad.problem();
  writeHostFile(path, key + "\"v\"=dword:7\n");
  EXPECT_EQ(query(HKEY_CURRENT_USER, WSTR("x"), WSTR("v")).status, ERROR_SUCCESS);
  EXPECT_TRUE(device::registryStatus()) << device::registryStatus().problem();
}

TEST(RegistryFile, ChangeByHandIsSeenByTheNextCall) {
  TempDevice dev;
  HKEY key = create(HKEY_CURRENT_USER, WSTR("Software\\Corvane"));
  ASSERT_EQ(setBytes(key, WSTR("n"), REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  EXPECT_EQ(query(HKEY_CURRENT_USER, WSTR("Software\\Corvane"), WSTR("n")).data,
            (std::vector<BYTE>{1, 0, 0, 0}));
  std::string text = readHostFile(registryFile(dev));
  text.replace(text.find("dword:00000001"), 14, "dword:00000002");
  writeHostFile(registryFile(dev), text);  // in place, same size
  // A later modification time marks the change even within the same size.
  auto later = std::filesystem::last_write_time(registryFile(dev)) + std::chrono::seconds(2);
  std::filesystem::last_write_time(registryFile(dev), later);
  EXPECT_EQ(query(HKEY_CURRENT_USER, WSTR("Software\\Corvane"), WSTR("n")).data,
            (std::vector<BYTE>{2, 0, 0, 0}));
  RegCloseKey(key);
}

}  // namespace
