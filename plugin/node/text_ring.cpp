// The module-wide ring of 50 heap texts behind the texts that ConfigNode operations return.
#include "plugin/node/text_ring.h"

#include <new>

namespace {
WCHAR* gSlots[kTextRingSlots] = {};
std::size_t gNext = 0;

// The texts go with the module: the manager unloads the plug-in at the end of each run, and
// the ring must not outlive it as a leak.
struct RingRelease {
  ~RingRelease() {
    for (WCHAR*& slot : gSlots) {
      delete[] slot;
      slot = nullptr;
    }
  }
} gRingRelease;
}  // namespace

WCHAR* textRingStore(const WCHAR* text, std::size_t length) {
  // Allocate first: a failed copy must not free a text that a caller still reads.
  WCHAR* copy = new (std::nothrow) WCHAR[length + 1];
  if (!copy) return nullptr;
  for (std::size_t i = 0; i < length; ++i) copy[i] = text[i];
  copy[length] = 0;
  delete[] gSlots[gNext];
  gSlots[gNext] = copy;
  gNext = (gNext + 1) % kTextRingSlots;
  return copy;
}
