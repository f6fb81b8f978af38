#include "src/host/job_buffers.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "src/host/rect_ops.h"

namespace ulvo {

int32_t RowPad(int32_t width) {
  const int32_t product = 3 * width;
  return product < 0 ? 0 : product % 4;
}

namespace {

// Swaps two pixels and reverses the byte order of both; a and b may be the
// same pixel, which is then only reversed.
void SwapReversed(uint8_t* a, uint8_t* b, int32_t planes) {
  if (a == b) {
    std::reverse(a, a + planes);
    return;
  }
  for (int32_t k = 0; k < planes; ++k) std::swap(a[k], b[planes - 1 - k]);
}

}  // namespace

void FlipJobBuffer(FilterJob& job, JobBuffer which) {
  uint8_t* base = which == JobBuffer::kInput ? job.inData : job.outData;
  const int32_t planes = job.planes;
  if (base == nullptr || planes <= 0 || job.height <= 0 || job.paddedWidth <= 0) {
    return;
  }
  const ptrdiff_t rowBytes = job.rowBytes;
  const int32_t height = job.height;
  for (int32_t i = 0; i < (height + 1) / 2; ++i) {
    uint8_t* top = base + i * rowBytes;
    uint8_t* bottom = base + (height - 1 - i) * rowBytes;
    for (int32_t x = 0; x < job.paddedWidth; ++x) {
      const ptrdiff_t offset = static_cast<ptrdiff_t>(x) * planes;
      SwapReversed(top + offset, bottom + offset, planes);
    }
  }
}

void BlendWithMask(const FilterJob& job) {
  if (job.maskRowBytes == 0 || job.maskData == nullptr || job.inData == nullptr ||
      job.outData == nullptr || job.planes <= 0) {
    return;
  }
  for (int32_t r = 0; r < job.height; ++r) {
    const uint8_t* mask = job.maskData + static_cast<ptrdiff_t>(r) * job.maskRowBytes;
    const ptrdiff_t row = static_cast<ptrdiff_t>(job.height - 1 - r) * job.rowBytes;
    const uint8_t* in = job.inData + row;
    uint8_t* out = job.outData + row;
    for (int32_t x = 0; x < job.paddedWidth; ++x) {
      const uint32_t m = mask[x];
      if (m == 255) continue;
      for (int32_t k = 0; k < job.planes; ++k) {
        const ptrdiff_t i = static_cast<ptrdiff_t>(x) * job.planes + k;
        const uint32_t value = (m * out[i] + (255 - m) * in[i]) / 255;
        out[i] = static_cast<uint8_t>(std::min<uint32_t>(value, 255));
      }
    }
  }
}

namespace {

void CopyPixels(const pi::FilterRecord& record, int32_t planes, int32_t row, int32_t from,
                int32_t to) {
  if (to <= from) return;
  const auto* in = static_cast<const uint8_t*>(record.inData) +
                   static_cast<ptrdiff_t>(row) * record.inRowBytes +
                   static_cast<ptrdiff_t>(from) * planes;
  auto* out = static_cast<uint8_t*>(record.outData) +
              static_cast<ptrdiff_t>(row) * record.outRowBytes +
              static_cast<ptrdiff_t>(from) * planes;
  std::memmove(out, in, static_cast<size_t>(to - from) * static_cast<size_t>(planes));
}

}  // namespace

void CopyUnfilteredMargins(const pi::FilterRecord& record, const FilterJob& job) {
  if (record.inData == nullptr || record.outData == nullptr || job.planes <= 0) return;
  const pi::Rect& rect = record.filterRect;
  const int32_t width = RectWidth(rect);
  const int32_t height = RectHeight(rect);
  if (width <= 0 || height <= 0) return;
  const int64_t rowPixelBytes = int64_t{width} * job.planes;
  if (record.inRowBytes < rowPixelBytes || record.outRowBytes < rowPixelBytes) return;
  // The job rectangle relative to filterRect's top-left corner, clipped to it.
  const int32_t top = std::clamp(job.top - rect.top, 0, height);
  const int32_t bottom = std::clamp(job.bottom - rect.top, top, height);
  const int32_t left = std::clamp(job.left - rect.left, 0, width);
  const int32_t right = std::clamp(job.right - rect.left, left, width);
  for (int32_t row = 0; row < height; ++row) {
    if (row < top || row >= bottom) {
      CopyPixels(record, job.planes, row, 0, width);
    } else {
      CopyPixels(record, job.planes, row, 0, left);
      CopyPixels(record, job.planes, row, right, width);
    }
  }
}

}  // namespace ulvo
