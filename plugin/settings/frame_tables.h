// Pieces shared by the list and frame handlers: the one-record version over a table of frames
// built for one call, and the slot of the frame being walked.
#pragma once

#include "plugin/schema/schema.h"

#include <cstdint>

inline SchemaVersion frameListVersion(const SchemaEntry* entries, std::uint32_t count) {
  SchemaVersion version = {{'1', '.', '0', '.', '0', 0}, entries,
                           count * static_cast<std::uint32_t>(sizeof(SchemaEntry))};
  return version;
}

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
