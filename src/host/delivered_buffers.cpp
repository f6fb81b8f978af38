#include "src/host/delivered_buffers.h"

#include <cstring>
#include <new>

#include "src/host/rect_ops.h"

namespace ulvo {
namespace {

// The delivered width of one rectangle: its own width when only its right
// edge was pulled in, no further than the job's unpadded width.
int32_t DeliveredWidth(const pi::Rect& rect, const FilterJob& job) {
  const bool clipped = rect.top == job.top && rect.left == job.left && rect.bottom == job.bottom &&
                       rect.right < job.right && RectWidth(rect) >= job.width;
  return clipped ? RectWidth(rect) : job.paddedWidth;
}

bool RowsHold(const DeliveredPlane& plane, int32_t bytesPerPixel, const FilterJob& job) {
  return plane.data != nullptr && plane.width >= job.width && plane.width <= job.paddedWidth &&
         int64_t{plane.rowBytes} >= int64_t{plane.width} * bytesPerPixel;
}

std::unique_ptr<uint8_t[]> CopyRows(const DeliveredPlane& from, int32_t bytesPerPixel,
                                    int32_t rowBytes, int32_t height) {
  const size_t total = static_cast<size_t>(rowBytes) * static_cast<size_t>(height);
  std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[total]());
  if (copy == nullptr) return copy;
  const size_t delivered = static_cast<size_t>(from.width) * static_cast<size_t>(bytesPerPixel);
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(copy.get() + static_cast<size_t>(y) * static_cast<size_t>(rowBytes),
                from.data + static_cast<ptrdiff_t>(y) * from.rowBytes, delivered);
  }
  return copy;
}

}  // namespace

DeliveredBuffers BuffersOf(const pi::FilterRecord& record, const FilterJob& job) {
  DeliveredBuffers buffers;
  buffers.in = {static_cast<uint8_t*>(record.inData), record.inRowBytes,
                DeliveredWidth(record.inRect, job)};
  buffers.out = {static_cast<uint8_t*>(record.outData), record.outRowBytes,
                 DeliveredWidth(record.outRect, job)};
  if (record.maskData != nullptr && record.maskRowBytes != 0) {
    buffers.mask = {static_cast<uint8_t*>(record.maskData), record.maskRowBytes,
                    DeliveredWidth(record.maskRect, job)};
  }
  return buffers;
}

bool BuffersUsable(const DeliveredBuffers& buffers, const FilterJob& job) {
  if (job.width <= 0 || job.height <= 0 || job.planes <= 0) return false;
  if (!RowsHold(buffers.in, job.pixelBytes(), job)) return false;
  if (buffers.mask.data != nullptr && !RowsHold(buffers.mask, job.sampleBytes, job)) return false;
  return job.planes == 1 || RowsHold(buffers.out, job.pixelBytes(), job);  // a donor run reads only
}

bool BuffersFitInPlace(const DeliveredBuffers& buffers, const FilterJob& job) {
  const bool fullIn = buffers.in.width == job.paddedWidth;
  const bool fullMask = buffers.mask.data == nullptr || buffers.mask.width == job.paddedWidth;
  if (job.planes == 1) return fullIn && fullMask;
  // The output is addressed with the input's row distance.
  return fullIn && fullMask && buffers.out.width == job.paddedWidth &&
         buffers.out.rowBytes == buffers.in.rowBytes;
}

bool JobCopy::Take(FilterJob& job, const DeliveredBuffers& buffers) {
  const int64_t rowBytes = int64_t{job.paddedWidth} * job.pixelBytes();
  if (rowBytes > INT32_MAX) return false;
  const auto rows = static_cast<int32_t>(rowBytes);
  std::unique_ptr<uint8_t[]> in = CopyRows(buffers.in, job.pixelBytes(), rows, job.height);
  std::unique_ptr<uint8_t[]> out, mask;
  if (job.planes > 1) out = CopyRows(buffers.out, job.pixelBytes(), rows, job.height);
  if (buffers.mask.data != nullptr) {
    mask = CopyRows(buffers.mask, job.sampleBytes, job.paddedWidth * job.sampleBytes, job.height);
  }
  if (in == nullptr || (job.planes > 1 && out == nullptr) ||
      (buffers.mask.data != nullptr && mask == nullptr)) {
    return false;
  }
  host_ = buffers;
  in_ = std::move(in);
  out_ = std::move(out);
  mask_ = std::move(mask);
  job.rowBytes = rows;
  job.inData = in_.get();
  job.outData = out_.get();
  job.maskData = mask_.get();
  job.maskRowBytes = mask_ != nullptr ? job.paddedWidth * job.sampleBytes : 0;
  return true;
}

void JobCopy::ReturnOutput(const FilterJob& job) const {
  if (out_ == nullptr || host_.out.data == nullptr) return;
  const size_t delivered =
      static_cast<size_t>(host_.out.width) * static_cast<size_t>(job.pixelBytes());
  for (int32_t y = 0; y < job.height; ++y) {
    std::memcpy(host_.out.data + static_cast<ptrdiff_t>(y) * host_.out.rowBytes,
                out_.get() + static_cast<ptrdiff_t>(y) * job.rowBytes, delivered);
  }
}

}  // namespace ulvo
