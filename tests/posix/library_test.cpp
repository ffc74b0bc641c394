// Loading device libraries by device path and finding their entry points by name.
#include "platform/files.h"
#include "platform/library.h"

#include "support/temp_device.h"

#include <gtest/gtest.h>

#ifndef QRV_TEST_MODULE
#error "the build names the test module's file"
#endif

namespace {

TEST(Library, LoadsByDevicePathInAnyCase) {
  TempDevice dev;
  std::filesystem::create_directories(dev.file("Windows"));
  std::filesystem::copy_file(QRV_TEST_MODULE, dev.file("Windows/TestModule.dll"));
  HMODULE module = LoadLibraryW(WSTR("\\WINDOWS\\testmodule.DLL"));
  ASSERT_NE(module, nullptr);
  auto answer = reinterpret_cast<int (*)()>(GetProcAddress(module, "TestModuleAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(module, "NoSuchEntry"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_TRUE(FreeLibrary(module));
}

TEST(Library, FreeLibraryUnloadsSoStateStartsAfresh) {
  TempDevice dev;
  std::filesystem::copy_file(QRV_TEST_MODULE, dev.file("Counter.dll"));
  for (int load = 0; load < 2; ++load) {
    HMODULE module = LoadLibraryW(WSTR("\\Counter.dll"));
    ASSERT_NE(module, nullptr);
    auto count = reinterpret_cast<int (*)()>(GetProcAddress(module, "TestModuleCount"));
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count(), 1) << "load " << load;
    EXPECT_EQ(count(), 2) << "load " << load;
    EXPECT_TRUE(FreeLibrary(module));
  }
}

TEST(Library, FailuresGiveNullAndModuleNotFound) {
  TempDevice dev;
  dev.writeFile("Windows/Broken.dll", "not a library");
  const WCHAR* paths[] = {WSTR("\\Windows\\Missing.dll"), WSTR("\\Windows\\Broken.dll"),
                          WSTR("\\..\\state\\registry.reg")};
  for (const WCHAR* path : paths) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LoadLibraryW(path), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  }
  EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
}

}  // namespace
