#include "src/engine/row_backup.h"

#include <cstring>

namespace ulvo {
namespace {

// Copies three bytes a pixel for `width` pixels; the bytes in between are
// left alone.
void CopyChannels(uint8_t* to, int to_stride, const uint8_t* from, int from_stride, int width) {
  if (to_stride == 3 && from_stride == 3) {
    std::memcpy(to, from, static_cast<size_t>(width) * 3);
    return;
  }
  for (int x = 0; x < width; ++x, to += to_stride, from += from_stride) std::memcpy(to, from, 3);
}

}  // namespace

bool RowBackup::Allocate(const OutputTarget& output, int width, int height, int first,
                         uint64_t budget, BufferAllocator& allocator) {
  const uint64_t bytes =
      static_cast<uint64_t>(height) + static_cast<uint64_t>(height - first) * 3 * width;
  if (bytes > budget) return false;
  memory_ = allocator.Zeroed<uint8_t>(bytes);
  if (!memory_) return false;
  output_ = output;
  width_ = width;
  height_ = height;
  first_ = first;
  written_ = memory_.get();
  previous_ = written_ + height;
  return true;
}

// Start of output row t's pixels at the first of the three bytes a pixel's
// channels are written to.
uint8_t* RowBackup::RowChannels(int t) const {
  return output_.base + static_cast<ptrdiff_t>(t) * output_.row_stride +
         (output_.order_flag == 0 ? 0 : output_.pixel_stride - 3);
}

void RowBackup::Keep(int t) {
  if (t < first_) return;
  const size_t at = static_cast<size_t>(t - first_) * 3 * width_;
  CopyChannels(previous_ + at, 3, RowChannels(t), output_.pixel_stride, width_);
}

void RowBackup::RestoreUnfinishedRows() {
  int first = 0;
  while (first < height_ && written_[first]) ++first;
  for (int t = first > first_ ? first : first_; t < height_; ++t) {
    if (!written_[t]) continue;
    const size_t at = static_cast<size_t>(t - first_) * 3 * width_;
    CopyChannels(RowChannels(t), output_.pixel_stride, previous_ + at, 3, width_);
  }
}

}  // namespace ulvo
