// Windows listed by the device state, and the messages sent to them.
#include "platform/device.h"
#include "platform/window.h"

#include "support/temp_device.h"

#include <gtest/gtest.h>

namespace {

void listWindows(const std::vector<std::string>& lines) {
  (void)device::clearStateFile("windows");
  for (const auto& line : lines) (void)device::appendStateLine("windows", line);
}

TEST(Windows, FindByClassAndTitle) {
  TempDevice dev;
  listWindows({"Application Selector\tApplication Selector", "Shell\tDesktop",
               "no tab here", "Shell\tTaskbar", "Caf\xC3\xA9\t"});
  struct Case {
    const char* name;
    const WCHAR* className;
    const WCHAR* title;
    bool found;
  };
  const Case cases[] = {
      {"both match", WSTR("Application Selector"), WSTR("Application Selector"), true},
      {"class differs in case", WSTR("application selector"), WSTR("Application Selector"),
       false},
      {"title differs", WSTR("Shell"), WSTR("Start"), false},
      {"any title", WSTR("Shell"), nullptr, true},
      {"any class", nullptr, WSTR("Taskbar"), true},
      {"non-ASCII class, empty title", WSTR("Caf\u00E9"), WSTR(""), true},
      {"a line without a tab is no window", WSTR("no tab here"), nullptr, false},
      {"nothing listed by that class", WSTR("Missing"), nullptr, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindWindowW(c.className, c.title) != nullptr, c.found) << c.name;
  }
  EXPECT_EQ(FindWindowW(WSTR("Shell"), nullptr), FindWindowW(WSTR("Shell"), WSTR("Desktop")));
  EXPECT_NE(FindWindowW(nullptr, WSTR("Taskbar")), FindWindowW(WSTR("Shell"), WSTR("Desktop")));
}

TEST(Windows, MessagesAreJournaled) {
  TempDevice dev;
  listWindows({"Application Selector\tApplication Selector", "Shell\tDesktop"});
  HWND selector = FindWindowW(WSTR("Application Selector"), WSTR("Application Selector"));
  ASSERT_NE(selector, nullptr);
  EXPECT_EQ(SendMessageW(selector, WM_USER + 4, 0, 0), 0);
  std::uintptr_t result = 99;
  EXPECT_NE(SendMessageTimeoutW(FindWindowW(WSTR("Shell"), nullptr), 17, 3, -2, SMTO_ABORTIFHUNG,
                                1000, &result),
            0);
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(device::readStateLines("messages"),
            (std::vector<std::string>{"Application Selector\tApplication Selector\t1028\t0\t0",
                                      "Shell\tDesktop\t17\t3\t-2"}));
}

TEST(Windows, NothingIsSentToAWindowThatIsGoneOrUnknown) {
  TempDevice dev;
  listWindows({"Application Selector\tApplication Selector"});
  HWND selector = FindWindowW(WSTR("Application Selector"), nullptr);
  ASSERT_NE(selector, nullptr);
  listWindows({});
  EXPECT_EQ(FindWindowW(WSTR("Application Selector"), nullptr), nullptr);
  EXPECT_EQ(SendMessageW(selector, WM_USER + 4, 0, 0), 0);
  std::uintptr_t result = 99;
  EXPECT_EQ(SendMessageTimeoutW(selector, WM_USER + 4, 0, 0, SMTO_NORMAL, 10, &result), 0);
  EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(12345)), 1, 0, 0), 0);
  EXPECT_EQ(SendMessageW(nullptr, 1, 0, 0), 0);
  EXPECT_TRUE(device::readStateLines("messages").empty());
}

}  // namespace
