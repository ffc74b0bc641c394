// The two records that the settings library keeps, applications and hotkeys, described once:
// one row per field. Every copy of a record is written from these rows: the library's registry
// reads and writes and its exported operations, the plug-in's property handlers, its store and
// the application frame's schema, and the tool's JSON state. Adding a field to an application
// is one row below, its member in the exported layout (AppEntry in hzkcore.h) and whatever
// else the document needs.
#pragma once

#include <cstdint>

// The most records of each kind the device keeps; longer lists are cut where they are stored.
constexpr int kApplicationCapacity = 20;
constexpr int kHotkeyCapacity = 100;

// The hotkey action codes that the store itself acts on; the others only travel.
constexpr std::int32_t kNoAction = 6;
constexpr std::int32_t kLaunchConfigAction = 3;  // "Launch QRV Config"

// How the document writes a number field: in signed or in unsigned decimal, whatever the
// member's own type, or not at all (a field the library keeps for itself).
enum class NumberKind { Signed, Unsigned, Hidden };

// The rows. A field's member has the same name in the stored record (StoredAppEntry,
// StoredHotkeyEntry), in the exported one (AppEntry, HotkeyEntry) and in the JSON state.
//
//   TEXT(member, documentId, schemaText, registryName)
//     a text; in the exported record a WCHAR array, whose size is the field's capacity with
//     its terminator.
//   NUMBER(member, type, initial, documentId, kind, schemaText, registryName)
//     a 32-bit number of that type, `initial` in a new record.
//
// documentId is the property's id in its frame (-1 for none) and schemaText the property's
// type string in the frame's schema. The rows stand in the order of the registry values.
#define QRV_APPLICATION_FIELDS(TEXT, NUMBER)                                                   \
  TEXT(title, 0, "STRING Application Title", "Title")                                          \
  TEXT(executable, 1, "STRING Executable", "Executable")                                       \
  TEXT(arguments, 2, "STRING Arguments", "Arguments")                                          \
  TEXT(iconFile, 3, "STRING Icon File", "IconFile")                                            \
  NUMBER(runAtStartup, std::int32_t, 0, 4, Unsigned, "CHECK Run at startup", "RunAtStartup")   \
  NUMBER(startupDelay, std::int32_t, 0, 5, Unsigned, "INTEGER Delay at startup (Seconds)",     \
         "StartupDelay")

// The hotkey frame's schema sets its properties among the action's items and a node of their
// own, so it is written out in the built-in schema; a test holds it to these rows.
#define QRV_HOTKEY_FIELDS(TEXT, NUMBER)                                                        \
  NUMBER(keyCode, std::uint32_t, 0, 3, Unsigned, "| HIDDEN VirtualKey", "KeyCode")             \
  NUMBER(modifiers, std::uint32_t, 0, 4, Unsigned, "| HIDDEN Modifiers", "Modifiers")          \
  NUMBER(action, std::int32_t, kNoAction, 0, Signed, "ENUM Action", "Action")                  \
  NUMBER(data, std::int32_t, 0, -1, Hidden, "", "Data")                                        \
  TEXT(application, 1, "STRING Application EXE", "Application")                               \
  TEXT(arguments, 2, "STRING Arguments", "Arguments")

// A row macro for the rows a copy leaves alone.
#define QRV_NO_FIELD(...)

// The properties' ids by field, as the frames' schemas and the handlers use them:
// ApplicationProperty::iconFile is 3.
#define QRV_PROPERTY_ID_TEXT(member, documentId, ...) member = documentId,
#define QRV_PROPERTY_ID_NUMBER(member, type, initial, documentId, ...) member = documentId,
struct ApplicationProperty {
  enum : std::int32_t { QRV_APPLICATION_FIELDS(QRV_PROPERTY_ID_TEXT, QRV_PROPERTY_ID_NUMBER) };
};
struct HotkeyProperty {
  enum : std::int32_t { QRV_HOTKEY_FIELDS(QRV_PROPERTY_ID_TEXT, QRV_PROPERTY_ID_NUMBER) };
};
#undef QRV_PROPERTY_ID_TEXT
#undef QRV_PROPERTY_ID_NUMBER
