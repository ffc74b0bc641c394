// Speed of the plug-in's two exports on a device with a full launcher menu and many hotkeys:
// Save of the whole component, and Apply of that saved document back onto the device.
#include "hzkcore/device_settings.h"
#include "platform/xmldom.h"
#include "plugin/entry/exports.h"
#include "support/temp_device.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

Text T(const std::string& s) { return textFromUtf8(s); }

// A device root of its own holding 20 applications and `hotkeys` extra hotkeys.
class BenchDevice {
 public:
  explicit BenchDevice(int hotkeys) {
    DeviceSettings settings = defaultDeviceSettings();
    for (int i = 0; i < 20; ++i) {
      StoredAppEntry app;
      app.title = T("Application " + std::to_string(i));
      app.executable = T("\\Program Files\\App" + std::to_string(i) + "\\app.exe");
      app.arguments = T("/mode " + std::to_string(i));
      settings.applications.push_back(app);
    }
    for (int i = 0; i < hotkeys; ++i) {
      StoredHotkeyEntry key;
      key.keyCode = 65 + static_cast<std::uint32_t>(i % 26);
      key.modifiers = 1 + static_cast<std::uint32_t>(i / 26) % 3;
      key.action = 0;
      key.application = T("\\Windows\\tool" + std::to_string(i) + ".exe");
      settings.hotkeys.push_back(key);
    }
    (void)writeDeviceSettings(settings);
  }

 private:
  TempDevice device_;
};

IXMLDOMDocument* documentFrom(const char* xml) {
  IXMLDOMDocument* document = nullptr;
  CreateXmlDocument(&document);
  Text text = T(xml);
  BSTR b = SysAllocString(text.c_str());
  VARIANT_BOOL ok = VARIANT_FALSE;
  document->loadXML(b, &ok);
  SysFreeString(b);
  return document;
}

const char kConfiguration[] = "<PARAM NAME=\"Device\" TYPE=\"CONFIGURATION\"/>";
const char kReport[] = "<REPORT><ERRORS/><WARNINGS/></REPORT>";

void BM_SaveComponent(benchmark::State& state) {
  BenchDevice dev(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    IXMLDOMDocument* configuration = documentFrom(kConfiguration);
    IXMLDOMDocument* report = documentFrom(kReport);
    benchmark::DoNotOptimize(QRV_SaveSettings(configuration, report, WSTR("")));
    configuration->Release();
    report->Release();
  }
}
BENCHMARK(BM_SaveComponent)->Arg(0)->Arg(60)->Unit(benchmark::kMillisecond);

void BM_ApplySavedComponent(benchmark::State& state) {
  BenchDevice dev(static_cast<int>(state.range(0)));
  IXMLDOMDocument* configuration = documentFrom(kConfiguration);
  IXMLDOMDocument* report = documentFrom(kReport);
  QRV_SaveSettings(configuration, report, WSTR(""));
  for (auto _ : state) {
    benchmark::DoNotOptimize(QRV_ApplySettings(configuration, report));
  }
  configuration->Release();
  report->Release();
}
BENCHMARK(BM_ApplySavedComponent)->Arg(0)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
