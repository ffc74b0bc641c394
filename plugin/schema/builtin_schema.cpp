// The schema the plug-in carries: both versions of the component's schema and the schemas of
// one application frame and one hotkey frame.
#include "plugin/schema/builtin_schema.h"

#include "plugin/schema/filters.h"
#include "plugin/settings/handlers.h"

namespace {

// Each text is the type string, then its attribute strings, each ended by a NUL; the zeros
// that fill the rest of the record end the attribute list.
#define QRV_PAGE(name, id) \
  {WSTR("  | STRING " name "\0MIMETYPE=binHex"), id, BrowserParamHandler, nullptr}

// The two root versions differ only in how the password is encoded in the document.
#define QRV_ROOT_ENTRIES(passwordType)                                                        \
  {WSTR("NODE Admin"), -1, nullptr, nullptr},                                                 \
      {WSTR("| CHECK Enable QRV"), 61009, GeneralParamHandler, nullptr},                      \
      {WSTR("| STRING Password\0MIMETYPE=binHex\0STRINGTYPE=" passwordType), 61001,           \
       GeneralParamHandler, nullptr},                                                         \
      {WSTR("NODE Hotkeys"), 61007, HotkeyListHandler, nullptr},                              \
      {WSTR("NODE IE"), -1, nullptr, nullptr},                                                \
      {WSTR("+ NODE Interface"), -1, nullptr, nullptr},                                       \
      {WSTR("  + CHECK Enable Address Bar"), 60000, BrowserParamHandler, nullptr},            \
      {WSTR("  + CHECK Enable Toolbar"), 60001, BrowserParamHandler, HideAlways},             \
      {WSTR("  + CHECK Enable Status Bar"), 60002, BrowserParamHandler, HideAlways},          \
      {WSTR("  + CHECK Enable Menu Bar"), 60003, BrowserParamHandler, HideAlways},            \
      {WSTR("  + CHECK Warn when leaving a secure page"), 60030, BrowserParamHandler,         \
       ShowAlways},                                                                           \
      {WSTR("  + CHECK Warn when security blocks page"), 60031, BrowserParamHandler,          \
       ShowAlways},                                                                           \
      {WSTR("  + CHECK Enable Cookies"), 60032, BrowserParamHandler, ShowAlways},             \
      {WSTR("+ NODE Error Redirection"), -1, nullptr, nullptr},                               \
      QRV_PAGE("(400) Invalid Syntax", 60004), QRV_PAGE("(403) Request Forbidden", 60005),    \
      QRV_PAGE("(404) Object Not Found", 60006), QRV_PAGE("(406) No Response Format", 60007), \
      QRV_PAGE("(410) Page Doesn't Exist", 60008),                                            \
      QRV_PAGE("(500) Internal Server Error", 60009),                                         \
      QRV_PAGE("(501) Server Can't Do That", 60010), QRV_PAGE("Generic Error", 60011),        \
      QRV_PAGE("Server Is Busy", 60012), QRV_PAGE("Couldn't Find Server", 60013),             \
      QRV_PAGE("URL Syntax Error", 60014), QRV_PAGE("Request Cancelled", 60015),              \
      QRV_PAGE("Not Available Offline", 60016),                                               \
      {WSTR("NODE Windows Desktop"), -1, nullptr, nullptr},                                   \
      {WSTR("+ FRAME Taskbar"), -1, nullptr, nullptr},                                        \
      {WSTR("  | CHECK Show Taskbar"), 61002, GeneralParamHandler, nullptr},                  \
      {WSTR("  | CHECK Taskbar Enabled"), 61003, GeneralParamHandler, nullptr},               \
      {WSTR("  | CHECK Start Menu Enabled"), 61004, GeneralParamHandler, HideAlways},         \
      {WSTR("+ FRAME Desktop"), -1, nullptr, HideAlways},                                     \
      {WSTR("  | CHECK Enabled"), 61005, GeneralParamHandler, nullptr},                       \
      {WSTR("NODE Application Selector"), -1, nullptr, nullptr},                              \
      {WSTR("+ NODE Setup"), -1, nullptr, nullptr},                                           \
      {WSTR("  | CHECK Enable Application Selector"), 61008, GeneralParamHandler, nullptr},   \
      {WSTR("+ NODE Authorized Applications"), 61006, ApplicationListHandler, nullptr}

const SchemaEntry RootEntries101[] = {QRV_ROOT_ENTRIES("PWD2")};
const SchemaEntry RootEntries100[] = {QRV_ROOT_ENTRIES("PWD1")};

#undef QRV_ROOT_ENTRIES
#undef QRV_PAGE

const SchemaEntry ApplicationFrameEntries[] = {
    {WSTR("STRING Application Title"), 0, ApplicationPropertyHandler, nullptr},
    {WSTR("STRING Executable"), 1, ApplicationPropertyHandler, nullptr},
    {WSTR("STRING Arguments"), 2, ApplicationPropertyHandler, nullptr},
    {WSTR("STRING Icon File"), 3, ApplicationPropertyHandler, nullptr},
    {WSTR("CHECK Run at startup"), 4, ApplicationPropertyHandler, nullptr},
    {WSTR("INTEGER Delay at startup (Seconds)"), 5, ApplicationPropertyHandler, nullptr},
    {WSTR("| MIN 0"), 0, nullptr, nullptr},
    {WSTR("| MAX 120"), 0, nullptr, nullptr},
    {WSTR("| STEP 1"), 0, nullptr, nullptr},
};

// The items of "Action" stand in display order; their VALUE is the action code stored.
const SchemaEntry HotkeyFrameEntries[] = {
    {WSTR("ENUM Action"), 0, HotkeyPropertyHandler, nullptr},
    {WSTR("| No Action\0VALUE=6"), -1, nullptr, nullptr},
    {WSTR("| Launch Application\0VALUE=0"), -1, nullptr, nullptr},
    {WSTR("| Show/Hide Input Panel\0VALUE=1"), -1, nullptr, HideAlways},
    {WSTR("| Show/Hide Taskbar\0VALUE=2"), -1, nullptr, nullptr},
    {WSTR("| Application Switcher\0VALUE=4"), -1, nullptr, nullptr},
    {WSTR("| Launch QRV Config\0VALUE=3"), -1, nullptr, nullptr},
    {WSTR("| Stylus Calibration\0VALUE=14"), -1, nullptr, nullptr},
    {WSTR("| Start Menu\0VALUE=16"), -1, nullptr, nullptr},
    {WSTR("| Running Programs List\0VALUE=19"), -1, nullptr, ShowAlways},
    {WSTR("| Soft Key 1\0VALUE=17"), -1, nullptr, ShowAlways},
    {WSTR("| Soft Key 2\0VALUE=18"), -1, nullptr, ShowAlways},
    {WSTR("STRING Application EXE"), 1, HotkeyPropertyHandler, nullptr},
    {WSTR("STRING Arguments"), 2, HotkeyPropertyHandler, nullptr},
    {WSTR("NODE VKeyInfo"), -1, nullptr, nullptr},
    {WSTR("| HIDDEN VirtualKey"), 3, HotkeyPropertyHandler, nullptr},
    {WSTR("| HIDDEN Modifiers"), 4, HotkeyPropertyHandler, nullptr},
};

static_assert(sizeof(RootEntries101) / sizeof(SchemaEntry) == 38, "root schema 1.0.1");
static_assert(sizeof(RootEntries100) / sizeof(SchemaEntry) == 38, "root schema 1.0.0");
static_assert(sizeof(ApplicationFrameEntries) / sizeof(SchemaEntry) == 9, "application frame");
static_assert(sizeof(HotkeyFrameEntries) / sizeof(SchemaEntry) == 17, "hotkey frame");

}  // namespace

const SchemaVersion RootVersions[2] = {
    {WSTR("1.0.1"), RootEntries101, sizeof(RootEntries101)},
    {WSTR("1.0.0"), RootEntries100, sizeof(RootEntries100)},
};
const SchemaVersion ApplicationFrameVersions[1] = {
    {WSTR("1.0.0"), ApplicationFrameEntries, sizeof(ApplicationFrameEntries)},
};
const SchemaVersion HotkeyFrameVersions[1] = {
    {WSTR("1.0.0"), HotkeyFrameEntries, sizeof(HotkeyFrameEntries)},
};
