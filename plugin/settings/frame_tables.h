// Pieces shared by the list and frame handlers: the table of frames a list builds for one call
// and its one-record version, the slot of the frame being walked, and the record it names.
#pragma once

#include "hzkcore/document_ids.h"
#include "plugin/entry/cvc_exception.h"
#include "plugin/node/config_node.h"
#include "plugin/schema/schema.h"
#include "plugin/schema/walker.h"
#include "plugin/settings/settings_store.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

inline SchemaVersion frameListVersion(const SchemaEntry* entries, std::uint32_t count) {
  SchemaVersion version = {{'1', '.', '0', '.', '0', 0}, entries,
                           count * static_cast<std::uint32_t>(sizeof(SchemaEntry))};
  return version;
}

// The frames of a list, gathered for one call: each with a formatted type string, an id and a
// handler, and no filter. The table lives only as long as the call.
template <std::size_t Capacity>
class FrameList {
 public:
  FrameList() { std::memset(entries_, 0, sizeof(entries_)); }
  FrameList(const FrameList&) = delete;
  FrameList& operator=(const FrameList&) = delete;

  // The type string is formatted from `format`, bounded to an entry's text. A full table
  // takes no more.
  template <typename... Args>
  void add(std::int32_t id, ParamHandler handler, const WCHAR* format, Args... args) {
    if (count_ == Capacity) return;
    SchemaEntry& entry = entries_[count_++];
    textFormat(entry.text, kSchemaTextCapacity, format, args...);
    entry.id = id;
    entry.handler = handler;
  }

  // The frames added so far as the one version "1.0.0" of the node's schema.
  SchemaVersion version() const { return frameListVersion(entries_, count_); }

  // Walks the frames added so far as that version.
  int walk(ConfigNode* node, Direction direction) const {
    SchemaVersion table = version();
    return WalkComponent(node, &table, 1, direction);
  }

 private:
  SchemaEntry entries_[Capacity];
  std::uint32_t count_ = 0;
};

// The frames of the two lists: the 20 application frames, and one hotkey frame for each
// occupied slot of a hotkey table of kHotkeyCapacity slots.
static_assert(kFirstHotkeyFrameId + kHotkeyCapacity <= kFirstApplicationFrameId,
              "the hotkey frames' ids stay below the application frames' ids");
void BuildApplicationFrames(FrameList<kApplicationCapacity>& frames);
void BuildHotkeyFrames(const HotkeyEntry* hotkeys, FrameList<kHotkeyCapacity>& frames);

// Records the slot of the frame being walked for the property handlers, and clears it (-1)
// when the frame's walk ends, however it ends.
class CurrentSlot {
 public:
  CurrentSlot(std::int32_t& current, std::int32_t slot) : current_(current) { current_ = slot; }
  ~CurrentSlot() { current_ = -1; }
  CurrentSlot(const CurrentSlot&) = delete;
  CurrentSlot& operator=(const CurrentSlot&) = delete;

 private:
  std::int32_t& current_;
};

// Walks a generated frame against its frame schema. The slot comes from the frame's own id
// (less the list's first id), never from whatever element happens to hold a property, so a
// document cannot point a property at another record.
inline int walkFrame(ConfigNode* node, std::int32_t firstFrameId, std::int32_t& current,
                     const SchemaVersion* frameVersions, Direction direction) {
  CurrentSlot slot(current, node->getId() - firstFrameId);
  return WalkComponent(node, frameVersions, 1, direction);
}

// The record of the frame being walked. Throws CVCException with `outside`, formatted with the
// node's name, when no frame of the list is being walked.
template <typename Record, std::size_t N>
Record& frameRecord(Record (&records)[N], std::int32_t slot, ConfigNode* node,
                    const WCHAR* outside) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= N) {
    throw CVCException(outside, node->getName());
  }
  return records[slot];
}
