#include "src/engine/row_backup.h"

#include <cstring>

namespace ulvo {
namespace {

// Copies `bytes` bytes a pixel for `width` pixels; the bytes in between are
// left alone.
void CopyChannels(uint8_t* to, int to_stride, const uint8_t* from, int from_stride, int width,
                  int bytes) {
  if (to_stride == bytes && from_stride == bytes) {
    std::memcpy(to, from, static_cast<size_t>(width) * bytes);
    return;
  }
  for (int x = 0; x < width; ++x, to += to_stride, from += from_stride) {
    std::memcpy(to, from, static_cast<size_t>(bytes));
  }
}

}  // namespace

bool RowBackup::Allocate(const OutputTarget& output, int width, int height, int first,
                         uint64_t budget, BufferAllocator& allocator) {
  pixel_bytes_ = 3 * output.sample_bytes;
  const uint64_t bytes =
      static_cast<uint64_t>(height) + static_cast<uint64_t>(height - first) * pixel_bytes_ * width;
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

// Start of output row t's pixels at the first of the three samples a
// pixel's channels are written to.
uint8_t* RowBackup::RowChannels(int t) const {
  return output_.base + static_cast<ptrdiff_t>(t) * output_.row_stride +
         (output_.order_flag == 0 ? 0 : output_.pixel_stride - pixel_bytes_);
}

void RowBackup::Keep(int t) {
  if (t < first_) return;
  const size_t at = static_cast<size_t>(t - first_) * pixel_bytes_ * width_;
  CopyChannels(previous_ + at, pixel_bytes_, RowChannels(t), output_.pixel_stride, width_,
               pixel_bytes_);
}

void RowBackup::RestoreUnfinishedRows() {
  int first = 0;
  while (first < height_ && written_[first]) ++first;
  for (int t = first > first_ ? first : first_; t < height_; ++t) {
    if (!written_[t]) continue;
    const size_t at = static_cast<size_t>(t - first_) * pixel_bytes_ * width_;
    CopyChannels(RowChannels(t), output_.pixel_stride, previous_ + at, pixel_bytes_, width_,
                 pixel_bytes_);
  }
}

}  // namespace ulvo
