// The engine's own copy of the aperture pattern: converted to engine channel
// order, cut to the bounding box of its non-zero bytes and reduced to one
// plane when it is grey.
#pragma once

#include <cstdint>
#include <memory>

#include "src/engine/buffer_allocator.h"

namespace ulvo {

// The caller's pattern image, borrowed.
struct PatternSource {
  int order_flag = 0;  // 0: a pixel's channel bytes are taken in reverse order
  int planes = 3;      // bytes per pixel
  int width = 0;
  int height = 0;
  const uint8_t* pixels = nullptr;  // top-left byte
  int row_stride = 0;
};

// Packed pattern owned by the engine: width × planes bytes per row, no gaps.
struct PatternCopy {
  std::unique_ptr<uint8_t[]> bytes;
  int planes = 0;
  int width = 0;
  int height = 0;

  uint8_t at(int x, int y, int plane) const {
    return bytes[(static_cast<size_t>(y) * width + x) * planes + plane];
  }
};

// Copies the source into engine channel order: at most three planes are kept
// (the last three bytes of a wider pixel with the order flag set, the first
// three reversed without it). False when the buffer could not be allocated.
bool CopyPattern(const PatternSource& source, BufferAllocator& allocator, PatternCopy* copy);

// Trims the copy in place to the bounding box of its non-zero bytes and
// collapses it to one plane when every pixel has equal channels. False (and
// the copy unchanged) when the pattern has no non-zero byte.
bool TrimPattern(PatternCopy* copy);

}  // namespace ulvo
