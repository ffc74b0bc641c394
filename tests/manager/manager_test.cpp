// The configuration manager with a stand-in component: which documents reach the component,
// what the report log says, the export file, and the lock between processes.
#include "manager_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

using nlohmann::json;

const char* const kConfiguration =
    "<PARAM NAME=\"Device Configuration\" TYPE=\"configuration\">\n"
    "  <PARAM NAME=\"Group\" TYPE=\"NODE\" id=\"5\">\n"
    "    <PARAM NAME=\"Stub\" TYPE=\"COMPONENT\" id=\"70000\"/>\n"
    "  </PARAM>\n"
    "</PARAM>\n";

class StubManager : public ManagerDevice {
 public:
  StubManager() {
    installLibrary(STUB_COMPONENT_PATH, "Stub.dll");
    registerComponent("70000", "Stub component", "\\Windows\\Stub.dll", "StubApply", "StubSave");
  }
  std::string counter() const { return readFile("counter.txt"); }
};

TEST(ManagerApply, ReportsWhatIsWrongWithTheFile) {
  struct Case {
    const char* name;
    const char* content;  // null: no file
    std::string error;    // the start of the one error expected
    std::string errorEnd;
  };
  const Case cases[] = {
      {"missing file", nullptr, "Cannot load '\\Temp\\a.cfg': ", ""},
      {"not well-formed", "<PARAM TYPE=\"CONFIGURATION\">\n<PARAM>\n</X>\n</PARAM>\n",
       "Cannot load '\\Temp\\a.cfg': ", "(line 3)"},
      {"no CONFIGURATION element", "<PARAM TYPE=\"NODE\"><PARAM id=\"70000\"/></PARAM>",
       "'\\Temp\\a.cfg' has no element with TYPE \"CONFIGURATION\"", ""},
      {"no registered component",
       "<PARAM TYPE=\"CONFIGURATION\"><PARAM id=\"61000\"/></PARAM>",
       "'\\Temp\\a.cfg' holds no registered component", ""},
      {"registered component inside an unregistered one",
       "<PARAM TYPE=\"CONFIGURATION\"><PARAM TYPE=\"Component\" id=\"61000\">"
       "<PARAM TYPE=\"COMPONENT\" id=\"70000\"/></PARAM></PARAM>",
       "'\\Temp\\a.cfg' holds no registered component", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StubManager device;
    if (c.content) device.writeFile("Temp/a.cfg", c.content);
    ASSERT_TRUE(device.load());
    EXPECT_EQ(device.apply("\\Temp\\a.cfg"), -1);
    auto log = device.reportLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0]["call"], "applyConfiguration");
    EXPECT_EQ(log[0]["file"], "\\Temp\\a.cfg");
    ASSERT_EQ(log[0]["errors"].size(), 1u);
    const std::string error = log[0]["errors"][0];
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    if (!c.errorEnd.empty()) {
      EXPECT_EQ(error.substr(error.size() - c.errorEnd.size()), c.errorEnd) << error;
    }
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_TRUE(log[0]["warnings"].empty());
    EXPECT_EQ(device.counter(), "");  // the component was not called
  }
}

TEST(ManagerApply, RefusesAFileLargerThanOneMebibyteBeforeReadingIt) {
  constexpr std::size_t kLimit = 1024 * 1024;
  struct Case {
    const char* name;
    std::size_t size;
    bool applied;
  };
  const Case cases[] = {{"at the limit", kLimit, true}, {"one byte more", kLimit + 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StubManager device;
    // The same document, padded with a comment to the size.
    std::string document = std::string(kConfiguration) + "<!--";
    document += std::string(c.size - document.size() - 3, ' ') + "-->";
    device.writeFile("Temp/a.cfg", document);
    ASSERT_TRUE(device.load());
    EXPECT_EQ(device.apply("\\Temp\\a.cfg"), c.applied ? 0 : -1);
    auto log = device.reportLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(device.counter(), c.applied ? "1" : "");
    if (c.applied) {
      EXPECT_TRUE(log[0]["errors"].empty()) << log[0].dump();
    } else {
      EXPECT_EQ(log[0]["errors"], json::array({"Cannot load '\\Temp\\a.cfg': the file is larger than "
                                               "the 1048576 bytes (1 MiB) a configuration "
                                               "document may have"}));
    }
  }
}

TEST(ManagerApply, HandsTheDocumentToItsComponentAndLogsTheReport) {
  StubManager device;
  device.writeFile("Temp/a.cfg", kConfiguration);
  ASSERT_TRUE(device.load());
  EXPECT_EQ(device.apply("\\Temp\\a.cfg"), 0);
  EXPECT_EQ(device.apply("\\Temp\\a.cfg"), 0);
  device.unload();
  ASSERT_TRUE(device.load());
  EXPECT_EQ(device.apply("\\Temp\\a.cfg"), 0);

  // The library stays loaded across calls while the manager is, and goes with it.
  auto log = device.reportLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], json::parse(R"({"call": "applyConfiguration", "file": "\\Temp\\a.cfg",
                                    "errors": [], "warnings": ["apply 1"]})"));
  EXPECT_EQ(log[1]["warnings"], json::parse(R"(["apply 2"])"));
  EXPECT_EQ(log[2]["warnings"], json::parse(R"(["apply 1"])"));
  EXPECT_EQ(device.counter(), "3");
  EXPECT_TRUE(std::filesystem::exists(device.file("Temp/a.cfg")));  // left alone
}

