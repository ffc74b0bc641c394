// The configuration plug-in as a component of the configuration manager: the id of its element
// in a document, its name, and what the manager's registration of it holds.
//
// Kept in the plug-in's base layer (the exports answer to these facts, and the layer includes
// nothing above the platform), so that qrvdevice registers the plug-in and checks documents by
// the same facts without reaching into the plug-in's other layers.
#pragma once

#include "platform/text.h"

#include <cstdint>
#include <string>

namespace qrvconfig {

constexpr std::uint32_t kComponentId = 61000;
constexpr const WCHAR* kComponentName = WSTR("Corvane Desktop Utility");

// The registration: HKLM registrationKey(), with the library the manager loads and its two entry
// points.
constexpr const WCHAR* kLibrary = WSTR("\\Windows\\QRVConfig.dll");
constexpr const WCHAR* kApplyEntry = WSTR("QRV_ApplySettings");
constexpr const WCHAR* kSaveEntry = WSTR("QRV_SaveSettings");

// The id as a document writes it in its id attribute.
inline Text componentIdText() { return textFromUtf8(std::to_string(kComponentId)); }

inline Text registrationKey() {
  return Text(WSTR("SOFTWARE\\Corvane\\CVConfigManager\\Components\\")) + componentIdText();
}

}  // namespace qrvconfig
