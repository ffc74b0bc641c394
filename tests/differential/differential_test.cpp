// The same scenarios on the emulated device and on Windows (under Wine) must leave the same
// device: settings, view settings, password, applications, hotkeys, error pages, the call
// journal and the report, and the same exported configuration as an XML tree.
//
// Runs when QRV_WINDOWS_BUILD_DIR names a Windows build (with its bin/qrvdevice.exe and
// image); skipped otherwise.
#include "support/host_shell.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

fs::path freshFolder(const char* stem) {
  static std::atomic<unsigned> counter{0};
  fs::path dir = fs::temp_directory_path() /
                 (std::string(stem) + "-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                  "-" + std::to_string(counter++));
  fs::create_directories(dir);
  return dir;
}

// One target's qrvdevice: how to run it, and where a device path lies on the host.
class Side {
 public:
  virtual ~Side() = default;
  virtual std::string name() const = 0;
  virtual std::string command() const = 0;
  virtual fs::path hostOf(const std::string& relative) const = 0;  // "Temp/out.xml"

  // Runs qrvdevice; its exit code, with standard output in `out`. qrvdevice says what went
  // wrong on every failure, so a failure with no output at all means it never started (Wine
  // can fail to start a program so, rarely, under load): that start is tried once more.
  int run(const std::vector<std::string>& args, std::string& out) const {
    std::string err;
    int code = runOnce(args, out, err);
    if (code != 0 && out.empty() && err.empty()) {
      std::cerr << name() << ": qrvdevice " << args.front() << " exited with " << code
                << " before saying anything; starting it once more\n";
      code = runOnce(args, out, err);
    }
    if (!err.empty()) std::cerr << name() << ": " << err;
    return code;
  }

 private:
  int runOnce(const std::vector<std::string>& args, std::string& out, std::string& err) const {
    fs::path scratch = freshFolder("qrv-differential-out");
    std::string line = command();
    for (const std::string& arg : args) line += " " + shellQuoted(arg);
    line += " >" + shellQuoted((scratch / "out").string()) + " 2>" +
            shellQuoted((scratch / "err").string());
    int status = std::system(line.c_str());
    out = readHostFile(scratch / "out");
    err = readHostFile(scratch / "err");
    fs::remove_all(scratch);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

class PosixSide : public Side {
 public:
  PosixSide() : root_(freshFolder("qrv-differential-device")) {}
  ~PosixSide() override { fs::remove_all(root_); }
  std::string name() const override { return "POSIX"; }
  std::string command() const override {
    return "QRV_DEVICE_ROOT=" + shellQuoted(root_.string()) + " " +
           shellQuoted(QRVDEVICE_PROGRAM);
  }
  fs::path hostOf(const std::string& relative) const override { return root_ / "files" / relative; }

 private:
  fs::path root_;
};

class WindowsSide : public Side {
 public:
  explicit WindowsSide(fs::path build) : build_(std::move(build)) {}
  std::string name() const override { return "Windows"; }
  std::string command() const override {
    return shellQuoted(QRV_WINE_RUN) + " " +
           shellQuoted((build_ / "bin" / "qrvdevice.exe").string());
  }
  fs::path hostOf(const std::string& relative) const override {
    return build_ / "wineprefix" / "drive_c" / relative;
  }

 private:
  fs::path build_;
};

// What a scenario leaves behind on one side.
struct Outcome {
  json state;          // show --json after the scenario's runs
  std::string exported;  // the configuration exported at the end
};

// The steps of a scenario. "@state", "@kiosk" and "@problems" name prepared host files;
// "@exported" the file that the last export wrote on this side.
struct Scenario {
  const char* name;
  std::vector<std::vector<std::string>> steps;
};

const char* kState = R"({
  "settings": {"1": 0, "4": 1, "5": 1, "32": 0},
  "viewSettings": {"1": 0, "21": 0},
  "password": "s3cret",
  "applications": [
    {"title": "Scanner", "executable": "\\Program Files\\Scan\\scan.exe", "arguments": "/fast",
     "iconFile": "\\Program Files\\Scan\\scan.ico", "runAtStartup": 1, "startupDelay": 5},
    {"title": "Notes", "executable": "\\Windows\\notes.exe", "arguments": "",
     "iconFile": "", "runAtStartup": 0, "startupDelay": 0}
  ],
  "hotkeys": [
    {"keyCode": 112, "modifiers": 0, "action": 0, "data": 1,
     "application": "\\Windows\\notes.exe", "arguments": "/new"},
    {"keyCode": 65, "modifiers": 2, "action": 3, "data": 7, "application": "", "arguments": ""}
  ]
})";

// Unknown ids, a value out of its range, a broken binHex password and an unknown version.
const char* kProblems = R"(<?xml version="1.0" encoding="UTF-8"?>
<PARAM NAME="Device Configuration" TYPE="CONFIGURATION">
  <PARAM NAME="Corvane Desktop Utility" TYPE="COMPONENT" id="61000" VERSION="1.0.1">
    <PARAM NAME="Admin" TYPE="NODE">
      <PARAM NAME="Enable QRV" TYPE="CHECK" id="61009" VALUE="7" />
      <PARAM NAME="Password" TYPE="STRING" id="61001" MIMETYPE="binHex" STRINGTYPE="PWD2" VALUE="zz1" />
      <PARAM NAME="Mystery" TYPE="INTEGER" id="61999" VALUE="1" />
    </PARAM>
    <PARAM NAME="Hotkeys" TYPE="COMPONENT" id="61007" VERSION="9.9.9" />
    <PARAM NAME="Windows Desktop" TYPE="NODE">
      <PARAM NAME="Taskbar" TYPE="FRAME">
        <PARAM NAME="Show Taskbar" TYPE="CHECK" id="61002" VALUE="not a number" />
      </PARAM>
    </PARAM>
  </PARAM>
</PARAM>
)";

