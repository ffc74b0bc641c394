// Comparison of device paths as the device resolves them.
#pragma once

#include "platform/text.h"

// True when both paths name the same file on the device: "\" and "/" both separate, repeated
// separators and "." parts count for nothing, ".." goes up a folder (never above the root), and
// names match without regard to letter case.
bool sameDevicePath(const WCHAR* a, const WCHAR* b);
