// The schema the plug-in carries: both versions of the component's schema and the schemas of
// one application frame and one hotkey frame.
#include "plugin/schema/builtin_schema.h"

#include "hzkcore/document_ids.h"
#include "plugin/schema/filters.h"
#include "plugin/settings/handlers.h"

namespace {

// Each text is the type string, then its attribute strings, each ended by a NUL; the zeros
// that fill the rest of the record end the attribute list.
#define QRV_PAGE(name, k)                                                                          \
  {WSTR("  | STRING " name "\0MIMETYPE=binHex"), kFirstErrorPageId + k, BrowserParamHandler,       \
   nullptr}

// The two root versions differ only in how the password is encoded in the document.
#define QRV_ROOT_ENTRIES(passwordType)                                                             \
  {WSTR("NODE Admin"), -1, nullptr, nullptr},                                                      \
      {WSTR("| CHECK Enable QRV"), kEnableQrvId, GeneralParamHandler, nullptr},                    \
      {WSTR("| STRING Password\0MIMETYPE=binHex\0STRINGTYPE=" passwordType), kPasswordId,          \
       GeneralParamHandler, nullptr},                                                              \
      {WSTR("NODE Hotkeys"), kHotkeyListId, HotkeyListHandler, nullptr},                           \
      {WSTR("NODE IE"), -1, nullptr, nullptr},                                                     \
      {WSTR("+ NODE Interface"), -1, nullptr, nullptr},                                            \
      {WSTR("  + CHECK Enable Address Bar"), kAddressBarId, BrowserParamHandler, nullptr},         \
      {WSTR("  + CHECK Enable Toolbar"), kToolbarId, BrowserParamHandler, HideAlways},             \
      {WSTR("  + CHECK Enable Status Bar"), kStatusBarId, BrowserParamHandler, HideAlways},        \
      {WSTR("  + CHECK Enable Menu Bar"), kMenuBarId, BrowserParamHandler, HideAlways},            \
      {WSTR("  + CHECK Warn when leaving a secure page"), kWarnLeavingSecureId,                    \
       BrowserParamHandler, ShowAlways},                                                           \
      {WSTR("  + CHECK Warn when security blocks page"), kWarnSecurityBlocksId,                    \
       BrowserParamHandler, ShowAlways},                                                           \
      {WSTR("  + CHECK Enable Cookies"), kCookiesId, BrowserParamHandler, ShowAlways},             \
      {WSTR("+ NODE Error Redirection"), -1, nullptr, nullptr},                                    \
      QRV_PAGE("(400) Invalid Syntax", 0), QRV_PAGE("(403) Request Forbidden", 1),                 \
      QRV_PAGE("(404) Object Not Found", 2), QRV_PAGE("(406) No Response Format", 3),              \
      QRV_PAGE("(410) Page Doesn't Exist", 4),                                                     \
      QRV_PAGE("(500) Internal Server Error", 5),                                                  \
      QRV_PAGE("(501) Server Can't Do That", 6), QRV_PAGE("Generic Error", 7),                     \
      QRV_PAGE("Server Is Busy", 8), QRV_PAGE("Couldn't Find Server", 9),                          \
      QRV_PAGE("URL Syntax Error", 10), QRV_PAGE("Request Cancelled", 11),                         \
      QRV_PAGE("Not Available Offline", 12),                                                       \
      {WSTR("NODE Windows Desktop"), -1, nullptr, nullptr},                                        \
      {WSTR("+ FRAME Taskbar"), -1, nullptr, nullptr},                                             \
      {WSTR("  | CHECK Show Taskbar"), kShowTaskbarId, GeneralParamHandler, nullptr},              \
      {WSTR("  | CHECK Taskbar Enabled"), kTaskbarEnabledId, GeneralParamHandler, nullptr},        \
      {WSTR("  | CHECK Start Menu Enabled"), kStartMenuEnabledId,                                  \
       GeneralParamHandler, HideAlways},                                                           \
      {WSTR("+ FRAME Desktop"), -1, nullptr, HideAlways},                                          \
      {WSTR("  | CHECK Enabled"), kDesktopEnabledId, GeneralParamHandler, nullptr},                \
      {WSTR("NODE Application Selector"), -1, nullptr, nullptr},                                   \
      {WSTR("+ NODE Setup"), -1, nullptr, nullptr},                                                \
      {WSTR("  | CHECK Enable Application Selector"), kSelectorEnabledId,                          \
       GeneralParamHandler, nullptr},                                                              \
      {WSTR("+ NODE Authorized Applications"), kApplicationListId, ApplicationListHandler, nullptr}

const SchemaEntry RootEntries101[] = {QRV_ROOT_ENTRIES("PWD2")};
const SchemaEntry RootEntries100[] = {QRV_ROOT_ENTRIES("PWD1")};

#undef QRV_ROOT_ENTRIES
#undef QRV_PAGE

// The application's fields in the order of their rows, then the delay's limits.
#define QRV_APPLICATION_PROPERTY(member, documentId, schemaText, ...) \
  {WSTR(schemaText), documentId, ApplicationPropertyHandler, nullptr},
#define QRV_APPLICATION_NUMBER(member, type, initial, documentId, kind, schemaText, ...) \
  QRV_APPLICATION_PROPERTY(member, documentId, schemaText)
const SchemaEntry ApplicationFrameEntries[] = {
    QRV_APPLICATION_FIELDS(QRV_APPLICATION_PROPERTY, QRV_APPLICATION_NUMBER)
    {WSTR("| MIN 0"), 0, nullptr, nullptr},
    {WSTR("| MAX 120"), 0, nullptr, nullptr},
    {WSTR("| STEP 1"), 0, nullptr, nullptr},
};
#undef QRV_APPLICATION_PROPERTY
#undef QRV_APPLICATION_NUMBER

// The items of "Action" stand in display order; their VALUE is the action code stored.
const SchemaEntry HotkeyFrameEntries[] = {
    {WSTR("ENUM Action"), HotkeyProperty::action, HotkeyPropertyHandler, nullptr},
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
    {WSTR("STRING Application EXE"), HotkeyProperty::application, HotkeyPropertyHandler, nullptr},
    {WSTR("STRING Arguments"), HotkeyProperty::arguments, HotkeyPropertyHandler, nullptr},
    {WSTR("NODE VKeyInfo"), -1, nullptr, nullptr},
    {WSTR("| HIDDEN VirtualKey"), HotkeyProperty::keyCode, HotkeyPropertyHandler, nullptr},
    {WSTR("| HIDDEN Modifiers"), HotkeyProperty::modifiers, HotkeyPropertyHandler, nullptr},
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
