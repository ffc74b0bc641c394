// Device files: copy, delete, attributes and folders, with the platform's error results.
#include "platform/files.h"

#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

TEST(Files, CopyReplacesUnlessAskedNotTo) {
  TempDevice dev;
  dev.writeFile("QRVConfig.dll", "new plug-in");
  dev.writeFile("Windows/QRVConfig.dll", "old plug-in");
  EXPECT_FALSE(CopyFileW(WSTR("\\QRVConfig.dll"), WSTR("\\Windows\\QRVConfig.dll"), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(dev.readFile("Windows/QRVConfig.dll"), "old plug-in");
  EXPECT_TRUE(CopyFileW(WSTR("\\qrvconfig.dll"), WSTR("\\windows\\QRVCONFIG.DLL"), FALSE));
  EXPECT_EQ(dev.readFile("Windows/QRVConfig.dll"), "new plug-in");  // replaced, name kept
  EXPECT_TRUE(CopyFileW(WSTR("\\QRVConfig.dll"), WSTR("\\Windows\\Copy.dll"), TRUE));
  EXPECT_EQ(dev.readFile("Windows/Copy.dll"), "new plug-in");
  // Nothing but the two files is left in the folder.
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dev.file("Windows"))) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 2u);
}

// A copy onto a file that already holds the same bytes writes nothing: the file stays the
// same file. Any other copy puts a new file in place.
TEST(Files, CopyOntoTheSameBytesWritesNothing) {
  TempDevice dev;
  const std::string plugin(200000, 'p');
  std::filesystem::create_directories(dev.file("Windows"));
  dev.writeFile("QRVConfig.dll", plugin);
  ASSERT_TRUE(CopyFileW(WSTR("\\QRVConfig.dll"), WSTR("\\Windows\\QRVConfig.dll"), FALSE));
  auto inode = [&] {
    struct stat st {};
    ::stat(dev.file("Windows/QRVConfig.dll").c_str(), &st);
    return st.st_ino;
  };
  const auto installed = inode();
  ASSERT_TRUE(CopyFileW(WSTR("\\QRVConfig.dll"), WSTR("\\Windows\\QRVConfig.dll"), FALSE));
  EXPECT_EQ(inode(), installed);
  dev.writeFile("QRVConfig.dll", plugin.substr(1) + "q");  // same size, other bytes
  ASSERT_TRUE(CopyFileW(WSTR("\\QRVConfig.dll"), WSTR("\\Windows\\QRVConfig.dll"), FALSE));
  EXPECT_NE(inode(), installed);
  EXPECT_EQ(dev.readFile("Windows/QRVConfig.dll"), plugin.substr(1) + "q");
}

TEST(Files, CopyRefusesAFileOntoItself) {
  TempDevice dev;
  dev.writeFile("Windows/QRVConfig.dll", "plug-in");
  const WCHAR* targets[] = {WSTR("\\Windows\\QRVConfig.dll"), WSTR("\\WINDOWS\\qrvconfig.dll"),
                            WSTR("/Windows/./QRVConfig.dll")};
  for (const WCHAR* target : targets) {
    EXPECT_FALSE(CopyFileW(WSTR("\\Windows\\QRVConfig.dll"), target, FALSE));
    EXPECT_EQ(dev.readFile("Windows/QRVConfig.dll"), "plug-in");
  }
}

TEST(Files, FailuresSayWhy) {
  TempDevice dev;
  dev.writeFile("Temp/a.cfg", "x");
  struct Case {
    const char* name;
    std::function<BOOL()> call;
    DWORD error;
  };
  const Case cases[] = {
      {"copy of a missing file", [] { return CopyFileW(WSTR("\\Temp\\none"), WSTR("\\Temp\\b"), FALSE); },
       ERROR_FILE_NOT_FOUND},
      {"copy into a missing folder", [] { return CopyFileW(WSTR("\\Temp\\a.cfg"), WSTR("\\No\\b"), FALSE); },
       ERROR_PATH_NOT_FOUND},
      {"copy onto a folder", [] { return CopyFileW(WSTR("\\Temp\\a.cfg"), WSTR("\\Temp"), FALSE); },
       ERROR_ACCESS_DENIED},
      {"copy of a folder", [] { return CopyFileW(WSTR("\\Temp"), WSTR("\\b"), FALSE); },
       ERROR_ACCESS_DENIED},
      {"copy from above the root",
       [] { return CopyFileW(WSTR("\\..\\state\\lock"), WSTR("\\b"), FALSE); }, ERROR_PATH_NOT_FOUND},
      {"delete of a missing file", [] { return DeleteFileW(WSTR("\\Temp\\none")); },
       ERROR_FILE_NOT_FOUND},
      {"delete in a missing folder", [] { return DeleteFileW(WSTR("\\No\\none")); },
       ERROR_PATH_NOT_FOUND},
      {"delete of a folder", [] { return DeleteFileW(WSTR("\\Temp")); }, ERROR_ACCESS_DENIED},
      {"folder that exists", [] { return CreateDirectoryW(WSTR("\\temp"), nullptr); },
       ERROR_ALREADY_EXISTS},
      {"folder in a missing folder", [] { return CreateDirectoryW(WSTR("\\No\\New"), nullptr); },
       ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(c.call()) << c.name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.error)) << c.name;
  }
  EXPECT_EQ(dev.readFile("Temp/a.cfg"), "x");
  EXPECT_FALSE(std::filesystem::exists(dev.file("b")));
}

TEST(Files, AttributesDeleteAndFolders) {
  TempDevice dev;
  dev.writeFile("Program Files/Agent/Mirdak/QRVall.cfg", "<x/>");
  const WCHAR* file = WSTR("\\program files\\agent\\MIRDAK\\qrvall.cfg");
  EXPECT_EQ(GetFileAttributesW(file), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesW(WSTR("\\Program Files")),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesW(WSTR("\\Program Files\\Agent\\Mirdak\\QRVwm.cfg")),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(WSTR("\\..\\state")), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(DeleteFileW(file));
  EXPECT_EQ(GetFileAttributesW(file), INVALID_FILE_ATTRIBUTES);

  EXPECT_TRUE(CreateDirectoryW(WSTR("\\Temp"), nullptr));
  EXPECT_EQ(GetFileAttributesW(WSTR("\\TEMP")), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_TRUE(std::filesystem::is_directory(dev.file("Temp")));
}

}  // namespace
