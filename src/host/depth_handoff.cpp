#include "src/host/depth_handoff.h"

#include "src/host/depth_file.h"

namespace ulvo {

bool WriteJobDepthFile(const FilterJob& job, const DepthBuffer& depth,
                       const std::filesystem::path& path) {
  if (depth.data == nullptr || job.inData == nullptr ||
      int64_t{depth.size} != int64_t{job.height} * int64_t{job.rowBytes}) {
    return false;
  }
  DepthFileInfo info;
  info.size = depth.size;
  info.rowBytes = depth.rowBytes;
  info.width = job.width;
  info.height = job.height;
  return WriteDepthFile(path, info, job.inData, job.rowBytes) == DepthFileStatus::kOk;
}

bool ReadJobDepthFile(const FilterJob& job, DepthBuffer& depth, const std::filesystem::path& path) {
  if (depth.data == nullptr) return false;
  const size_t capacity = depth.size > 0 ? static_cast<size_t>(depth.size) : 0;
  depth.size = 0;
  depth.rowBytes = 0;
  DepthFileInfo info;
  if (ReadDepthFile(path, job.width, job.height, depth.data, capacity, &info) !=
          DepthFileStatus::kOk ||
      info.rowBytes < job.paddedWidth) {
    return false;
  }
  depth.size = info.size;
  depth.rowBytes = info.rowBytes;
  return true;
}

}  // namespace ulvo
