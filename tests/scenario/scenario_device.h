// A temporary emulated device driven through the qrvdevice program, as a person would: each
// command runs as a process and its exit code and output are kept for the test to look at.
// The device is a TempDevice that the programs are told of (QRV_DEVICE_ROOT).
#pragma once

#include "support/host_shell.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct CommandResult {
  int code = -1;
  std::string out;
  std::string err;
};

class ScenarioDevice : public TempDevice {
 public:
  ScenarioDevice() : TempDevice(Use::ThroughPrograms) {}

  // The shell command that runs qrvdevice with these arguments on this device.
  std::string commandText(const std::vector<std::string>& args) const {
    std::string command = "QRV_DEVICE_ROOT=" + shellQuoted(root().string()) + " " +
                          shellQuoted(QRVDEVICE_PROGRAM);
    for (const std::string& arg : args) command += " " + shellQuoted(arg);
    return command;
  }

  CommandResult run(const std::vector<std::string>& args) const { return runIn("", args); }

  // The same, started in the folder `dir` (the current one when empty), so that file names in
  // its output are as a person typing them there sees them.
  CommandResult runIn(const std::string& dir, const std::vector<std::string>& args) const {
    static std::atomic<unsigned> counter{0};
    std::string stem = (root() / ("cmd-" + std::to_string(counter++))).string();
    std::string command = "(" + (dir.empty() ? std::string() : "cd " + shellQuoted(dir) + " && ") +
                          commandText(args) + " >" + shellQuoted(stem + ".out") + " 2>" +
                          shellQuoted(stem + ".err") + "); echo $? >" +
                          shellQuoted(stem + ".code");
    if (std::system(command.c_str()) == -1) ADD_FAILURE() << "cannot start: " << command;
    CommandResult result;
    std::string code = readHostFile(stem + ".code");
    result.code = code.empty() ? -1 : std::atoi(code.c_str());
    result.out = readHostFile(stem + ".out");
    result.err = readHostFile(stem + ".err");
    std::error_code ignored;
    for (const char* suffix : {".out", ".err", ".code"}) std::filesystem::remove(stem + suffix, ignored);
    return result;
  }

  // Runs a command that must succeed.
  CommandResult ok(const std::vector<std::string>& args) const {
    CommandResult result = run(args);
    EXPECT_EQ(result.code, 0) << "qrvdevice " << joined(args) << "\n" << result.err;
    return result;
  }

  void init() const { ok({"init"}); }

  nlohmann::json state() const {
    CommandResult result = ok({"show", "--json"});
    return nlohmann::json::parse(result.out, nullptr, false);
  }

  // Loads a state given as JSON text; the state file lives beside the device.
  CommandResult load(const std::string& json) const {
    std::filesystem::path file = root() / "state-input.json";
    writeHostFile(file, json);
    return run({"load", file.string()});
  }

  // The report log's entries of the last run.
  nlohmann::json report() const { return state()["report"]; }

 private:
  static std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
    return text;
  }
};

// The calls of a report log as "call file" lines, for comparing a run's flow at a glance.
inline std::vector<std::string> reportCalls(const nlohmann::json& report) {
  std::vector<std::string> calls;
  for (const auto& entry : report) {
    std::string line = entry.value("call", "");
    std::string file = entry.value("file", "");
    if (!file.empty()) line += " " + file;
    calls.push_back(line);
  }
  return calls;
}

inline std::vector<std::string> reportTexts(const nlohmann::json& report, const char* kind) {
  std::vector<std::string> texts;
  for (const auto& entry : report) {
    for (const auto& text : entry[kind]) texts.push_back(text.get<std::string>());
  }
  return texts;
}

// A configuration document whose desktop component holds `inner` (elements of the component).
inline std::string configurationDocument(const std::string& inner,
                                         const std::string& version = "1.0.1") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\">\n"
         "<PARAM NAME=\"Corvane Desktop Utility\" TYPE=\"COMPONENT\" id=\"61000\" VERSION=\"" +
         version + "\">\n" + inner + "\n</PARAM>\n</PARAM>\n";
}

// The component's "Taskbar Enabled" switch (setting 1) set to `value`.
inline std::string taskbarDocument(int value) {
  return configurationDocument(
      "<PARAM NAME=\"Windows Desktop\" TYPE=\"NODE\"><PARAM NAME=\"Taskbar\" TYPE=\"FRAME\">"
      "<PARAM NAME=\"Taskbar Enabled\" TYPE=\"CHECK\" id=\"61003\" VALUE=\"" +
      std::to_string(value) + "\"/></PARAM></PARAM>");
}

// The browser's "Enable Cookies" switch (setting 32) set to `value`.
inline std::string cookiesDocument(int value) {
  return configurationDocument(
      "<PARAM NAME=\"IE\" TYPE=\"NODE\"><PARAM NAME=\"Interface\" TYPE=\"NODE\">"
      "<PARAM NAME=\"Enable Cookies\" TYPE=\"CHECK\" id=\"60032\" VALUE=\"" +
      std::to_string(value) + "\"/></PARAM></PARAM>");
}
