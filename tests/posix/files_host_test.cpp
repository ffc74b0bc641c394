// Device files that are special files of the host: refused at once, never waited on.
#include "platform/files.h"

#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(FilesOnTheHost, CopyOfAPipeIsRefusedWithoutWaitingForAWriter) {
  TempDevice dev;
  ASSERT_EQ(::mkfifo(dev.file("Pipe.cfg").c_str(), 0600), 0);
  EXPECT_FALSE(CopyFileW(WSTR("\\Pipe.cfg"), WSTR("\\Copy.cfg"), FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(std::filesystem::exists(dev.file("Copy.cfg")));
}

}  // namespace
