// The schema the plug-in carries: the component's two versions and the frame schemas.
#pragma once

#include "plugin/schema/schema.h"

extern const SchemaVersion RootVersions[2];
extern const SchemaVersion ApplicationFrameVersions[1];
extern const SchemaVersion HotkeyFrameVersions[1];
