// The floor of a run's cost: the XML library alone reading a document and writing it again,
// as the launcher's import and export each do at least once.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: xml_floor IN OUT\n");
    return 2;
  }
  xmlDocPtr document = xmlReadFile(argv[1], nullptr, XML_PARSE_NONET);
  if (document == nullptr) return 1;
  int written = xmlSaveFormatFileEnc(argv[2], document, "UTF-8", 1);
  xmlFreeDoc(document);
  xmlCleanupParser();
  return written < 0 ? 1 : 0;
}