TEST(ManagerApply, ComponentErrorsAndBrokenRegistrations) {
  struct Case {
    const char* name;
    const char* library;
    const char* applyEntry;
    const char* document;
    std::string error;
  };
  const char* const failing =
      "<PARAM TYPE=\"CONFIGURATION\"><PARAM id=\"70000\"><FAIL/></PARAM></PARAM>";
  const char* const plain = "<PARAM TYPE=\"CONFIGURATION\"><PARAM id=\"70000\"/></PARAM>";
  const Case cases[] = {
      {"component reports an error", "\\Windows\\Stub.dll", "StubApply", failing, "stub error"},
      {"library missing", "\\Windows\\Gone.dll", "StubApply", plain,
       "Cannot load the library '\\Windows\\Gone.dll' of component 'Stub component'"},
      {"apply entry missing", "\\Windows\\Stub.dll", "NoSuchEntry", plain,
       "The library '\\Windows\\Stub.dll' of component 'Stub component' has no apply entry "
       "'NoSuchEntry'"},
      {"apply entry throws", "\\Windows\\Stub.dll", "StubThrowApply", plain,
       "The apply entry of component 'Stub component' ended with an unexpected exception"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StubManager device;
    device.registerComponent("70000", "Stub component", c.library, c.applyEntry, "StubSave");
    device.writeFile("Temp/a.cfg", c.document);
    ASSERT_TRUE(device.load());
    EXPECT_EQ(device.apply("\\Temp\\a.cfg"), -1);
    auto log = device.reportLog();
    ASSERT_EQ(log.size(), 1u);
    ASSERT_EQ(log[0]["errors"].size(), 1u);
    EXPECT_EQ(log[0]["errors"][0], c.error);
  }
}

TEST(ManagerApply, FindsEachComponentOnceAndNotInsideAnother) {
  StubManager device;
  device.registerComponent("70001", "Other", "\\Windows\\Stub.dll", "StubApply", "StubSave");
  // 70001 inside 70000 belongs to 70000's subtree; 70000 twice is applied once.
  device.writeFile("Temp/a.cfg",
                   "<PARAM TYPE=\"CONFIGURATION\"><PARAM id=\"70000\"><PARAM id=\"70001\"/>"
                   "</PARAM><PARAM id=\"70000\"/></PARAM>");
  ASSERT_TRUE(device.load());
  EXPECT_EQ(device.apply("\\Temp\\a.cfg"), 0);
  EXPECT_EQ(device.counter(), "1");
}

TEST(ManagerExport, WritesTheFileAndNamesItWhenThePathFits) {
  const std::string path = "\\Temp\\CVConfiguration.xml";
  const std::int32_t exact = std::int32_t(path.size() + 1);
  struct Case {
    const char* name;
    std::int32_t capacity;
    std::string buffer;
  };
  const Case cases[] = {
      {"the launcher's buffer", 512, path},
      {"exactly room for the terminator", exact, path},
      {"one unit short", exact - 1, ""},
      {"a single unit", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StubManager device;
    ASSERT_TRUE(device.load());
    std::vector<WCHAR> buffer(600, u'#');
    EXPECT_EQ(device.getConfiguration(buffer.data(), c.capacity), 0);
    EXPECT_EQ(textToUtf8(buffer.data()), c.buffer);
    for (std::size_t i = std::size_t(c.capacity); i < buffer.size(); ++i) {
      ASSERT_EQ(buffer[i], u'#') << "written past the capacity at " << i;
    }
    const std::string written = device.readFile("Temp/CVConfiguration.xml");
    EXPECT_EQ(written.rfind("<?xml", 0), 0u) << written;
    EXPECT_NE(written.find("NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\""),
              std::string::npos) << written;
    EXPECT_NE(written.find("NAME=\"Stub\""), std::string::npos) << written;
    auto log = device.reportLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], json::parse(R"({"call": "getConfiguration",
                                      "file": "\\Temp\\CVConfiguration.xml",
                                      "errors": [], "warnings": ["save ''"]})"));
  }
}

