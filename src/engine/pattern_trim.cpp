#include "src/engine/pattern_trim.h"

#include <algorithm>
#include <cstring>

namespace ulvo {

bool CopyPattern(const PatternSource& source, BufferAllocator& allocator, PatternCopy* copy) {
  const int incoming = source.planes;
  const int planes = std::min(incoming, 3);
  const int skip = incoming - planes;
  auto bytes = allocator.Zeroed<uint8_t>(static_cast<uint64_t>(source.width) * planes *
                                         static_cast<uint64_t>(source.height));
  if (!bytes) return false;
  uint8_t* out = bytes.get();
  for (int y = 0; y < source.height; ++y) {
    const uint8_t* pixel = source.pixels + static_cast<ptrdiff_t>(y) * source.row_stride;
    for (int x = 0; x < source.width; ++x, pixel += incoming) {
      for (int c = 0; c < planes; ++c) {
        *out++ = source.order_flag != 0 ? pixel[skip + c] : pixel[planes - 1 - c];
      }
    }
  }
  copy->bytes = std::move(bytes);
  copy->planes = planes;
  copy->width = source.width;
  copy->height = source.height;
  return true;
}

bool TrimPattern(PatternCopy* copy) {
  const int n = copy->planes;
  int top = copy->height, bottom = -1, left = copy->width, right = -1;
  for (int y = 0; y < copy->height; ++y) {
    for (int x = 0; x < copy->width; ++x) {
      for (int c = 0; c < n; ++c) {
        if (copy->at(x, y, c) != 0) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
          left = std::min(left, x);
          right = std::max(right, x);
        }
      }
    }
  }
  if (bottom < 0) return false;

  const int new_width = right - left + 1;
  const int new_height = bottom - top + 1;
  uint8_t* bytes = copy->bytes.get();
  const size_t old_row = static_cast<size_t>(copy->width) * n;
  const size_t new_row = static_cast<size_t>(new_width) * n;
  for (int j = 0; j < new_height; ++j) {
    // Front to back: the destination never lies after its source.
    std::memmove(bytes + j * new_row, bytes + (top + j) * old_row + static_cast<size_t>(left) * n,
                 new_row);
  }
  copy->width = new_width;
  copy->height = new_height;

  if (n > 1) {
    const size_t pixels = static_cast<size_t>(new_width) * new_height;
    bool grey = true;
    for (size_t i = 0; i < pixels && grey; ++i) {
      for (int c = 1; c < n; ++c) grey = grey && bytes[i * n + c] == bytes[i * n];
    }
    if (grey) {
      for (size_t i = 0; i < pixels; ++i) bytes[i] = bytes[i * n];
      copy->planes = 1;
    }
  }
  return true;
}

}  // namespace ulvo
