// The record rows against the frames' schemas that the document is read with: every row the
// document carries is a property of its frame with the row's id and type string, every
// property of a frame is a row, and the actions the store acts on are items of "Action" with
// the codes the store uses.
#include "hzkcore/document_ids.h"
#include "hzkcore/records.h"
#include "plugin/schema/builtin_schema.h"
#include "plugin/settings/handlers.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// A row as the schema should show it.
struct Row {
  std::int32_t id;
  std::string schemaText;
};

#define QRV_ROW_TEXT(member, documentId, schemaText, ...) rows[#member] = {documentId, schemaText};
#define QRV_ROW_NUMBER(member, type, initial, documentId, kind, schemaText, ...) \
  if (NumberKind::kind != NumberKind::Hidden) rows[#member] = {documentId, schemaText};

std::map<std::string, Row> applicationRows() {
  std::map<std::string, Row> rows;
  QRV_APPLICATION_FIELDS(QRV_ROW_TEXT, QRV_ROW_NUMBER)
  return rows;
}

std::map<std::string, Row> hotkeyRows() {
  std::map<std::string, Row> rows;
  QRV_HOTKEY_FIELDS(QRV_ROW_TEXT, QRV_ROW_NUMBER)
  return rows;
}

#undef QRV_ROW_TEXT
#undef QRV_ROW_NUMBER

// The type string of each entry with `handler`, by id.
std::map<std::int32_t, std::string> properties(const SchemaVersion& version, ParamHandler handler) {
  std::map<std::int32_t, std::string> found;
  for (std::uint32_t i = 0; i < entryCount(version); ++i) {
    const SchemaEntry& entry = version.entries[i];
    if (entry.handler == handler) found[entry.id] = textToUtf8(entry.text);
  }
  return found;
}

struct FrameCase {
  const char* frame;
  std::map<std::string, Row> rows;
  const SchemaVersion* version;
  ParamHandler handler;
};

TEST(RecordRows, EachFramePropertyIsOneRowWithItsIdAndTypeString) {
  const FrameCase cases[] = {
      {"application", applicationRows(), &ApplicationFrameVersions[0], ApplicationPropertyHandler},
      {"hotkey", hotkeyRows(), &HotkeyFrameVersions[0], HotkeyPropertyHandler},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.frame);
    std::map<std::int32_t, std::string> schema = properties(*c.version, c.handler);
    EXPECT_EQ(schema.size(), c.rows.size());
    for (const auto& [member, row] : c.rows) {
      auto property = schema.find(row.id);
      ASSERT_NE(property, schema.end()) << member;
      EXPECT_EQ(property->second, row.schemaText) << member;
    }
  }
}

// The VALUE of the item of "Action" that is shown as `name`, or -1 without one.
std::int32_t actionValue(const std::string& name) {
  const SchemaVersion& version = HotkeyFrameVersions[0];
  for (std::uint32_t i = 0; i < entryCount(version); ++i) {
    ParsedEntry parsed;
    ParseEntry(version.entries[i], &parsed);
    if (textToUtf8(parsed.body) != name) continue;
    const std::string value = textToUtf8(parsed.attributes);
    if (value.rfind("VALUE=", 0) == 0) return std::stoi(value.substr(6));
  }
  return -1;
}

TEST(RecordRows, TheActionsTheStoreActsOnAreItemsOfAction) {
  EXPECT_EQ(actionValue("No Action"), kNoAction);
  EXPECT_EQ(actionValue("Launch QRV Config"), kLaunchConfigAction);
  // A new stored hotkey has no action.
  std::int32_t initial = -1;
#define QRV_INITIAL_ACTION(member, type, value, ...) \
  if (std::string(#member) == "action") initial = value;
  QRV_HOTKEY_FIELDS(QRV_NO_FIELD, QRV_INITIAL_ACTION)
#undef QRV_INITIAL_ACTION
  EXPECT_EQ(initial, kNoAction);
}

}  // namespace