const Scenario kScenarios[] = {
    {"save of a fresh device", {{"init", "--force"}, {"run", "/e", "\\Temp\\out.xml"}}},
    {"save of a loaded state with applications and hotkeys",
     {{"init", "--force"}, {"load", "@state"}, {"run", "/e", "\\Temp\\out.xml"}}},
    {"apply of the kiosk example",
     {{"init", "--force"}, {"push", "@kiosk", "QRVall.cfg"}, {"run"}, {"show"},
      {"run", "/e", "\\Temp\\out.xml"}}},
    {"round trip of a loaded state",
     {{"init", "--force"}, {"load", "@state"}, {"run", "/e", "\\Temp\\out.xml"},
      {"init", "--force"}, {"push", "@exported", "QRVall.cfg"}, {"run"}, {"show"},
      {"run", "/e", "\\Temp\\out.xml"}}},
    {"a document with problems",
     {{"init", "--force"}, {"push", "@problems", "QRVall.cfg"}, {"run"}, {"show"},
      {"run", "/e", "\\Temp\\out.xml"}}},
};

// Runs a scenario on one side. The last "show" is the state compared; without one, the state
// after the last step.
bool play(const Side& side, const Scenario& scenario, const fs::path& inputs, Outcome& outcome) {
  fs::path exportedCopy = inputs / (side.name() + "-exported.xml");
  bool shown = false;
  for (const auto& step : scenario.steps) {
    std::vector<std::string> args;
    bool show = step[0] == "show";
    if (show) {
      args = {"show", "--json"};
    } else {
      for (const std::string& arg : step) {
        if (arg == "@state") args.push_back((inputs / "state.json").string());
        else if (arg == "@kiosk") args.push_back((inputs / "kiosk.xml").string());
        else if (arg == "@problems") args.push_back((inputs / "problems.xml").string());
        else if (arg == "@exported") args.push_back(exportedCopy.string());
        else args.push_back(arg);
      }
    }
    std::string out;
    int code = side.run(args, out);
    if (code != 0) {
      ADD_FAILURE() << side.name() << ": qrvdevice " << step[0] << " exited with " << code;
      return false;
    }
    if (show) {
      outcome.state = json::parse(out, nullptr, false);
      shown = true;
    }
    if (step[0] == "run" && step.size() == 3 && step[1] == "/e") {
      outcome.exported = readHostFile(side.hostOf("Temp/out.xml"));
      writeHostFile(exportedCopy, outcome.exported);
    }
  }
  if (!shown) {
    std::string out;
    if (side.run({"show", "--json"}, out) != 0) return false;
    outcome.state = json::parse(out, nullptr, false);
  }
  return true;
}

