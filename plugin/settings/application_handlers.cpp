// Handlers of the launcher applications: the list of twenty frames, one frame, and the
// properties of the frame being walked.
#include "plugin/settings/handlers.h"

#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/builtin_schema.h"
#include "plugin/settings/field_moves.h"
#include "plugin/settings/frame_tables.h"
#include "plugin/settings/settings_store.h"
#include "plugin/settings/text_fields.h"

TextField ApplicationTextField(AppEntry& application, std::int32_t id) {
  switch (id) {
    case 0: return TextField::of(application.title);
    case 1: return TextField::of(application.executable);
    case 2: return TextField::of(application.arguments);
    case 3: return TextField::of(application.iconFile);
    default: return TextField();
  }
}

void BuildApplicationFrames(FrameList<kApplicationCapacity>& frames) {
  for (int slot = 0; slot < kApplicationCapacity; ++slot) {
    frames.add(kFirstApplicationFrameId + slot, ApplicationFrameHandler,
               WSTR("FRAME Application %i"), slot + 1);
  }
}

int ApplicationListHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  FrameList<kApplicationCapacity> frames;
  BuildApplicationFrames(frames);
  return frames.walk(node, direction);
}

int ApplicationFrameHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  return walkFrame(node, kFirstApplicationFrameId, settingsStore().currentApplication,
                   ApplicationFrameVersions, direction);
}

int ApplicationPropertyHandler(ConfigNode* node, ConfigNode* /*parent*/, Direction direction) {
  AppEntry& application =
      frameRecord(settingsStore().applications, settingsStore().currentApplication, node,
                  WSTR("Application property '%s' is outside an application frame"));
  const std::int32_t id = node->getId();
  if (TextField field = ApplicationTextField(application, id)) {
    moveText(node, direction, field);
    return 0;
  }
  switch (id) {
    case 4:
      moveUnsigned(node, direction, application.runAtStartup);
      break;
    case 5:
      moveUnsigned(node, direction, application.startupDelay);
      break;
    default:
      throw CVCException(WSTR("Unknown application property '%s'"), node->getName());
  }
  return 0;
}
