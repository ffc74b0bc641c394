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

TextField ApplicationTextField(AppEntry& record, std::int32_t id) {
  QRV_APPLICATION_FIELDS(QRV_TEXT_FIELD_OF, QRV_NO_FIELD)
  return TextField();
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
  AppEntry& record =
      frameRecord(settingsStore().applications, settingsStore().currentApplication, node,
                  WSTR("Application property '%s' is outside an application frame"));
  const std::int32_t id = node->getId();
  if (TextField field = ApplicationTextField(record, id)) {
    moveText(node, direction, field);
    return 0;
  }
  QRV_APPLICATION_FIELDS(QRV_NO_FIELD, QRV_MOVE_NUMBER)
  throw CVCException(WSTR("Unknown application property '%s'"), node->getName());
}
