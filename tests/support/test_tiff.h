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
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  // Written most significant byte first ("MM") instead of in the machine's
  // order; libtiff turns 16-bit samples round on the way in and out.
  bool bigEndian = false;
  // Packed rows as libtiff takes them (16-bit samples in the machine's byte
  // order, see NativeSamples): all rows of plane 0, then of plane 1 ... for
  // separate planes.
  std::vector<uint8_t> data;
  std::vector<uint16_t> red, green, blue;  // colour map for palette images

  size_t rowBytes() const {
    const uint64_t samplesPerRow =
        static_cast<uint64_t>(width) * (planar == PLANARCONFIG_SEPARATE ? 1 : samples);
    return static_cast<size_t>((samplesPerRow * bits + 7) / 8);
  }
};

// 16-bit samples as bytes in the machine's order.
std::vector<uint8_t> NativeSamples(const std::vector<uint16_t>& samples);

// Rows beyond `data` are written as zeros.
bool WriteTestTiff(const std::string& path, const TestTiff& tiff);

}  // namespace ulvo
