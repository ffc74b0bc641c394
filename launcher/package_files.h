// Discovery of configuration files in the device-management agent's package folder.
#pragma once

#include "launcher/command_line.h"

// Files for every device, each applied when present, in this order.
extern const WCHAR* const kGeneralFiles[3];
// Device-family files: the first one present is the only one used, so the order matters.
extern const WCHAR* const kDeviceFamilyFiles[16];

// Looks `name` up in "<APPS>\Mirdak" (APPS: HKLM "SOFTWARE\Trellmar\Dizezurov"). When the file
// is there, rewrites the table as if the command line had been "/i" and its full path (count
// 3) and answers true. A missing or unusable APPS value, a full path that does not fit, or a
// path that names nothing answers false and leaves the table alone.
bool FindPackageFile(const WCHAR* name, ArgumentTable& table);
