// The record field behind each text parameter: the handlers move values through these, and a
// tool asks them how much of a text the device keeps.
#pragma once

#include "hzkcore/hzkcore.h"
#include "plugin/settings/field_moves.h"

#include <cstdint>

// The field of an application record that a property of the application frame names (ids 0
// to 3); empty for the number properties and for ids the frame does not have.
TextField ApplicationTextField(AppEntry& application, std::int32_t id);

// The field of a hotkey record that a property of the hotkey frame names (ids 1 and 2); empty
// for the others.
TextField HotkeyTextField(HotkeyEntry& hotkey, std::int32_t id);

// The page that a browser parameter names (ids 60004 to 60016); empty for the others.
TextField ErrorPageTextField(ErrorPageTable& pages, std::int32_t id);
