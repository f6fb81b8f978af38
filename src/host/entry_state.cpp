#include "src/host/entry_state.h"

#include <new>

namespace ulvo {

bool EntryState::AllocateDepthBlock(int64_t bytes) {
  ReleaseDepth();
  if (bytes < 0) return false;
  const int64_t capacity = 4 * (bytes / 4) + 4;
  if (capacity > INT32_MAX) return false;
  depthBlock.reset(new (std::nothrow) uint8_t[static_cast<size_t>(capacity)]);
  if (!depthBlock) return false;
  depth.data = depthBlock.get();
  depth.size = static_cast<int32_t>(capacity);
  depth.rowBytes = 0;
  return true;
}

void EntryState::ReleaseDepth() {
  depthBlock.reset();
  depth = DepthBuffer{};
}

}  // namespace ulvo
