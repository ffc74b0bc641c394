// The plug-in's exports: the tree a save gives, the calls a load and a commit make, the
// results and reports of the exports, and documents that try to misdirect the handlers.
#include "golden_tree.h"
#include "plugin_test_support.h"
#include "support/temp_device.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace plugintest {
namespace {

class ExportsTest : public PluginDeviceTest {
 protected:
  std::vector<std::string> calls() { return device::readStateLines("calls"); }

  // Applies a component given as text; returns the result and fills the report's texts.
  int apply(const std::string& component, std::vector<std::string>* warnings = nullptr,
            std::vector<std::string>* errors = nullptr) {
    Document configuration(inConfiguration(component));
    Document report(kEmptyReport);
    int result = QRV_ApplySettings(configuration.get(), report.get());
    if (warnings) *warnings = report.texts("WARNING");
    if (errors) *errors = report.texts("ERROR");
    return result;
  }
};

TEST_F(ExportsTest, SaveWritesTheWholeTreeOfTheNewestVersion) {
  store(sampleDevice());
  std::vector<std::string> warnings;
  std::string saved = saveDevice(WSTR(""), &warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_TRUE(matchesGolden("sample_save.xml", saved));
  // Saving reads and never writes.
  for (const std::string& line : calls()) EXPECT_EQ(line.rfind("Set", 0), std::string::npos) << line;
}

TEST_F(ExportsTest, SaveOfTheOlderVersionWritesThePasswordAsPwd1) {
  DeviceSettings d = sampleDevice();
  d.password = T("abc");
  store(d);
  std::string saved = saveDevice(WSTR("1.0.0"));
  EXPECT_TRUE(matchesGolden("sample_save_1.0.0.xml", saved));
}

TEST_F(ExportsTest, SaveWithAnUnknownLabelWritesTheNewestAndWarns) {
  store(sampleDevice());
  std::vector<std::string> warnings;
  std::string saved = saveDevice(WSTR("7.7"), &warnings);
  EXPECT_TRUE(matchesGolden("sample_save.xml", saved));
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("'7.7'"), std::string::npos) << warnings[0];
}

TEST_F(ExportsTest, SavingTwiceAppendsTwoComponents) {
  store(sampleDevice());
  Document configuration(kEmptyConfiguration);
  Document report(kEmptyReport);
  EXPECT_EQ(QRV_SaveSettings(configuration.get(), report.get(), WSTR("")), 0);
  EXPECT_EQ(QRV_SaveSettings(configuration.get(), report.get(), WSTR("")), 0);
  std::string component = goldenTree("sample_save.xml");
  std::string inner = component.substr(0, component.size() - std::string("</PARAM>").size());
  std::string body = inner.substr(inner.find("><") + 1);
  std::string twice = inner + body + "</PARAM>";
  EXPECT_EQ(normalised(configuration.xml()), twice);
}

TEST_F(ExportsTest, LoadAndCommitCallTheLibraryInOrderAroundTheWalk) {
  DeviceSettings d = defaultDeviceSettings();
  d.errorPages = defaultErrorPages();
  store(d);
  std::vector<std::string> warnings;
  EXPECT_EQ(apply(R"(<PARAM NAME="Corvane Desktop Utility" TYPE="COMPONENT" id="61000" VERSION="1.0.1">
      <PARAM NAME="Admin" TYPE="NODE"><PARAM NAME="Enable QRV" TYPE="CHECK" id="61009" VALUE="1"/></PARAM>
      <PARAM NAME="IE" TYPE="NODE"><PARAM NAME="Interface" TYPE="NODE">
        <PARAM NAME="Enable Toolbar" TYPE="CHECK" id="60001" VALUE="1"/></PARAM></PARAM>
      </PARAM>)", &warnings), 0);
  EXPECT_TRUE(warnings.empty());
  std::vector<std::string> expected = {
      // load
      "ReadErrorPageTable()", "GetSetting(4, 1)", "GetApplicationCount()", "GetApplications(0)",
      "GetHotkeyCount()", "GetHotkeys(0, 1)",
      // the walk
      "GetSetting(5, 1)", "SetSetting(5, 1, 1)", "SetViewSetting(21, 1, 1)", "SetSetting(21, 1, 1)",
      // commit
      "WriteErrorPageTable()", "SetApplications(0)", "GetSetting(4, 1)", "SetHotkeys(10)"};
  EXPECT_EQ(calls(), expected);
}

TEST_F(ExportsTest, WithQrvDisabledOnlyItsSwitchAndThePasswordAreApplied) {
  DeviceSettings d = defaultDeviceSettings();
  d.settings[5] = 0;
  store(d);
  EXPECT_EQ(apply(R"(<PARAM NAME="Corvane Desktop Utility" TYPE="COMPONENT" id="61000">
      <PARAM NAME="Taskbar Enabled" TYPE="CHECK" id="61003" VALUE="0"/>
      <PARAM NAME="Password" TYPE="STRING" id="61001" VALUE="new"/>
      <PARAM NAME="Enable Application Selector" TYPE="CHECK" id="61008" VALUE="1"/>
      <PARAM NAME="Enable Cookies" TYPE="CHECK" id="60032" VALUE="0"/>
      <PARAM NAME="Unknown" TYPE="CHECK" id="61030" VALUE="0"/>
      </PARAM>)"), 0);
  DeviceSettings after = read();
  EXPECT_EQ(after.settings[1], 1) << "taskbar switch held back by the gate";
  EXPECT_EQ(after.settings[4], 0) << "selector switch held back by the gate";
  EXPECT_EQ(after.password, T("new"));
  EXPECT_EQ(after.settings[32], 0) << "browser settings pass the gate";

  // Once the document switches QRV on, the general parameters after it follow.
  EXPECT_EQ(apply(R"(<PARAM NAME="Corvane Desktop Utility" TYPE="COMPONENT" id="61000">
      <PARAM NAME="Enable QRV" TYPE="CHECK" id="61009" VALUE="1"/>
      <PARAM NAME="Taskbar Enabled" TYPE="CHECK" id="61003" VALUE="0"/>
      </PARAM>)"), 0);
  EXPECT_EQ(read().settings[1], 0);
}

TEST_F(ExportsTest, IdsThatNameNoEntryArePassedOverInSilence) {
  store(defaultDeviceSettings());
  std::vector<std::string> warnings;
  EXPECT_EQ(apply(R"(<PARAM NAME="Corvane Desktop Utility" TYPE="COMPONENT" id="61000">
      <PARAM NAME="Odd One" TYPE="CHECK" id="61030" VALUE="0"/>
      <PARAM NAME="Odd Page" TYPE="STRING" id="60020" VALUE="x"/>
      </PARAM>)", &warnings), 0);
  EXPECT_TRUE(warnings.empty());
  DeviceSettings after = read();
  EXPECT_EQ(after.settings, defaultDeviceSettings().settings);
}

TEST_F(ExportsTest, ResultsAndReportsOfTheExports) {
  store(defaultDeviceSettings());
  struct Case {
    const char* what;
    std::string document;
    int expectedResult;
    std::vector<std::string> expectedWarnings;
    bool expectLoaded;
  } cases[] = {
      {"no CONFIGURATION element", R"(<PARAM NAME="x" TYPE="COMPONENT"/>)", -1, {}, false},
      {"top-level element without TYPE", R"(<PARAM NAME="x"/>)", -1, {}, false},
      {"TYPE in other letter case, no component",
       R"(<PARAM NAME="Dev" TYPE="configuration"><PARAM NAME="Other" TYPE="COMPONENT" id="5"/></PARAM>)",
       0,
       {"Child node of 'Dev' with index '61000' not found"},
       true},
      {"a percent sign in a message reaches the report unchanged",
       R"(<PARAM NAME="100%s %i" TYPE="CONFIGURATION"/>)",
       0,
       {"Child node of '100%s %i' with index '61000' not found"},
       true},
  };
  for (const Case& c : cases) {
    (void)device::clearStateFile("calls");
    Document configuration(c.document);
    Document report(kEmptyReport);
    std::string reportBefore = report.xml();
    EXPECT_EQ(QRV_ApplySettings(configuration.get(), report.get()), c.expectedResult) << c.what;
    EXPECT_EQ(report.texts("WARNING"), c.expectedWarnings) << c.what;
    EXPECT_TRUE(report.texts("ERROR").empty()) << c.what;
    if (!c.expectLoaded) {
      EXPECT_EQ(report.xml(), reportBefore) << c.what;
      EXPECT_TRUE(calls().empty()) << c.what << ": nothing loaded or committed";
    } else {
      std::vector<std::string> lines = calls();
      ASSERT_FALSE(lines.empty()) << c.what;
      EXPECT_EQ(lines.front(), "ReadErrorPageTable()") << c.what;
      EXPECT_EQ(lines.back().rfind("SetHotkeys(", 0), 0u) << c.what << ": committed as loaded";
    }
  }
  Document configuration(R"(<PARAM NAME="x" TYPE="NODE"/>)");
  Document report(kEmptyReport);
  EXPECT_EQ(QRV_SaveSettings(configuration.get(), report.get(), WSTR("")), -1);
  EXPECT_EQ(QRV_ApplySettings(nullptr, report.get()), -1);
}

// A configuration document that fails in a way no configuration code expects: it throws a
// foreign exception when asked to create an element.
class ThrowingDocument : public IXMLDOMDocument {
 public:
  explicit ThrowingDocument(IXMLDOMDocument* inner) : inner_(inner) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IXMLDOMNode || riid == IID_IXMLDOMDocument) {
      *object = this;
      return S_OK;
    }
    return inner_->QueryInterface(riid, object);
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT get_nodeName(BSTR* v) override { return inner_->get_nodeName(v); }
  HRESULT get_nodeType(DOMNodeType* v) override { return inner_->get_nodeType(v); }
  HRESULT get_parentNode(IXMLDOMNode** v) override { return inner_->get_parentNode(v); }
  HRESULT get_childNodes(IXMLDOMNodeList** v) override { return inner_->get_childNodes(v); }
  HRESULT get_firstChild(IXMLDOMNode** v) override { return inner_->get_firstChild(v); }
  HRESULT get_nextSibling(IXMLDOMNode** v) override { return inner_->get_nextSibling(v); }
  HRESULT get_ownerDocument(IXMLDOMDocument** v) override { return inner_->get_ownerDocument(v); }
  HRESULT appendChild(IXMLDOMNode* c, IXMLDOMNode** o) override { return inner_->appendChild(c, o); }
  HRESULT removeChild(IXMLDOMNode* c, IXMLDOMNode** o) override { return inner_->removeChild(c, o); }
  HRESULT get_text(BSTR* v) override { return inner_->get_text(v); }
  HRESULT put_text(BSTR v) override { return inner_->put_text(v); }
  HRESULT put_nodeTypedValue(VARIANT v) override { return inner_->put_nodeTypedValue(v); }
  HRESULT get_xml(BSTR* v) override { return inner_->get_xml(v); }
  HRESULT get_documentElement(IXMLDOMElement** v) override { return inner_->get_documentElement(v); }
  HRESULT createElement(BSTR, IXMLDOMElement**) override {
    throw std::runtime_error("out of elements");
  }
  HRESULT getElementsByTagName(BSTR n, IXMLDOMNodeList** l) override {
    return inner_->getElementsByTagName(n, l);
  }
  HRESULT load(VARIANT s, VARIANT_BOOL* ok) override { return inner_->load(s, ok); }
  HRESULT loadXML(BSTR x, VARIANT_BOOL* ok) override { return inner_->loadXML(x, ok); }
  HRESULT save(VARIANT d) override { return inner_->save(d); }
  HRESULT get_parseError(IXMLDOMParseError** e) override { return inner_->get_parseError(e); }
  HRESULT put_async(VARIANT_BOOL a) override { return inner_->put_async(a); }

 private:
  IXMLDOMDocument* inner_;
};

TEST_F(ExportsTest, AForeignExceptionIsAnErrorAndNeverEscapes) {
  store(defaultDeviceSettings());
  Document inner(kEmptyConfiguration);
  ThrowingDocument configuration(inner.get());
  Document report(kEmptyReport);
  int result = 0;
  EXPECT_NO_THROW(result = QRV_SaveSettings(&configuration, report.get(), WSTR("")));
  EXPECT_EQ(result, -1);
  EXPECT_EQ(report.texts("ERROR"), std::vector<std::string>{"Unknown error occurred."});
}

TEST_F(ExportsTest, PropertiesGoToTheFrameBeingWalkedWhateverHoldsThem) {
  DeviceSettings d = defaultDeviceSettings();
  StoredAppEntry a;
  a.title = T("First");
  d.applications = {a, a, a, a, a, a};
  store(d);
  std::vector<std::string> warnings;
  // Application 3's title sits in a NODE without id; application 1 holds a NODE with the id of
  // application 6's frame. Both writes stay with their own frame.
  EXPECT_EQ(apply(R"(<PARAM NAME="Corvane Desktop Utility" TYPE="COMPONENT" id="61000">
      <PARAM NAME="Authorized Applications" TYPE="COMPONENT" id="61006" VERSION="1.0.0">
        <PARAM NAME="Application 3" TYPE="FRAME" id="62102" VERSION="1.0.0">
          <PARAM NAME="Loose" TYPE="NODE">
            <PARAM NAME="Application Title" TYPE="STRING" id="0" VALUE="Third"/>
          </PARAM>
        </PARAM>
        <PARAM NAME="Application 1" TYPE="FRAME" id="62100" VERSION="1.0.0">
          <PARAM NAME="Disguised" TYPE="NODE" id="62105">
            <PARAM NAME="Application Title" TYPE="STRING" id="0" VALUE="One"/>
          </PARAM>
        </PARAM>
      </PARAM>
      <PARAM NAME="Hotkeys" TYPE="COMPONENT" id="61007" VERSION="1.0.0">
        <PARAM NAME="F1" TYPE="FRAME" id="62000" VERSION="1.0.0">
          <PARAM NAME="Loose" TYPE="NODE" id="62007">
            <PARAM NAME="Action" TYPE="ENUM" id="0" VALUE="Start Menu"><ENUM NAME="Start Menu" VALUE="16"/></PARAM>
          </PARAM>
        </PARAM>
      </PARAM>
      </PARAM>)", &warnings), 0);
  EXPECT_TRUE(warnings.empty());
  DeviceSettings after = read();
  ASSERT_EQ(after.applications.size(), 6u);
  std::vector<std::string> titles;
  for (const StoredAppEntry& s : after.applications) titles.push_back(textToUtf8(s.title.c_str()));
  EXPECT_EQ(titles, (std::vector<std::string>{"One", "First", "Third", "First", "First", "First"}));
  for (const StoredHotkeyEntry& h : after.hotkeys) {
    EXPECT_EQ(h.action, h.keyCode == 179 ? 16 : kNoAction) << h.keyCode;
  }
}

TEST_F(ExportsTest, FramesBeyondTheTablesArePassedOver) {
  store(defaultDeviceSettings());
  std::string frames;
  for (int id = 62100; id < 62125; ++id) {
    frames += "<PARAM NAME=\"A\" TYPE=\"FRAME\" id=\"" + std::to_string(id) +
              "\" VERSION=\"1.0.0\"><PARAM NAME=\"Application Title\" TYPE=\"STRING\" id=\"0\" VALUE=\"T" +
              std::to_string(id) + "\"/></PARAM>";
  }
  // Hotkey frames exist only for occupied slots: 62010 onwards names no hotkey here.
  std::vector<std::string> warnings;
  EXPECT_EQ(apply(R"(<PARAM NAME="Corvane Desktop Utility" TYPE="COMPONENT" id="61000">
      <PARAM NAME="Authorized Applications" TYPE="COMPONENT" id="61006" VERSION="1.0.0">)" + frames +
                  R"(</PARAM><PARAM NAME="Hotkeys" TYPE="COMPONENT" id="61007" VERSION="1.0.0">
        <PARAM NAME="X" TYPE="FRAME" id="62010" VERSION="1.0.0">
          <PARAM NAME="VirtualKey" TYPE="HIDDEN" id="3" VALUE="65"/></PARAM>
      </PARAM></PARAM>)", &warnings), 0);
  EXPECT_TRUE(warnings.empty());
  DeviceSettings after = read();
  ASSERT_EQ(after.applications.size(), 20u);
  EXPECT_EQ(after.applications[19].title, T("T62119"));
  EXPECT_EQ(after.hotkeys.size(), 10u);
  for (const StoredHotkeyEntry& h : after.hotkeys) EXPECT_NE(h.keyCode, 65u);
}

}  // namespace
}  // namespace plugintest
