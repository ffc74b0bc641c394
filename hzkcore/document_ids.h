// The numbers of the configuration document: the parameters' ids, the first ids of the two
// frame lists, and (through the record rows) the frame properties' ids and the action codes.
// The built-in schema, the handlers, the store, the tool and the tests all take them from here.
#pragma once

#include "hzkcore/records.h"

#include <cstdint>

// The component's own parameters.
constexpr std::int32_t kEnableQrvId = 61009;
constexpr std::int32_t kPasswordId = 61001;
constexpr std::int32_t kShowTaskbarId = 61002;
constexpr std::int32_t kTaskbarEnabledId = 61003;
constexpr std::int32_t kStartMenuEnabledId = 61004;
constexpr std::int32_t kDesktopEnabledId = 61005;
constexpr std::int32_t kApplicationListId = 61006;  // "Authorized Applications"
constexpr std::int32_t kHotkeyListId = 61007;
constexpr std::int32_t kSelectorEnabledId = 61008;  // "Enable Application Selector"

// The browser's parameters; the thirteen error pages have the ids from kFirstErrorPageId on,
// in the order of the library's error-page table.
constexpr std::int32_t kAddressBarId = 60000;
constexpr std::int32_t kToolbarId = 60001;
constexpr std::int32_t kStatusBarId = 60002;
constexpr std::int32_t kMenuBarId = 60003;
constexpr std::int32_t kFirstErrorPageId = 60004;
constexpr std::int32_t kWarnLeavingSecureId = 60030;
constexpr std::int32_t kWarnSecurityBlocksId = 60031;
constexpr std::int32_t kCookiesId = 60032;

// Frame k of a list has the id of the list's first frame plus k.
constexpr std::int32_t kFirstHotkeyFrameId = 62000;
constexpr std::int32_t kFirstApplicationFrameId = 62100;
