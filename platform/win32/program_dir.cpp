// The folder of the running program, from the module file name of the process.
#include "platform/device.h"

#include <windows.h>

#include <vector>

namespace device {

std::string programDir() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) {
      Text path(buffer.data(), length);
      std::size_t slash = path.find_last_of(L"\\/");
      if (slash == Text::npos) return std::string();
      return textToUtf8(path.c_str(), slash);
    }
    if (buffer.size() > 32768) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace device
