// The components registered with the configuration manager, and their libraries.
#pragma once

#include "platform/library.h"
#include "platform/text.h"

#include <string>
#include <vector>

// One registration: HKLM "SOFTWARE\Corvane\CVConfigManager\Components\<id>".
struct Component {
  Text id;                 // the key's name, the id of the component's element
  Text name;               // "Name"
  Text library;            // "Library": device path of the component library
  std::string applyEntry;  // "Apply": name of its apply export
  std::string saveEntry;   // "Save": name of its save export
};

// Every registration, in stored order. A registration without a Library value is left out.
std::vector<Component> registeredComponents();

// The component's library, loaded on first use and kept until the manager is unloaded, so
// that a library's module-wide state lives across the calls of one run. Null when it cannot
// be loaded.
HMODULE componentLibrary(const Component& component);

// Looks an export of a loaded component library up by name; null when absent.
template <typename Fn>
Fn componentEntry(HMODULE library, const std::string& name) {
  if (library == nullptr || name.empty()) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name.c_str())));
}
