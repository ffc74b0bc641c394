// The parameter handlers that the built-in schema names.
#pragma once

#include "plugin/schema/schema.h"

int GeneralParamHandler(ConfigNode* node, ConfigNode* parent, Direction direction);
int BrowserParamHandler(ConfigNode* node, ConfigNode* parent, Direction direction);
int ApplicationListHandler(ConfigNode* node, ConfigNode* parent, Direction direction);
int ApplicationFrameHandler(ConfigNode* node, ConfigNode* parent, Direction direction);
int ApplicationPropertyHandler(ConfigNode* node, ConfigNode* parent, Direction direction);
int HotkeyListHandler(ConfigNode* node, ConfigNode* parent, Direction direction);
int HotkeyFrameHandler(ConfigNode* node, ConfigNode* parent, Direction direction);
int HotkeyPropertyHandler(ConfigNode* node, ConfigNode* parent, Direction direction);