TEST(ManagerExport, AComponentThatThrowsIsReportedAndTheOthersAreSaved) {
  StubManager device;
  device.registerComponent("70001", "Thrower", "\\Windows\\Stub.dll", "StubApply",
                           "StubThrowSave");
  ASSERT_TRUE(device.load());
  WCHAR buffer[512];
  EXPECT_EQ(device.getConfiguration(buffer, 512), -1);
  EXPECT_EQ(textToUtf8(buffer), "\\Temp\\CVConfiguration.xml");
  EXPECT_NE(device.readFile("Temp/CVConfiguration.xml").find("NAME=\"Stub\""), std::string::npos);
  auto log = device.reportLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0]["errors"],
            json::parse(R"(["The save entry of component 'Thrower' ended with an unexpected )"
                        R"(exception"])"));
}

TEST(ManagerExport, BrokenRegistrationsAreReportedAndTheOthersAreSaved) {
  struct Case {
    const char* name;
    const char* library;
    const char* saveEntry;
    std::string error;
  };
  const Case cases[] = {
      {"library missing", "\\Windows\\Gone.dll", "StubSave",
       "Cannot load the library '\\Windows\\Gone.dll' of component 'Broken'"},
      {"save entry missing", "\\Windows\\Stub.dll", "NoSuchEntry",
       "The library '\\Windows\\Stub.dll' of component 'Broken' has no save entry "
       "'NoSuchEntry'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StubManager device;
    device.registerComponent("70001", "Broken", c.library, "StubApply", c.saveEntry);
    ASSERT_TRUE(device.load());
    WCHAR buffer[512];
    EXPECT_EQ(device.getConfiguration(buffer, 512), -1);
    EXPECT_NE(device.readFile("Temp/CVConfiguration.xml").find("NAME=\"Stub\""),
              std::string::npos);
    auto log = device.reportLog();
    ASSERT_EQ(log.size(), 1u);
    ASSERT_EQ(log[0]["errors"].size(), 1u);
    EXPECT_EQ(log[0]["errors"][0], c.error);
  }
}

TEST(ManagerInfo, NamesTheManagerAndItsComponentsWithinTheCapacity) {
  StubManager device;
  ASSERT_TRUE(device.load());
  WCHAR buffer[512];
  EXPECT_EQ(device.getInfo(buffer, 512), 0);
  EXPECT_EQ(textToUtf8(buffer), "CVConfigManager 1.0: 70000 Stub component");

  WCHAR small[12];
  for (WCHAR& unit : small) unit = u'#';
  EXPECT_EQ(device.getInfo(small, 10), 0);
  EXPECT_EQ(textToUtf8(small), "CVConfigM");
  EXPECT_EQ(small[10], u'#');

  auto log = device.reportLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], json::parse(R"({"call": "getInfo", "file": "", "errors": [],
                                    "warnings": []})"));
}

// Two processes apply to one device at once, many times: every addition the component makes
// between its read and its write survives, so no call ran inside another.
TEST(ManagerLock, CallsOfTwoProcessesNeverInterleave) {
  StubManager device;
  device.writeFile("Temp/a.cfg", kConfiguration);
  const int perProcess = 60;
  const std::string command = std::string("\"") + APPLY_MANY_PATH + "\" \"" +
                              device.root().string() + "\" " + std::to_string(perProcess) +
                              " '\\Temp\\a.cfg'";
  int results[2] = {-1, -1};
  std::thread first([&] { results[0] = std::system(command.c_str()); });
  std::thread second([&] { results[1] = std::system(command.c_str()); });
  first.join();
  second.join();
  EXPECT_EQ(results[0], 0);
  EXPECT_EQ(results[1], 0);
  auto log = device.reportLog();
  ASSERT_EQ(log.size(), std::size_t(2 * perProcess));
  EXPECT_EQ(device.counter(), std::to_string(2 * perProcess)) << log.front().dump();
}

}  // namespace
