// Single registry values that the emulator reads and writes beside the settings library's
// own: the package root, the filter switch and the plug-in's registration.
#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <string>

// A value as the emulator shows it: absent, a number (REG_DWORD) or a text (anything else,
// read as UTF-16 text, as the device's programs read it).
struct RegistryValue {
  enum class Kind { Absent, Number, Text };
  Kind kind = Kind::Absent;
  std::uint32_t number = 0;
  std::string text;  // UTF-8

  static RegistryValue absent() { return RegistryValue(); }
  static RegistryValue ofNumber(std::uint32_t n) {
    RegistryValue v;
    v.kind = Kind::Number;
    v.number = n;
    return v;
  }
  static RegistryValue ofText(const std::string& t) {
    RegistryValue v;
    v.kind = Kind::Text;
    v.text = t;
    return v;
  }
  bool operator==(const RegistryValue& o) const {
    return kind == o.kind && number == o.number && text == o.text;
  }
};

// Where the values live (below HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER).
struct RegistryPlace {
  HKEY root;
  const WCHAR* key;
  const WCHAR* name;
};

extern const RegistryPlace kPackageRootValue;   // APPS
extern const RegistryPlace kFiltersOffValue;    // ConfigFiltersOff

// False (problem says why) when the registry cannot be read; an absent key or value is not a
// failure.
bool readRegistryValue(const RegistryPlace& place, RegistryValue& out, std::string& problem);
// Stores the value (an absent one is deleted), creating the key; false when it cannot.
bool writeRegistryValue(const RegistryPlace& place, const RegistryValue& value,
                        std::string& problem);
// Stores a text value at key\name below HKEY_LOCAL_MACHINE.
bool writeMachineText(const WCHAR* key, const WCHAR* name, const WCHAR* text,
                      std::string& problem);
// Registers the configuration plug-in with the configuration manager, as installing it does.
bool registerPlugin(std::string& problem);
