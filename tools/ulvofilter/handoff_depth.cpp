#include "tools/ulvofilter/handoff_depth.h"

#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

#include "src/host/depth_file.h"

namespace ulvo {
namespace {

constexpr size_t kHeaderBytes = kDepthFileHeaderBytes;
constexpr int64_t kMaxSide = 65535;
constexpr uint64_t kMaxFileBytes = kHeaderBytes + uint64_t{65535} * 65535 + 65535;

void PutLittleEndian32(std::vector<uint8_t>& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

}  // namespace

bool ParseHandoffDepth(const std::vector<uint8_t>& bytes, DepthPlane& out, std::string& error) {
  if (bytes.size() < kHeaderBytes) {
    error = "depth file too short for its header (" + std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  const DepthFileInfo info = DecodeDepthFileHeader(bytes.data());
  const int64_t size = info.size;
  const int64_t rowBytes = info.rowBytes;
  const int64_t width = info.width;
  const int64_t height = info.height;
  const std::string fields = " (size " + std::to_string(size) + ", rowBytes " +
                             std::to_string(rowBytes) + ", width " + std::to_string(width) +
                             ", height " + std::to_string(height) + ")";
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    error = "depth file has impossible dimensions" + fields;
    return false;
  }
  if (rowBytes > width + 65535) {
    error = "depth file row length does not fit its width" + fields;
    return false;
  }
  if (!DepthFileInfoValid(info)) {
    error = "depth file size or row length disagrees with its rows" + fields;
    return false;
  }
  const uint64_t available = bytes.size() - kHeaderBytes;
  if (available < static_cast<uint64_t>(size)) {
    error = "depth file is truncated: " + std::to_string(available) + " of " +
            std::to_string(size) + " bytes present";
    return false;
  }
  DepthPlane plane;
  plane.width = static_cast<int>(width);
  plane.height = static_cast<int>(height);
  plane.rowBytes = static_cast<int>(rowBytes);
  try {
    plane.bottomUp.assign(bytes.begin() + kHeaderBytes,
                          bytes.begin() + kHeaderBytes + static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    error = "not enough memory for the depth map";
    return false;
  }
  out = std::move(plane);
  return true;
}

bool ReadHandoffDepthFile(const std::string& path, DepthPlane& out, std::string& error) {
  std::error_code ec;
  const uintmax_t length = std::filesystem::file_size(path, ec);
  if (ec) {
    error = path + ": cannot read: " + ec.message();
    return false;
  }
  if (length > kMaxFileBytes) {
    error = path + ": too large for a depth file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    error = path + ": not enough memory";
    return false;
  }
  if (!in ||
      !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(length))) {
    error = path + ": cannot read";
    return false;
  }
  if (!ParseHandoffDepth(bytes, out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

std::vector<uint8_t> SerializeHandoffDepth(const DepthPlane& plane) {
  std::vector<uint8_t> out;
  out.reserve(kHeaderBytes + plane.bottomUp.size());
  const int64_t size = static_cast<int64_t>(plane.rowBytes) * plane.height;
  PutLittleEndian32(out, static_cast<int32_t>(static_cast<uint32_t>(size)));
  PutLittleEndian32(out, plane.rowBytes);
  PutLittleEndian32(out, plane.width);
  PutLittleEndian32(out, plane.height);
  out.insert(out.end(), plane.bottomUp.begin(), plane.bottomUp.end());
  return out;
}

}  // namespace ulvo
