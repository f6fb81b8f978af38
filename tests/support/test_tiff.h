// Small TIFF files of any layout, written sample for sample as described.
#pragma once

#include <tiffio.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ulvo {

struct TestTiff {
  uint32_t width = 1;
  uint32_t height = 1;
  uint16_t samples = 1;
  uint16_t bits = 8;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  // Packed rows as TIFF stores them: all rows of plane 0, then of plane 1 ...
  // for separate planes.
  std::vector<uint8_t> data;
  std::vector<uint16_t> red, green, blue;  // colour map for palette images

  size_t rowBytes() const {
    const uint64_t samplesPerRow =
        static_cast<uint64_t>(width) * (planar == PLANARCONFIG_SEPARATE ? 1 : samples);
    return static_cast<size_t>((samplesPerRow * bits + 7) / 8);
  }
};

// Rows beyond `data` are written as zeros.
bool WriteTestTiff(const std::string& path, const TestTiff& tiff);

}  // namespace ulvo
