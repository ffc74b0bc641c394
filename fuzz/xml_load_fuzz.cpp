// Fuzz target: loadXML of arbitrary text. A document that loads must serialise, and what it
// serialises to must load again to the same text; a refusal carries an error code.
#include "fuzz/fuzz_check.h"
#include "platform/xmldom.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

Text serialised(IXMLDOMDocument* document) {
  BSTR xml = nullptr;
  FUZZ_CHECK(SUCCEEDED(document->get_xml(&xml)), "a loaded document serialises");
  Text text(xml, SysStringLen(xml));
  SysFreeString(xml);
  return text;
}

bool load(IXMLDOMDocument* document, const Text& text) {
  BSTR source = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  VARIANT_BOOL ok = VARIANT_FALSE;
  document->loadXML(source, &ok);
  SysFreeString(source);
  return ok == VARIANT_TRUE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text input = textFromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  IXMLDOMDocument* document = nullptr;
  if (FAILED(CreateXmlDocument(&document))) return 0;
  if (load(document, input)) {
    const Text first = serialised(document);
    FUZZ_CHECK(load(document, first), "what a document serialises to loads again");
    FUZZ_CHECK(serialised(document) == first, "and serialises to the same text");
    // Walk everything the way the plug-in does.
    BSTR all = SysAllocString(WSTR("*"));
    IXMLDOMNodeList* list = nullptr;
    if (SUCCEEDED(document->getElementsByTagName(all, &list))) {
      IXMLDOMNode* node = nullptr;
      while (list->nextNode(&node) == S_OK) {
        BSTR text = nullptr;
        node->get_text(&text);
        SysFreeString(text);
        node->Release();
      }
      list->Release();
    }
    SysFreeString(all);
  } else {
    IXMLDOMParseError* error = nullptr;
    long code = 0;
    FUZZ_CHECK(SUCCEEDED(document->get_parseError(&error)) && SUCCEEDED(error->get_errorCode(&code)) &&
                   code != 0,
               "a refused text has an error code");
    error->Release();
  }
  document->Release();
  return 0;
}