// XML trees compared node by node: element names, attributes in order, comments and text,
// leaving out text that is only whitespace; the declaration is not part of the tree.
bool blank(const xmlNode* node) {
  if (node->type != XML_TEXT_NODE) return false;
  for (const xmlChar* c = node->content; c && *c; ++c) {
    if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n') return false;
  }
  return true;
}

std::string describe(const xmlNode* node) {
  std::string text = node->type == XML_ELEMENT_NODE ? "<" : "node ";
  text += node->name ? reinterpret_cast<const char*>(node->name) : "";
  for (const xmlAttr* a = node->type == XML_ELEMENT_NODE ? node->properties : nullptr; a;
       a = a->next) {
    xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
    text += std::string(" ") + reinterpret_cast<const char*>(a->name) + "=\"" +
            (value ? reinterpret_cast<const char*>(value) : "") + "\"";
    xmlFree(value);
  }
  if (node->type == XML_ELEMENT_NODE) return text + ">";
  return text + " \"" + (node->content ? reinterpret_cast<const char*>(node->content) : "") + "\"";
}

std::string firstDifference(const xmlNode* a, const xmlNode* b, const std::string& where) {
  if (describe(a) != describe(b)) {
    return where + ": " + describe(a) + " against " + describe(b);
  }
  const xmlNode* ca = a->children;
  const xmlNode* cb = b->children;
  for (int index = 0;; ++index) {
    while (ca && blank(ca)) ca = ca->next;
    while (cb && blank(cb)) cb = cb->next;
    if (!ca || !cb) {
      if (ca || cb) return where + ": child " + std::to_string(index) + " only on one side: " +
                           describe(ca ? ca : cb);
      return std::string();
    }
    std::string inner = firstDifference(ca, cb, where + "/" + describe(ca));
    if (!inner.empty()) return inner;
    ca = ca->next;
    cb = cb->next;
  }
}

std::string compareXml(const std::string& a, const std::string& b) {
  xmlDoc* da = xmlReadMemory(a.data(), static_cast<int>(a.size()), "a.xml", nullptr, XML_PARSE_NONET);
  xmlDoc* db = xmlReadMemory(b.data(), static_cast<int>(b.size()), "b.xml", nullptr, XML_PARSE_NONET);
  std::string difference;
  if (!da || !db) {
    difference = std::string("cannot read the export of ") + (!da ? "POSIX" : "Windows");
  } else {
    difference = firstDifference(xmlDocGetRootElement(da), xmlDocGetRootElement(db), "");
  }
  if (da) xmlFreeDoc(da);
  if (db) xmlFreeDoc(db);
  return difference;
}

TEST(Differential, BothTargetsLeaveTheSameDevice) {
  const char* build = std::getenv("QRV_WINDOWS_BUILD_DIR");
  if (!build || !*build) GTEST_SKIP() << "QRV_WINDOWS_BUILD_DIR names no Windows build";
  fs::path inputs = freshFolder("qrv-differential-inputs");
  writeHostFile(inputs / "state.json", kState);
  writeHostFile(inputs / "problems.xml", kProblems);
  fs::copy_file(fs::path(QRV_EXAMPLES_DIR) / "kiosk.xml", inputs / "kiosk.xml");

  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    PosixSide posix;
    WindowsSide windows{fs::path(build)};
    Outcome onPosix, onWindows;
    ASSERT_TRUE(play(posix, scenario, inputs, onPosix));
    ASSERT_TRUE(play(windows, scenario, inputs, onWindows));

    // Windows are not part of the comparison: only the emulated device lists them.
    for (json* state : {&onPosix.state, &onWindows.state}) {
      ASSERT_TRUE(state->is_object());
      state->erase("windows");
      state->erase("messages");
    }
    EXPECT_EQ(onPosix.state, onWindows.state)
        << "POSIX:   " << onPosix.state.dump() << "\nWindows: " << onWindows.state.dump();
    // Something was compared: the library was called and the component was exported.
    EXPECT_FALSE(onPosix.state["calls"].empty());
    ASSERT_NE(onPosix.exported.find("61000"), std::string::npos);
    EXPECT_EQ(compareXml(onPosix.exported, onWindows.exported), "");
  }
  fs::remove_all(inputs);
}

}  // namespace
