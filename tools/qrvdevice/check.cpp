// Checking a document: the device's own DOM reads it (so that what it refuses, the check
// refuses), libxml2 says where each element stands, and the checker walks it.
#include "tools/qrvdevice/check.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/com_ref.h"
#include "platform/device.h"
#include "tools/qrvdevice/check_walk.h"

namespace fs = std::filesystem;

namespace {

// Loads the document as the manager does: by a device path, through the platform's DOM. The
// file is laid into a device of its own for the moment, so that no device is touched.
bool loadAsTheDeviceDoes(const std::string& bytes, ComRef<IXMLDOMDocument>& document,
                         SourcePosition& where, std::string& reason) {
  static std::atomic<unsigned> counter{0};
  fs::path scratch = fs::temp_directory_path() /
                     ("qrvdevice-check-" + std::to_string(std::random_device()()) + "-" +
                      std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                      "-" + std::to_string(counter++));
  std::error_code error;
  fs::create_directories(scratch / "files", error);
  if (error) {
    reason = "cannot make a scratch folder in " + fs::temp_directory_path().string();
    return false;
  }
  std::ofstream(scratch / "files" / "document.xml", std::ios::binary) << bytes;

  const std::string previous = device::rootDir();
  device::setRootDir(scratch.string());
  bool loaded = false;
  if (SUCCEEDED(CreateXmlDocument(document.out())) && document) {
    document->put_async(VARIANT_FALSE);
    Variant source;
    source.setString(WSTR("\\document.xml"));
    VARIANT_BOOL ok = VARIANT_FALSE;
    loaded = SUCCEEDED(document->load(source.get(), &ok)) && ok == VARIANT_TRUE;
    if (!loaded) {
      ComRef<IXMLDOMParseError> parseError;
      BString text;
      long line = 0, column = 0;
      if (SUCCEEDED(document->get_parseError(parseError.out())) && parseError &&
          SUCCEEDED(parseError->get_reason(text.out()))) {
        reason = textToUtf8(text.text().c_str());
        parseError->get_line(&line);
        parseError->get_linepos(&column);
      }
      where = {static_cast<std::size_t>(line > 0 ? line : 1),
               static_cast<std::size_t>(column > 0 ? column : 1)};
    }
  }
  device::setRootDir(previous);
  fs::remove_all(scratch, error);
  return loaded;
}

}  // namespace

std::vector<Finding> checkDocument(const std::string& bytes, const CheckDevice& device) {
  std::vector<Finding> findings;
  ComRef<IXMLDOMDocument> document;
  SourcePosition where;
  std::string reason;
  if (!loadAsTheDeviceDoes(bytes, document, where, reason)) {
    // One line: the parser's reason may run over several.
    for (char& c : reason) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    while (!reason.empty() && (reason.back() == ' ' || reason.back() == '.')) reason.pop_back();
    findings.push_back({where.line ? where.line : 1, where.column ? where.column : 1,
                        Severity::Error, "xml-unreadable",
                        "the device cannot read this document (" +
                            (reason.empty() ? "no reason given" : reason) +
                            "): it applies nothing"});
    return findings;
  }
  SourcePositions positions;
  positions.read(bytes);
  Checker checker(device, positions, findings);
  checker.checkDocument(document.get());
  sortFindings(findings);
  return findings;
}
