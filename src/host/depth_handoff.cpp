#include "src/host/depth_handoff.h"

#include <cstring>

namespace ulvo {

bool WriteJobDepthFile(const FilterJob& job, const DepthBuffer& depth,
                       const std::filesystem::path& path) {
  if (depth.data == nullptr || job.inData == nullptr ||
      int64_t{depth.size} != int64_t{job.height} * int64_t{depth.rowBytes}) {
    return false;
  }
  const bool wide = job.sampleBytes == 2;
  if (job.paddedWidth <= 0 || int64_t{job.paddedWidth} * (wide ? 2 : 1) > job.rowBytes ||
      job.paddedWidth > depth.rowBytes) {
    return false;
  }
  const auto sourceRowBytes = static_cast<size_t>(job.rowBytes);
  const auto rowBytes = static_cast<size_t>(depth.rowBytes);
  const auto pixels = static_cast<size_t>(job.paddedWidth);
  for (int32_t y = 0; y < job.height; ++y) {
    uint8_t* row = depth.data + static_cast<size_t>(y) * rowBytes;
    const uint8_t* source = job.inData + static_cast<size_t>(y) * sourceRowBytes;
    if (wide) {
      // The map stays 8-bit: each 16-bit sample (0..65535 by now) rounded.
      for (size_t x = 0; x < pixels; ++x) {
        uint16_t sample = 0;
        std::memcpy(&sample, source + 2 * x, sizeof sample);
        row[x] = EightBitSample(sample);
      }
    } else {
      std::memcpy(row, source, pixels);
    }
    std::memset(row + pixels, 0, rowBytes - pixels);
  }
  DepthFileInfo info;
  info.size = depth.size;
  info.rowBytes = depth.rowBytes;
  info.width = job.width;
  info.height = job.height;
  return WriteDepthFile(path, info, depth.data, depth.rowBytes) == DepthFileStatus::kOk;
}

DepthFileStatus ReadJobDepthFile(const FilterJob& job, DepthBuffer& depth,
                                 const std::filesystem::path& path) {
  if (depth.data == nullptr) return DepthFileStatus::kTooLarge;
  const size_t capacity = depth.size > 0 ? static_cast<size_t>(depth.size) : 0;
  depth.size = 0;
  depth.rowBytes = 0;
  DepthFileInfo info;
  const DepthFileStatus status =
      ReadDepthFile(path, job.width, job.height, depth.data, capacity, &info);
  if (status == DepthFileStatus::kTooLarge) return DepthFileStatus::kMismatch;
  if (status != DepthFileStatus::kOk) return status;
  if (info.rowBytes < job.paddedWidth) return DepthFileStatus::kBadHeader;
  depth.size = info.size;
  depth.rowBytes = info.rowBytes;
  return DepthFileStatus::kOk;
}

}  // namespace ulvo
