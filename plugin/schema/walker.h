// The schema walker: builds a document subtree from a schema (Save) or hands the elements of
// one to their handlers by id (Apply).
#pragma once

#include "plugin/schema/schema.h"

class ConfigNode;

int WalkComponent(ConfigNode* node, const SchemaVersion* versions, std::uint32_t versionCount,
                  Direction direction);
int WalkSchema(ConfigNode* parent, const SchemaEntry* entries, std::uint32_t entryCount,
               Direction direction);
