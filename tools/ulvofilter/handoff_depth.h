// Depth maps stored in the filter's hand-off file: a little-endian header of
// four signed 32-bit fields (size, rowBytes, width, height) followed by
// `height` rows of `rowBytes` depth bytes, the bottom image row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ulvo {

// A depth plane in the filter's display order: rows bottom-up, `rowBytes`
// bytes apart, one byte per pixel at the start of each row.
struct DepthPlane {
  int width = 0;
  int height = 0;
  int rowBytes = 0;
  std::vector<uint8_t> bottomUp;  // rowBytes * height bytes

  uint8_t at(int x, int yTopDown) const {
    return bottomUp[static_cast<size_t>(height - 1 - yTopDown) * rowBytes + x];
  }
};

// Parses the file contents. Every header field is checked against the others
// and against the bytes actually present before anything is allocated; a
// failure leaves `out` unchanged and says why in `error`.
bool ParseHandoffDepth(const std::vector<uint8_t>& bytes, DepthPlane& out, std::string& error);

// Reads and parses the file at `path`, refusing files far larger than any
// depth map could be before reading them.
bool ReadHandoffDepthFile(const std::string& path, DepthPlane& out, std::string& error);

// The file contents for a depth plane (used by tests and to hand a depth map
// to the filter).
std::vector<uint8_t> SerializeHandoffDepth(const DepthPlane& plane);

}  // namespace ulvo
