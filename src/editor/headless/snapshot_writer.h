// Writes a 24-bit bottom-up BGR picture as a BMP file, or as a binary PPM when
// the file name ends in ".ppm".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ulvo {

struct Snapshot {
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;            // bytes per row, a multiple of 4
  std::vector<uint8_t> pixels;  // rows bottom-up, bytes blue, green, red
};

// Scales a 24-bit bottom-up bitmap to width x height (nearest pixel).
Snapshot ScaleSnapshot(const uint8_t* bits, int32_t srcWidth, int32_t srcHeight, size_t srcStride,
                       int32_t width, int32_t height);

bool WriteSnapshot(const Snapshot& snapshot, const std::string& file);

}  // namespace ulvo
