// Handlers of the launcher applications: the list of twenty frames, one frame, and the
// properties of the frame being walked.
#include "plugin/settings/handlers.h"

#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/builtin_schema.h"
#include "plugin/schema/walker.h"
#include "plugin/settings/frame_tables.h"
#include "plugin/settings/settings_store.h"

#include <cstring>

namespace {

constexpr std::int32_t kFirstFrameId = 62100;

template <std::size_t N>
void moveText(ConfigNode* node, Direction direction, WCHAR (&field)[N]) {
  if (direction == Save) {
    node->setValueString(field);
  } else {
    textCopy(field, N, node->getString());
  }
}

void moveNumber(ConfigNode* node, Direction direction, std::int32_t& field) {
  if (direction == Save) {
    node->setValueInteger(static_cast<std::uint32_t>(field));
  } else {
    field = node->getInteger();
  }
}

}  // namespace

int ApplicationListHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  SchemaEntry entries[kApplicationCapacity];
  std::memset(entries, 0, sizeof(entries));
  for (int slot = 0; slot < kApplicationCapacity; ++slot) {
    textFormat(entries[slot].text, kSchemaTextCapacity, WSTR("FRAME Application %i"), slot + 1);
    entries[slot].id = kFirstFrameId + slot;
    entries[slot].handler = ApplicationFrameHandler;
  }
  SchemaVersion version = frameListVersion(entries, kApplicationCapacity);
  return WalkComponent(node, &version, 1, direction);
}

int ApplicationFrameHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  // The slot comes from the frame being walked, never from whatever element happens to hold
  // a property: a document cannot point a property at another application.
  CurrentSlot slot(settingsStore().currentApplication, node->getId() - kFirstFrameId);
  return WalkComponent(node, ApplicationFrameVersions, 1, direction);
}

int ApplicationPropertyHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  std::int32_t slot = settingsStore().currentApplication;
  if (slot < 0 || slot >= kApplicationCapacity) {
    throw CVCException(WSTR("Application property '%s' is outside an application frame"),
                       node->getName());
  }
  AppEntry& application = settingsStore().applications[slot];
  switch (node->getId()) {
    case 0:
      moveText(node, direction, application.title);
      break;
    case 1:
      moveText(node, direction, application.executable);
      break;
    case 2:
      moveText(node, direction, application.arguments);
      break;
    case 3:
      moveText(node, direction, application.iconFile);
      break;
    case 4:
      moveNumber(node, direction, application.runAtStartup);
      break;
    case 5:
      moveNumber(node, direction, application.startupDelay);
      break;
    default:
      throw CVCException(WSTR("Unknown application property '%s'"), node->getName());
  }
  return 0;
}
