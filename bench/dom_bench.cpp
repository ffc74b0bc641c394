// Load, save and walk of a configuration-sized XML document (a few thousand elements).
#include "platform/xmldom.h"
#include "support/temp_device.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

// A configuration document shaped like an export: a component with `params` parameters, each
// with a range or a few enumeration items.
Text configuration(int params) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<PARAM NAME=\"Device Configuration\" TYPE=\"CONFIGURATION\">\n"
      "  <PARAM NAME=\"Desktop Utility\" TYPE=\"COMPONENT\" id=\"61000\" VERSION=\"2.0\">\n";
  for (int i = 0; i < params; ++i) {
    const std::string id = std::to_string(60000 + i);
    if (i % 3 == 0) {
      xml += "    <PARAM NAME=\"Choice " + id + "\" TYPE=\"ENUM\" id=\"" + id + "\" VALUE=\"Second\">\n"
             "      <ENUM NAME=\"First\" VALUE=\"0\"/>\n      <ENUM NAME=\"Second\" VALUE=\"1\"/>\n"
             "      <ENUM NAME=\"Third\" VALUE=\"2\"/>\n    </PARAM>\n";
    } else {
      xml += "    <PARAM NAME=\"Number " + id + "\" TYPE=\"INTEGER\" id=\"" + id + "\" VALUE=\"" +
             std::to_string(i) + "\">\n      <MIN>0</MIN>\n      <MAX>65535</MAX>\n    </PARAM>\n";
    }
  }
  xml += "  </PARAM>\n</PARAM>\n";
  return textFromUtf8(xml);
}

IXMLDOMDocument* loaded(const Text& xml) {
  IXMLDOMDocument* document = nullptr;
  CreateXmlDocument(&document);
  BSTR text = SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size()));
  VARIANT_BOOL ok = VARIANT_FALSE;
  document->loadXML(text, &ok);
  SysFreeString(text);
  return document;
}

void BM_LoadXml(benchmark::State& state) {
  const Text xml = configuration(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    IXMLDOMDocument* document = loaded(xml);
    benchmark::DoNotOptimize(document);
    document->Release();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(xml.size() * sizeof(WCHAR)));
}

void BM_SaveFile(benchmark::State& state) {
  TempDevice device;
  std::filesystem::create_directories(device.file("Temp"));
  IXMLDOMDocument* document = loaded(configuration(static_cast<int>(state.range(0))));
  VARIANT path;
  VariantInit(&path);
  path.vt = VT_BSTR;
  path.bstrVal = SysAllocString(WSTR("\\Temp\\bench.xml"));
  for (auto _ : state) {
    if (FAILED(document->save(path))) state.SkipWithError("save failed");
  }
  VariantClear(&path);
  document->Release();
}

void BM_LoadFile(benchmark::State& state) {
  TempDevice device;
  std::filesystem::create_directories(device.file("Temp"));
  VARIANT path;
  VariantInit(&path);
  path.vt = VT_BSTR;
  path.bstrVal = SysAllocString(WSTR("\\Temp\\bench.xml"));
  IXMLDOMDocument* source = loaded(configuration(static_cast<int>(state.range(0))));
  source->save(path);
  source->Release();
  for (auto _ : state) {
    IXMLDOMDocument* document = nullptr;
    CreateXmlDocument(&document);
    VARIANT_BOOL ok = VARIANT_FALSE;
    document->load(path, &ok);
    if (ok != VARIANT_TRUE) state.SkipWithError("load failed");
    document->Release();
  }
  VariantClear(&path);
}

// What the plug-in does on apply: find every parameter and read its attributes.
void BM_WalkParams(benchmark::State& state) {
  IXMLDOMDocument* document = loaded(configuration(static_cast<int>(state.range(0))));
  BSTR tag = SysAllocString(WSTR("PARAM"));
  BSTR id = SysAllocString(WSTR("id"));
  for (auto _ : state) {
    IXMLDOMNodeList* list = nullptr;
    document->getElementsByTagName(tag, &list);
    IXMLDOMNode* node = nullptr;
    while (list->nextNode(&node) == S_OK) {
      IXMLDOMElement* element = nullptr;
      node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element));
      VARIANT value;
      element->getAttribute(id, &value);
      VariantClear(&value);
      element->Release();
      node->Release();
    }
    list->Release();
  }
  SysFreeString(id);
  SysFreeString(tag);
  document->Release();
}

BENCHMARK(BM_LoadXml)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFile)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFile)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkParams)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
